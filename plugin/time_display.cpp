// The total-time label. The decoder reports from the worker thread and sets
// the label from there, under a lock that the window takes too when it sets
// or clears the label's handle.
#include "playback/decoder.h"
#include "plugin/player_dialog.h"

#include <mutex>

eLabel* lb_TT = nullptr;

namespace {
std::mutex total_time_lock;
// What the label shows, for a new window while the file plays on.
eString total_time_text;
} // namespace

void eTivraDialog::DisplayTotalTime() {
    const int minutes = file_info.total_seconds / 60;
    const int seconds = file_info.total_seconds - minutes * 60;
    eString text;
    text.sprintf("%2.2d:%2.2d", minutes, seconds);
    std::lock_guard<std::mutex> hold(total_time_lock);
    total_time_text = text;
    if (lb_TT)
        lb_TT->setText(text);
}

void set_total_time_label(eLabel* label) {
    std::lock_guard<std::mutex> hold(total_time_lock);
    lb_TT = label;
    if (label && file_info.is_playing)
        label->setText(total_time_text);
}
