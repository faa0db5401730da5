// The toolkit's list: selection that moves by rows and pages, stays in view,
// reports where it went, and reports OK and Exit.
#include "host/elistbox.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ListOf40 : ::testing::Test {
    ListOf40() {
        list.resize(eSize(100, 10 * eListBoxEntryText::getEntryHeight())); // ten rows
        for (int i = 0; i < 40; ++i)
            new eListBoxEntryText(&list, eString("entry ") + std::to_string(i));
        list.selchanged.connect([this](eListBoxEntryText* e) { changed = e; });
        list.selected.connect([this](eListBoxEntryText* e) {
            chosen = e;
            ++choices;
        });
    }
    eListBox<eListBoxEntryText> list{nullptr};
    eListBoxEntryText* changed = nullptr;
    eListBoxEntryText* chosen = nullptr;
    int choices = 0;
};

} // namespace

TEST_F(ListOf40, PagesKeepTheSelectionInView) {
    ASSERT_EQ(list.visibleRows(), 10);
    list.handleKey(eRemoteKey::pageDown);
    EXPECT_EQ(list.getCurrentIndex(), 10);
    EXPECT_EQ(list.getTop(), 1);
    EXPECT_EQ(changed, list.getCurrent());
    for (int i = 0; i < 5; ++i)
        list.handleKey(eRemoteKey::pageDown);
    EXPECT_EQ(list.getCurrentIndex(), 39) << "stops at the last entry";
    EXPECT_EQ(list.getTop(), 30);
    list.handleKey(eRemoteKey::up);
    EXPECT_EQ(list.getTop(), 30);
    list.handleKey(eRemoteKey::pageUp);
    list.handleKey(eRemoteKey::pageUp);
    EXPECT_EQ(list.getCurrentIndex(), 18);
    EXPECT_EQ(list.getTop(), 18);
}

TEST_F(ListOf40, OkReportsTheSelectionAndExitReportsNone) {
    list.handleKey(eRemoteKey::down);
    list.handleKey(eRemoteKey::ok);
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->getText(), "entry 1");
    list.handleKey(eRemoteKey::exit);
    EXPECT_EQ(chosen, nullptr);
    EXPECT_EQ(choices, 2);
}

TEST_F(ListOf40, RefillingStartsAtTheTopAndAnEmptyListReportsNoEntry) {
    list.handleKey(eRemoteKey::pageDown);
    list.beginAtomic();
    list.clearList();
    new eListBoxEntryText(&list, "..");
    list.sort();
    list.endAtomic();
    EXPECT_EQ(list.getCurrentIndex(), 0);
    EXPECT_EQ(list.getTop(), 0);
    list.clearList();
    list.handleKey(eRemoteKey::down);
    list.handleKey(eRemoteKey::ok);
    EXPECT_EQ(chosen, nullptr);
    EXPECT_EQ(choices, 1);
}
