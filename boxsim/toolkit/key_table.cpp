#include "boxsim/toolkit/key_table.h"

#include <algorithm>
#include <utility>

namespace boxsim {

const std::vector<KeyBinding>& keyTable() {
    using K = Keyboard;
    using A = KeyAction;
    using R = RemoteKey;
    using C = MarkColour;
    using H = HostKey;
    // Arrows, Enter and Esc are what a keyboard has for them. Each coloured
    // key and standby also has a letter, for terminals that do not pass
    // function keys on; Backspace leaves as Esc does, without Esc's delay.
    static const std::vector<KeyBinding> table = {
        {A::remote, R::up, {K::up}, "up", "move", C::none, false, H::none},
        {A::remote, R::down, {K::down}, "down", "move", C::none, false, H::none},
        {A::remote, R::pageUp, {K::page_up}, "pgup", "page", C::none, true, H::none},
        {A::remote, R::pageDown, {K::page_down}, "pgdown", "page", C::none, true, H::none},
        {A::remote, R::left, {K::left}, "left", "focus", C::none, false, H::none},
        {A::remote, R::right, {K::right}, "right", "focus", C::none, false, H::none},
        {A::remote, R::ok, {K::enter}, "ok", "OK", C::none, true, H::start},
        {A::remote, R::exit, {K::escape, K::backspace}, "exit", "exit", C::none, true, H::leave},
        {A::remote, R::red, {K::f1, letter('r')}, "red", "red", C::red, true, H::none},
        {A::remote, R::green, {K::f2, letter('g')}, "green", "green", C::green, false, H::none},
        {A::remote, R::yellow, {K::f3, letter('y')}, "yellow", "yellow", C::yellow, false, H::none},
        {A::remote, R::blue, {K::f4, letter('b')}, "blue", "blue", C::blue, true, H::none},
        {A::standby, R::exit, {K::f10, letter('p')}, nullptr, "standby", C::none, true, H::none},
        {A::quit, R::exit, {letter('q')}, nullptr, nullptr, C::none, false, H::leave},
    };
    return table;
}

std::string keyboardName(Keyboard key) {
    switch (key) {
    case Keyboard::none: return "";
    case Keyboard::up: return "Up";
    case Keyboard::down: return "Down";
    case Keyboard::left: return "Left";
    case Keyboard::right: return "Right";
    case Keyboard::page_up: return "PgUp";
    case Keyboard::page_down: return "PgDn";
    case Keyboard::enter: return "Enter";
    case Keyboard::escape: return "Esc";
    case Keyboard::backspace: return "Bksp";
    case Keyboard::f1: return "F1";
    case Keyboard::f2: return "F2";
    case Keyboard::f3: return "F3";
    case Keyboard::f4: return "F4";
    case Keyboard::f10: return "F10";
    }
    return std::string(1, static_cast<char>(key));
}

const KeyBinding* bindingFor(Keyboard key) {
    if (key == Keyboard::none)
        return nullptr;
    for (const KeyBinding& b : keyTable()) {
        if (b.keys[0] == key || b.keys[1] == key)
            return &b;
    }
    return nullptr;
}

const KeyBinding& bindingFor(RemoteKey key) {
    const std::vector<KeyBinding>& table = keyTable();
    for (const KeyBinding& b : table) {
        if (b.action == KeyAction::remote && b.remote == key)
            return b;
    }
    return table.front(); // every remote key has its row
}

const KeyBinding* bindingForWord(const std::string& word) {
    for (const KeyBinding& b : keyTable()) {
        if (b.word && word == b.word)
            return &b;
    }
    return nullptr;
}

MarkColour markColour(const std::string& name) {
    const KeyBinding* b = bindingForWord(name);
    return b ? b->colour : MarkColour::none;
}

std::string keyboardKeys(const KeyBinding& binding) {
    std::string out = keyboardName(binding.keys[0]);
    if (binding.keys[1] != Keyboard::none)
        out += "/" + keyboardName(binding.keys[1]);
    return out;
}

const char* hostHelp(HostKey key) {
    switch (key) {
    case HostKey::none: return nullptr;
    case HostKey::start: return "start";
    case HostKey::leave: return "quit";
    }
    return nullptr;
}

std::string hostKeys(HostKey key) {
    std::string out;
    for (const KeyBinding& b : keyTable()) {
        if (b.host == key)
            out += (out.empty() ? "" : "/") + keyboardKeys(b);
    }
    return out;
}

std::vector<std::string> stripEntries(KeyScreen screen) {
    // Keys and what they do, in the table's order; "PgUp page" and "PgDn
    // page" become "PgUp/PgDn page".
    std::vector<std::pair<std::string, std::string>> entries;
    for (const KeyBinding& b : keyTable()) {
        const char* help =
            screen == KeyScreen::window ? (b.on_strip ? b.help : nullptr) : hostHelp(b.host);
        if (!help)
            continue;
        auto same = std::find_if(entries.begin(), entries.end(),
                                 [help](const auto& e) { return e.second == help; });
        if (same == entries.end())
            entries.emplace_back(keyboardKeys(b), help);
        else
            same->first += "/" + keyboardKeys(b);
    }
    std::vector<std::string> out;
    for (const auto& [keys, help] : entries)
        out.push_back(keys + " " + help);
    return out;
}

} // namespace boxsim
