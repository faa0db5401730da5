// What the README tells a newcomer, held to the tables boxsim works from:
// the keys and what each does on each screen, and the exit statuses.
#include "boxsim/frontend/drivers/shutdown_request.h"
#include "boxsim/toolkit/key_table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace boxsim;

namespace {

// The rows of the README's table under heading, each split into its cells.
std::vector<std::vector<std::string>> table_under(const std::string& heading) {
    std::ifstream in(TIVRA_README);
    std::vector<std::vector<std::string>> rows;
    bool in_section = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("## ", 0) == 0)
            in_section = line == "## " + heading;
        if (!in_section || line.rfind("| ", 0) != 0 || line.rfind("|---", 0) == 0)
            continue;
        std::vector<std::string> cells;
        std::istringstream cut(line.substr(2));
        for (std::string cell; std::getline(cut, cell, '|');) {
            const std::size_t first = cell.find_first_not_of(' ');
            cells.push_back(first == std::string::npos
                                ? ""
                                : cell.substr(first, cell.find_last_not_of(' ') + 1 - first));
        }
        rows.push_back(cells);
    }
    return rows;
}

bool names_key(const std::string& cell, const std::string& key) {
    for (std::size_t at = cell.find(key); at != std::string::npos; at = cell.find(key, at + 1)) {
        const bool starts = at == 0 || cell[at - 1] == ' ' || cell[at - 1] == ',';
        const std::size_t end = at + key.size();
        const bool ends = end == cell.size() || cell[end] == ' ' || cell[end] == ',';
        if (starts && ends)
            return true;
    }
    return false;
}

} // namespace

TEST(Readme, ItsKeysAreTheKeyTablesAndDoWhatItSays) {
    // remote | keyboard | in Tivra's window | on the host's screen
    const auto rows = table_under("Keys");
    ASSERT_GT(rows.size(), 1u);
    for (const KeyBinding& b : keyTable()) {
        const std::string key = keyboardName(b.keys[0]);
        const std::vector<std::string>* row = nullptr;
        for (const auto& r : rows) {
            if (r.size() == 4 && names_key(r[1], key))
                row = &r;
        }
        ASSERT_NE(row, nullptr) << key << " is not in the README's keys";
        if (b.keys[1] != Keyboard::none) {
            EXPECT_TRUE(names_key((*row)[1], keyboardName(b.keys[1]))) << key;
        }
        EXPECT_EQ((*row)[2] == "-", b.help == nullptr) << key << " in Tivra's window";
        const std::string& host = (*row)[3];
        switch (b.host) {
        case HostKey::none: EXPECT_EQ(host, "-") << key; break;
        case HostKey::start: EXPECT_NE(host.find("start"), std::string::npos) << key; break;
        case HostKey::leave: EXPECT_NE(host.find("quit"), std::string::npos) << key; break;
        }
    }
}

TEST(Readme, ItsExitStatusesAreTheOnesBoxsimExitsWith) {
    const auto rows = table_under("Exit status");
    for (const ShutdownSignal& s : shutdown_signals) {
        bool said = false;
        for (const auto& r : rows) {
            said |= r.size() == 2 && r[0].find(s.name) != std::string::npos &&
                    names_key(r[1], std::to_string(128 + s.number));
        }
        EXPECT_TRUE(said) << s.name << " ends boxsim with " << 128 + s.number;
    }
}
