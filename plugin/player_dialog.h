// The player's window: the file list, the Root and Stop buttons and the
// total-time row, with the handlers that browse the disk and start, stop and
// forget playback workers. Also the module-level label handles.
#pragma once

#include "host/ebutton.h"
#include "host/elabel.h"
#include "host/elistbox.h"
#include "host/estring.h"
#include "host/ewindow.h"

class eTivraDialog : public eWindow {
    eListBox<eListBoxEntryText>* list;
    eButton* bt_root;
    eButton* bt_stop;
    eLabel* lb_line1;
    eLabel* lb_TTtext;
    eLabel* lb_ETtext;
    eString current_path;

public:
    eTivraDialog();
    ~eTivraDialog() override;

    // Lists dir into the file list: "..", its subdirectories as "/name" and
    // its FLAC files by name, in the list's own order.
    void dispfiles(const eString& dir);
    // The list's choice: goes up, enters a directory or plays a file; a
    // choice without an entry closes the window.
    void selectedItem(eListBoxEntryText* entry);
    void selectionChanged(eListBoxEntryText* entry);
    void folderup();
    void displayroot();
    void StopPlayer();
    // A worker's finished signal: forgets the worker if it is the current one.
    void execThreadFinished(int status);

    // Shows the playing file's total time as mm:ss in lb_TT. Any thread:
    // the label is set under the lock set_total_time_label() takes, and not
    // at all once the window is gone.
    static void DisplayTotalTime();

    // For tests and the host's screen dump.
    const eString& currentPath() const { return current_path; }
    eListBox<eListBoxEntryText>* fileList() const { return list; }
};

// The labels of the time rows and the bottom line; null while no window exists.
extern eLabel* lb_TT;
extern eLabel* lb_ET;
extern eLabel* lb_line3;

// Sets lb_TT, or clears it with null, under the lock the time updates take,
// so that an update from the worker never reaches a label that is gone. A
// file still playing from an earlier window has its time shown at once.
void set_total_time_label(eLabel* label);
