// Running the player window for the host, and stopping playback when the
// user leaves it.
#include "plugin/plugin_entry.h"

#include "playback/worker_record.h"
#include "plugin/player_dialog.h"

extern "C" __attribute__((visibility("default"))) int plugin_exec(void*) {
    eTivraDialog dialog;
    dialog.show();
    const int result = dialog.exec();
    dialog.hide();
    // Also a worker still opening its file, or one an earlier window left
    // playing: it would play on after the window has gone.
    if (result)
        stop_workers_and_pause();
    return 0;
}
