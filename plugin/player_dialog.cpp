// The player window: construction, Stop, and what happens when it goes.
#include "plugin/player_dialog.h"

#include "playback/worker_record.h"

eLabel* lb_ET = nullptr;
eLabel* lb_line3 = nullptr;

eTivraDialog::eTivraDialog() : eWindow(1), current_path() {
    cmove(ePoint(100, 75));
    cresize(eSize(510, 460));
    setText("Tivra 0.0.1");

    // Each widget is placed from the client rectangle as it stands when the
    // widget is made.
    list = new eListBox<eListBoxEntryText>(this, nullptr, 1);
    list->move(ePoint(10, 10));
    list->resize(eSize(getClientRect().width() - 20, getClientRect().height() - 160));
    list->loadDeco();

    lb_line1 = new eLabel(this, 0, 0, "eLabel");
    lb_line1->move(ePoint(10, getClientRect().height() - 160));
    lb_line1->resize(eSize(getClientRect().width() - 10, 30));

    lb_TTtext = new eLabel(this, 0, 0, "eLabel");
    lb_TTtext->move(ePoint(10, getClientRect().height() - 100));
    lb_TTtext->resize(eSize(getClientRect().width() - 10, 30));
    lb_TTtext->setText("Total Time : ");

    eLabel* total_time = new eLabel(this, 0, 0, "eLabel");
    total_time->move(ePoint(127, getClientRect().height() - 100));
    total_time->resize(eSize(getClientRect().width() - 10, 30));
    total_time->setText("");
    set_total_time_label(total_time);

    lb_line3 = new eLabel(this, 0, 0, "eLabel");
    lb_line3->move(ePoint(10, getClientRect().height() - 60));
    lb_line3->resize(eSize(getClientRect().width() - 10, 30));

    bt_root = new eButton(this, nullptr, 1, "eButton");
    bt_root->move(ePoint(10, getClientRect().height() - 35));
    bt_root->resize(eSize(100, 30));
    bt_root->setShortcut("red");
    bt_root->setShortcutPixmap("red");
    bt_root->loadDeco();
    bt_root->setText("Root");
    bt_root->selected.connect(SigC::slot(*this, &eTivraDialog::displayroot));

    bt_stop = new eButton(this, nullptr, 1, "eButton");
    bt_stop->move(ePoint(150, getClientRect().height() - 35));
    bt_stop->resize(eSize(100, 30));
    bt_stop->setShortcut("blue");
    bt_stop->setShortcutPixmap("blue");
    bt_stop->loadDeco();
    bt_stop->setText("Stop");
    bt_stop->selected.connect(SigC::slot(*this, &eTivraDialog::StopPlayer));

    lb_ETtext = new eLabel(this, 0, 0, "eLabel");
    lb_ETtext->move(ePoint(10, getClientRect().height() - 80));
    lb_ETtext->resize(eSize(getClientRect().width() - 10, 30));

    lb_ET = new eLabel(this, 0, 0, "eLabel");
    lb_ET->move(ePoint(152, getClientRect().height() - 80));
    lb_ET->resize(eSize(getClientRect().width() - 10, 30));
    lb_ET->setText("");

    current_path = "/hdd";
    dispfiles(current_path);

    list->selected.connect(SigC::slot(*this, &eTivraDialog::selectedItem));
    list->selchanged.connect(SigC::slot(*this, &eTivraDialog::selectionChanged));
    setFocus(list);
    forget_worker_handle();
}

eTivraDialog::~eTivraDialog() {
    // A worker that outlives the window may be emitting finished right now;
    // our slots are cut off here, never during an emission, rather than
    // later in a base destructor.
    forget_window_links();
    // The labels are freed with the window; late time updates find null.
    set_total_time_label(nullptr);
    lb_ET = nullptr;
    lb_line3 = nullptr;
}

void eTivraDialog::selectionChanged(eListBoxEntryText*) {}

void eTivraDialog::StopPlayer() {
    // Also a worker still opening its decoder (is_playing not yet set), and
    // one that an earlier window left playing: otherwise its file would play
    // on with no way left to stop it.
    stop_workers();
    setFocus(list);
}
