// Filling the file list with one directory: "..", its subdirectories (links
// followed) and its FLAC files (links not followed), in the list's order.
#include "browser/file_type.h"
#include "plugin/player_dialog.h"

#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace {

void* const entry_key = reinterpret_cast<void*>(10);

eString candidate_path(const eString& dir, const char* name) {
    eString path = dir;
    if (std::strlen(dir.c_str()) > 1)
        path += "/";
    path += name;
    return path;
}

} // namespace

void eTivraDialog::dispfiles(const eString& dir) {
    list->beginAtomic();
    list->clearList();
    new eListBoxEntryText(list, "..", entry_key, 0, "", 0);

    // A directory that cannot be opened (no disk mounted, no permission)
    // leaves ".." alone in the list.
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            struct stat st;
            if (stat(candidate_path(dir, e->d_name).c_str(), &st) != 0 ||
                !mode_is_directory(st.st_mode))
                continue;
            eString text = eString("/") + e->d_name;
            if (std::strcmp(text.c_str(), "/.") != 0 && std::strcmp(text.c_str(), "/..") != 0 &&
                std::strcmp(text.c_str(), "/...") != 0)
                new eListBoxEntryText(list, text, entry_key, 0, "", 0);
        }
        closedir(d);
    }

    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            struct stat st;
            if (lstat(candidate_path(dir, e->d_name).c_str(), &st) != 0 ||
                !mode_is_regular_file(st.st_mode))
                continue;
            eString name = e->d_name;
            if (name.right(5).upper() == ".FLAC")
                new eListBoxEntryText(list, name, entry_key, 0, "", 0);
        }
        closedir(d);
    }

    list->sort();
    list->endAtomic();
    setFocus(list);
}
