// The toolkit boxsim gives plug-ins: the host's string, the order of the
// file list, and where Exit goes. (The rest of the list is tried through the
// player's window.)
#include "boxsim/toolkit/key_routing.h"
#include "boxsim/toolkit/modal_driver.h"
#include "boxsim/toolkit/natural_order.h"
#include "boxsim/toolkit/widget_tree.h"
#include "host/ebutton.h"
#include "host/elistbox.h"
#include "host/estring.h"
#include "host/ewindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

using boxsim::listOrderLess;

TEST(EString, ItsExtrasClampToTheStringAndWorkOnBytes) {
    const char* none = nullptr;
    EXPECT_EQ(eString(none), "");
    const eString s = "/hdd/jazz";
    EXPECT_EQ(s.left(4) + s.right(4) + s.mid(4, 1) + s.mid(5, 99) + s.mid(9, 1), "/hddjazz/jazz");
    EXPECT_EQ(s.left(99) + s.right(99), s + s);
    eString upper = "a.FlAc\xe9\xff 1z";
    EXPECT_EQ(&upper.upper(), &upper);
    EXPECT_EQ(upper, "A.FLAC\xe9\xff 1Z");
    eString path = "//hdd//jazz//", growing = "aXa", untouched = "abc";
    EXPECT_EQ(path.strReplace("//", "/"), "/hdd/jazz/");
    EXPECT_EQ(growing.strReplace("a", "aa"), "aaXaa");
    EXPECT_EQ(untouched.strReplace("", "x"), "abc");
    EXPECT_EQ(untouched.strReplace(nullptr, "x"), "abc");
    eString time = "old";
    EXPECT_EQ(time.sprintf("%2.2d:%2.2d", 4, 0), "04:00");
    const std::string big(500, 'x');
    EXPECT_EQ(time.sprintf("<%s>", big.c_str()), "<" + big + ">");
}

TEST(ListOrder, UpEntryThenDirectoriesThenFilesEachInNaturalOrder) {
    const std::vector<std::string> sorted = {
        "..",
        "/Alpha",
        "/zeta",
        "..x.flac",
        "A",
        "a",
        "a\x01",
        "A long album name, disc 1 - 9.flac",  // alike for more than a
        "A long album name, disc 1 - 10.flac", // sort key's prefix
        "ab",
        "a\xff",
        "b.flac",
        "Track 1.flac",
        "Track 2.flac",
        "track 02.flac",
        "Track 10.flac",
        "x99999999999999999999999",
        "x100000000000000000000000",
    };
    std::vector<std::string> shuffled = sorted;
    std::reverse(shuffled.begin(), shuffled.end());
    std::rotate(shuffled.begin(), shuffled.begin() + 5, shuffled.end());
    // The list's own sort, which compares prefixes first, agrees.
    eListBox<eListBoxEntryText> list(nullptr);
    for (const std::string& text : shuffled)
        new eListBoxEntryText(&list, text.c_str());
    list.sort();
    std::vector<std::string> listed;
    for (const eListBoxEntryText* e : boxsim::listEntries(list))
        listed.push_back(e->getText());
    EXPECT_EQ(listed, sorted);
    std::sort(shuffled.begin(), shuffled.end(), listOrderLess);
    EXPECT_EQ(shuffled, sorted);
}

TEST(ListOrder, PrefixesNeverContradictTheOrder) {
    // Letters in both cases, digits with and without leading zeros, long
    // digit runs, "/" and ".": wherever two prefixes differ, they must order
    // the texts as the comparison does.
    const std::string alphabet = "aAbZ0019/.-\xe9";
    std::uint32_t seed = 20261207;
    auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
    std::vector<std::string> texts = {
        "..", "/", "", "x99999999999", "x0000000001", "x9999999999", "x10000000000"};
    for (int i = 0; i < 400; ++i) {
        std::string t = next() % 3 ? "" : "/";
        for (std::size_t n = next() % 20; n > 0; --n)
            t += alphabet[next() % alphabet.size()];
        texts.push_back(t);
    }
    int decided = 0;
    for (const std::string& a : texts) {
        for (const std::string& b : texts) {
            const auto pa = boxsim::listOrderPrefix(a), pb = boxsim::listOrderPrefix(b);
            if (pa == pb)
                continue;
            ++decided;
            ASSERT_EQ(pa < pb, listOrderLess(a, b)) << '"' << a << "\" \"" << b << '"';
        }
    }
    EXPECT_GT(decided, 100000) << "the prefixes should decide most pairs";
}

namespace {

// Feeds a modal loop its keys; once they are spent it closes the window
// with 99, so that a loop nothing ended still returns.
class KeyFeed : public boxsim::ModalDriver {
public:
    explicit KeyFeed(std::deque<boxsim::RemoteKey> keys) : keys_(std::move(keys)) {}
    void present(eWidget& window) override { window_ = &window; }
    std::optional<boxsim::RemoteKey> nextKey(std::chrono::milliseconds) override {
        if (keys_.empty()) {
            boxsim::closeWindow(*window_, 99);
            return std::nullopt;
        }
        const boxsim::RemoteKey key = keys_.front();
        keys_.pop_front();
        return key;
    }

private:
    std::deque<boxsim::RemoteKey> keys_;
    eWidget* window_ = nullptr;
};

} // namespace

TEST(ExitKey, LeavesTheWindowWithOneWhicheverWidgetHasTheFocus) {
    using boxsim::RemoteKey;
    const struct {
        const char* focus;
        std::deque<RemoteKey> keys;
    } cases[] = {
        {"the list", {RemoteKey::exit}},
        {"Root", {RemoteKey::right, RemoteKey::exit}},
        {"Stop", {RemoteKey::right, RemoteKey::right, RemoteKey::exit}},
        {"a label", {RemoteKey::exit}},
        {"the window", {RemoteKey::exit}},
    };
    for (const auto& c : cases) {
        // Tivra's window: a list that leaves on its Exit, two buttons, a label.
        eWindow window(1);
        window.show();
        auto* list = new eListBox<eListBoxEntryText>(&window, nullptr, 1);
        list->selected.connect([&window](eListBoxEntryText* entry) {
            if (!entry)
                window.reject();
        });
        new eButton(&window);
        new eButton(&window);
        eWidget* label = new eLabel(&window);
        const std::string focus = c.focus;
        window.setFocus(focus == "a label" ? label : focus == "the window" ? nullptr : list);
        KeyFeed feed(c.keys);
        boxsim::setModalDriver(&feed);
        EXPECT_EQ(window.exec(), 1) << c.focus;
        boxsim::setModalDriver(nullptr);
    }
}

TEST(ListBox, OkOnAnEmptyListReportsNoEntry) {
    eWindow window(1);
    window.show();
    auto* list = new eListBox<eListBoxEntryText>(&window);
    std::vector<eListBoxEntryText*> reported;
    list->selected.connect([&reported](eListBoxEntryText* e) { reported.push_back(e); });
    window.setFocus(list);
    boxsim::pressKey(window, boxsim::RemoteKey::ok);
    EXPECT_EQ(reported, std::vector<eListBoxEntryText*>{nullptr});
}

TEST(Window, HidesWithOrWithoutAFrontEnd) {
    eWindow window(1);
    window.show();
    window.hide(); // no modal driver is set here
    EXPECT_FALSE(boxsim::snapshot(window).visible);
}
