#include "boxsim/toolkit/key_table.h"

namespace boxsim {

const std::vector<KeyBinding>& keyTable() {
    using K = Keyboard;
    using A = KeyAction;
    using R = RemoteKey;
    using C = MarkColour;
    // Arrows, Enter and Esc are what a keyboard has for them. Each coloured
    // key and standby also has a letter, for terminals that do not pass
    // function keys on; Backspace leaves as Esc does, without Esc's delay.
    static const std::vector<KeyBinding> table = {
        {A::remote, R::up, {K::up}, "up", "move", C::none, false},
        {A::remote, R::down, {K::down}, "down", "move", C::none, false},
        {A::remote, R::pageUp, {K::page_up}, "pgup", "page", C::none, true},
        {A::remote, R::pageDown, {K::page_down}, "pgdown", "page", C::none, true},
        {A::remote, R::left, {K::left}, "left", "focus", C::none, false},
        {A::remote, R::right, {K::right}, "right", "focus", C::none, false},
        {A::remote, R::ok, {K::enter}, "ok", "OK", C::none, true},
        {A::remote, R::exit, {K::escape, K::backspace}, "exit", "exit", C::none, true},
        {A::remote, R::red, {K::f1, letter('r')}, "red", "red", C::red, true},
        {A::remote, R::green, {K::f2, letter('g')}, "green", "green", C::green, false},
        {A::remote, R::yellow, {K::f3, letter('y')}, "yellow", "yellow", C::yellow, false},
        {A::remote, R::blue, {K::f4, letter('b')}, "blue", "blue", C::blue, true},
        {A::standby, R::exit, {K::f10, letter('p')}, nullptr, "standby", C::none, true},
        {A::quit, R::exit, {letter('q')}, nullptr, "quit", C::none, false},
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

std::vector<std::string> stripEntries() {
    std::vector<std::string> entries;
    const KeyBinding* previous = nullptr;
    for (const KeyBinding& b : keyTable()) {
        if (!b.on_strip) {
            previous = nullptr;
            continue;
        }
        if (previous && std::string(previous->help) == b.help) {
            // "PgUp page" and "PgDn page" become "PgUp/PgDn page".
            std::string& last = entries.back();
            last.insert(last.size() - std::string(b.help).size() - 1, "/" + keyboardKeys(b));
        } else {
            entries.push_back(keyboardKeys(b) + " " + b.help);
        }
        previous = &b;
    }
    return entries;
}

} // namespace boxsim
