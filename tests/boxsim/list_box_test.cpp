// The toolkit's list: selection that moves by rows and pages, stays in view,
// reports where it went, and reports OK and Exit.
#include "boxsim/toolkit/key_routing.h"
#include "boxsim/toolkit/widget_tree.h"
#include "host/elistbox.h"
#include "host/ewindow.h"

#include <gtest/gtest.h>

#include <string>

using boxsim::RemoteKey;

namespace {

struct ListOf40 : ::testing::Test {
    ListOf40() {
        window.show();
        list->resize(eSize(100, 10 * eListBoxEntryText::getEntryHeight())); // ten rows
        for (int i = 0; i < 40; ++i)
            new eListBoxEntryText(list, eString("entry ") + std::to_string(i));
        window.setFocus(list);
        list->selchanged.connect([this](eListBoxEntryText* e) { changed = e; });
        list->selected.connect([this](eListBoxEntryText* e) {
            chosen = e;
            ++choices;
        });
    }
    void press(RemoteKey key, int times = 1) {
        for (int i = 0; i < times; ++i)
            boxsim::pressKey(window, key);
    }
    // The list's selection and scroll position as drawn.
    int current() const {
        const auto rows = boxsim::snapshot(window).children[0].rows;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].selected)
                return static_cast<int>(i);
        }
        return -1;
    }
    int top() const { return boxsim::snapshot(window).children[0].top; }
    eListBoxEntryText* at(int i) const { return boxsim::listEntries(*list)[i]; }

    eWindow window;
    eListBox<eListBoxEntryText>* list = new eListBox<eListBoxEntryText>(&window);
    eListBoxEntryText* changed = nullptr;
    eListBoxEntryText* chosen = nullptr;
    int choices = 0;
};

} // namespace

TEST_F(ListOf40, PagesKeepTheSelectionInView) {
    ASSERT_EQ(boxsim::snapshot(window).children[0].visible_rows, 10);
    press(RemoteKey::pageDown);
    EXPECT_EQ(current(), 10);
    EXPECT_EQ(top(), 1);
    EXPECT_EQ(changed, at(10));
    press(RemoteKey::pageDown, 5);
    EXPECT_EQ(current(), 39) << "stops at the last entry";
    EXPECT_EQ(top(), 30);
    press(RemoteKey::up);
    EXPECT_EQ(top(), 30);
    press(RemoteKey::pageUp, 2);
    EXPECT_EQ(current(), 18);
    EXPECT_EQ(top(), 18);
}

TEST_F(ListOf40, OkReportsTheSelectionAndExitReportsNone) {
    press(RemoteKey::down);
    press(RemoteKey::ok);
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->getText(), "entry 1");
    press(RemoteKey::exit);
    EXPECT_EQ(chosen, nullptr);
    EXPECT_EQ(choices, 2);
}

TEST_F(ListOf40, RefillingStartsAtTheTopAndAnEmptyListReportsNoEntry) {
    press(RemoteKey::pageDown);
    list->beginAtomic();
    list->clearList();
    new eListBoxEntryText(list, "..");
    list->sort();
    list->endAtomic();
    EXPECT_EQ(current(), 0);
    EXPECT_EQ(top(), 0);
    list->clearList();
    press(RemoteKey::down);
    press(RemoteKey::ok);
    EXPECT_EQ(chosen, nullptr);
    EXPECT_EQ(choices, 1);
}
