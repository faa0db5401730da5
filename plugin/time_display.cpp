// The total-time label. The decoder reports from the worker thread, so the
// text is formatted there and set on the GUI thread, where the label handle
// is also cleared when the window goes.
#include "host/eguiqueue.h"
#include "playback/decoder.h"
#include "plugin/player_dialog.h"

eLabel* lb_TT = nullptr;

void eTivraDialog::DisplayTotalTime() {
    const int minutes = file_info.total_seconds / 60;
    const int seconds = file_info.total_seconds - minutes * 60;
    eString text;
    text.sprintf("%2.2d:%2.2d", minutes, seconds);
    eGuiQueue::post([text] {
        if (lb_TT)
            lb_TT->setText(text);
    });
}
