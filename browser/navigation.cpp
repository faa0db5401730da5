// Moving through the disk and starting playback from the file list.
#include "browser/file_type.h"
#include "playback/exec_thread.h"
#include "playback/worker_record.h"
#include "plugin/player_dialog.h"

#include <cstring>

void eTivraDialog::selectedItem(eListBoxEntryText* entry) {
    if (!entry) {
        reject();
        return;
    }
    // Copied: listing again frees the entry.
    const eString text = entry->getText();
    // Only the up entry goes up: a file may be called "..intro.flac".
    if (text == "..") {
        folderup();
        return;
    }

    // A directory's text begins with "/" and a file's never does, so each
    // kind of entry is tried only as what it is: a file b.flac in /hdd/a
    // must not enter a directory /hdd/ab.flac.
    if (text.left(1) == "/") {
        eString dir = current_path + text;
        dir.strReplace("//", "/");
        if (path_is_directory(dir)) {
            current_path = dir;
            dispfiles(current_path);
        }
        return;
    }

    eString file = current_path + "/" + text;
    file.strReplace("//", "/");
    if (!path_is_regular_file(file))
        return;

    play_in_new_worker(file, [this](ExecThread& worker) {
        return worker.finished.connect(SigC::slot(*this, &eTivraDialog::execThreadFinished));
    });
}

void eTivraDialog::folderup() {
    eString path = current_path;
    const std::size_t length = std::strlen(path.c_str());
    // The last "/" strictly inside the path: a trailing "/" is not a level.
    std::size_t slash = 0;
    for (std::size_t i = 1; i + 1 < length; ++i) {
        if (path.mid(i, 1) == "/")
            slash = i;
    }
    path = path.left(slash + 1);
    if (path.empty())
        path = "/";
    path.strReplace("//", "/");
    const bool listable = path_is_directory(path);
    current_path = path;
    if (listable)
        dispfiles(current_path);
}

void eTivraDialog::displayroot() {
    current_path = "/";
    dispfiles(current_path);
}

void eTivraDialog::execThreadFinished(int status) {
    // Only the current worker's end forgets it: a late finished from a
    // worker that was since replaced must leave its successor alone.
    worker_finished(status);
}
