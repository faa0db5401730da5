// Running the player window for the host, and stopping playback when the
// user leaves it.
#include "plugin/plugin_entry.h"

#include "playback/decoder.h"
#include "playback/exec_thread.h"
#include "plugin/player_dialog.h"

#include <unistd.h>

extern "C" __attribute__((visibility("default"))) int plugin_exec(void*) {
    eTivraDialog dialog;
    dialog.show();
    const int result = dialog.exec();
    dialog.hide();
    if (result) {
        // A worker still opening its file is stopped too, or it would play
        // on after the window has gone.
        ExecThread* worker = execThread.load();
        if (worker && (file_info.is_playing || worker->thread_running()))
            worker->kill(true);
        sleep(1);
    }
    return 0;
}
