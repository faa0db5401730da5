// The host's own logic, without a process or a screen: options, key
// scripts, the key table and what its keys do, printable names, fitting text
// into room, the terminal's lines and the window's smaller picture.
#include "boxsim/dsp/sink_choice.h"
#include "boxsim/frontend/drivers/key_press.h"
#include "boxsim/frontend/screen/host_screen.h"
#include "boxsim/frontend/screen/printable_text.h"
#include "boxsim/frontend/screen/shrink.h"
#include "boxsim/frontend/screen/terminal_layout.h"
#include "boxsim/frontend/screen/text_fit.h"
#include "boxsim/frontend/script/key_script.h"
#include "boxsim/loader/options.h"
#include "boxsim/notices/notice_text.h"
#include "boxsim/toolkit/widget_tree.h"
#include "plugin/player_dialog.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <set>

using namespace boxsim;

namespace {

// What a script's steps come to, one word a step with the line of its word
// where that is not the first, for comparing.
std::string described(const std::vector<ScriptStep>& steps) {
    std::string out;
    for (const ScriptStep& step : steps) {
        const ScriptAction& s = step.action;
        if (auto* key = std::get_if<RemoteKey>(&s))
            out += std::string(bindingFor(*key).word);
        else if (auto* wait = std::get_if<WaitStep>(&s))
            out += "wait:" + std::to_string(wait->milliseconds);
        else if (auto* shot = std::get_if<ShotStep>(&s))
            out += "shot:" + shot->path;
        else
            out += std::holds_alternative<IdleStep>(s)        ? "idle"
                   : std::holds_alternative<DumpStep>(s)      ? "dump"
                   : std::holds_alternative<HostCloseStep>(s) ? "hostclose"
                                                              : "launch";
        out += (step.line == 1 ? "" : "@" + std::to_string(step.line)) + " ";
    }
    return out;
}

// One cell a byte, two for a character of three or more bytes (as CJK).
int cells(const std::string& text) {
    int n = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = characterLength(static_cast<unsigned char>(text[at]));
        n += length >= 3 && text.compare(at, length, ellipsis) != 0 ? 2 : 1;
        at += length;
    }
    return n;
}

// A text fitted into width cells, as shown.
struct Fitted {
    std::string text;
    int width;
    std::string shown;
};

bool parsed(const std::vector<const char*>& args, Options& o, std::string& error) {
    std::vector<const char*> argv = {"boxsim"};
    argv.insert(argv.end(), args.begin(), args.end());
    return parseOptions(static_cast<int>(argv.size()), argv.data(), o, error);
}

} // namespace

TEST(HostOptions, EachOptionLandsAndEveryMistakeIsNamed) {
    const struct {
        std::vector<const char*> args;
        std::string error; // "" when accepted
    } cases[] = {
        {{"--plugin", "p.so", "--hdd", "/d", "--dsp", "wav:/o.wav", "--fast", "--dsp-log", "l",
          "--screen", "window", "--headless", "--keys", "k", "--kill", "cancel-nowait"},
         ""},
        {{"--dsp", "alsa:hw:1", "--screen", "terminal"}, ""},
        {{"--dsp", "null", "-h"}, ""},
        {{"--dsp", "mp3:x"}, "--dsp takes alsa[:NAME], wav:FILE, raw:FILE or null, not \"mp3:x\""},
        {{"--dsp", "null:x"}, "--dsp takes"},
        {{"--screen", "tv"}, "--screen takes terminal or window, not \"tv\""},
        {{"--hdd"}, "--hdd needs a value"},
        {{"--keys"}, "--keys needs a value"},
        {{"--headless"}, "--headless needs --keys SCRIPT"},
        {{"--keys", "k"}, "--keys is for --headless"},
        {{"--kill", "cancel"}, ""},
        {{"--kill", "soon"}, "--kill takes cancel or cancel-nowait, not \"soon\""},
    };
    for (const auto& c : cases) {
        Options o;
        std::string error;
        EXPECT_EQ(parsed(c.args, o, error), c.error.empty()) << c.args[0] << ": " << error;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
    }
    // The first case, each option where it lands.
    Options o;
    std::string error;
    ASSERT_TRUE(parsed(cases[0].args, o, error));
    EXPECT_TRUE(o.kill == KillModel::cancel_nowait);
    EXPECT_EQ(o.plugin + *o.hdd + o.dsp.target + o.dsp.log_path + o.keys, "p.so/d/o.wavlk");
    EXPECT_EQ(o.dsp.sink, dsp::SinkKind::wav);
    EXPECT_TRUE(o.dsp_chosen);
    EXPECT_TRUE(o.dsp.fast);
    EXPECT_TRUE(o.headless);
    EXPECT_EQ(o.screen, Options::Screen::window);
    EXPECT_FALSE(o.help);
}

TEST(NoticeText, ANameIsQuotedCutAndEscapedSoThatALineStaysOneShortLine) {
    const std::string sixty(60, 'x');
    const struct {
        std::string name, quoted;
    } cases[] = {
        {"out.wav", "\"out.wav\""},
        {"", "\"\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {std::string("a\0\n\x7f\xc3\xa9~ ", 8), "\"a\\x00\\x0a\\x7f\\xc3\\xa9~ \""},
        {sixty, "\"" + sixty + "\""},
        {sixty + "y", "\"" + sixty + "\"... (61 bytes)"},
        {std::string(59, 'x') + "\n\n", "\"" + std::string(59, 'x') + "\\x0a\"... (61 bytes)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(quotedName(c.name), c.quoted);
    EXPECT_EQ(stderrLine("a\tb\r\xff"), "boxsim: a\\x09b\\x0d\\xff\n");
}

TEST(KeyScript, WordsBecomeStepsAndAMistakeNamesItsLineAndWord) {
    const struct {
        std::string text, steps_or_error;
    } cases[] = {
        {"up down\tleft right pgup pgdown ok exit red green yellow blue",
         "up down left right pgup pgdown ok exit red green yellow blue "},
        {"wait 0 wait\n2147483647 idle\n\ndump hostclose launch shot /x.png",
         "wait:0 wait:2147483647 idle@2 dump@4 hostclose@4 launch@4 shot:/x.png@4 "},
        {"\n\n  \r\n", ""},
        {"down\n\nok jump", "line 3: unknown key word \"jump\""},
        {"wait 2147483648", "line 1: \"wait\" takes milliseconds from 0 to 2147483647, not "
                            "\"2147483648\""},
        {"ok\nwait 99999999999999999999", "line 2: \"wait\" takes milliseconds"},
        {"wait -1", "line 1: \"wait\" takes milliseconds from 0 to 2147483647, not \"-1\""},
        {"wait 5s", "not \"5s\""},
        {"wait\n", "line 1: \"wait\" takes milliseconds from 0 to 2147483647, and none followed"},
        {"ok\n\nwait", "line 3: \"wait\" takes milliseconds"},
        {"shot", "line 1: \"shot\" needs a file name"},
        {"standby", "line 1: unknown key word \"standby\""},
        {std::string("down\0x", 6), "line 1: unknown key word \"down\\x00x\""},
        {"ok \v \f", "line 1: unknown key word \"\\x0b\""},
        {"ok \f", "line 1: unknown key word \"\\x0c\""},
        {"ok\n" + std::string(4097, 'a'), "line 2 is longer than 4096 bytes"},
        {"ok\n" + std::string(4096, 'a'), "line 2: unknown key word \"aaaa"},
    };
    for (const auto& c : cases) {
        std::vector<ScriptStep> steps;
        std::string error;
        if (parseKeyScript(c.text, steps, error))
            EXPECT_EQ(described(steps), c.steps_or_error) << c.text;
        else
            EXPECT_NE(error.find(c.steps_or_error), std::string::npos) << c.text << ": " << error;
    }
}

TEST(KeyScript, WhatIsNoScriptFailsInOneLineThatNamesIt) {
    testfs::ScratchDir dir;
    dir.mkdir("folder");
    dir.touch("big", std::string(max_script_bytes + 1, ' '));
    std::string most;
    while (most.size() + 3 <= max_script_bytes)
        most += "ok\n";
    dir.touch("most", most + std::string(max_script_bytes - most.size(), '\n'));
    dir.touch("bad", "ok\nwait");
    const struct {
        std::string path, error; // "" when it is read
    } cases[] = {
        {"", "key script \"\": an empty name names no file"},
        {dir / "missing", "No such file or directory"},
        {dir / "folder", "it is a folder"},
        {"/dev/zero", "larger than 1 MiB, the most a script may be"},
        {dir / "big", "larger than 1 MiB"},
        {dir / "most", ""},
        {dir / "bad", "line 2: \"wait\" takes milliseconds"},
    };
    for (const auto& c : cases) {
        std::vector<ScriptStep> steps;
        std::string error;
        EXPECT_EQ(readKeyScript(c.path, steps, error), c.error.empty()) << c.path << ": " << error;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
}

TEST(KeyTable, EveryKeyHasOneRowThatEveryFrontEndReachesAlike) {
    std::set<Keyboard> keys;
    std::set<std::string> words;
    for (const KeyBinding& b : keyTable()) {
        for (Keyboard k : b.keys) {
            if (k == Keyboard::none)
                continue;
            EXPECT_TRUE(keys.insert(k).second) << keyboardName(k) << " presses two keys";
            EXPECT_EQ(bindingFor(k), &b);
        }
        if (b.word) {
            EXPECT_TRUE(words.insert(b.word).second) << b.word;
            EXPECT_EQ(bindingForWord(b.word), &b);
        }
        if (b.action == KeyAction::remote) {
            EXPECT_EQ(&bindingFor(b.remote), &b);
        }
    }
    EXPECT_EQ(words.size(), 12u) << "every remote control key has its word";
    EXPECT_EQ(bindingFor(Keyboard::none), nullptr);
    EXPECT_EQ(bindingFor(letter('z')), nullptr);
    EXPECT_EQ(bindingForWord("hostclose"), nullptr);
}

TEST(KeyTable, KeysDoWhatTheWindowAndTheHostScreenWant) {
    const struct {
        Keyboard key;
        std::optional<RemoteKey> in_window;
        std::optional<HostChoice> on_host_screen;
    } cases[] = {
        {Keyboard::enter, RemoteKey::ok, HostChoice::launch},
        {Keyboard::escape, RemoteKey::exit, HostChoice::quit},
        {Keyboard::backspace, RemoteKey::exit, HostChoice::quit},
        {letter('q'), std::nullopt, HostChoice::quit},
        {Keyboard::f10, std::nullopt, std::nullopt},
        {letter('b'), RemoteKey::blue, std::nullopt},
        {Keyboard::page_down, RemoteKey::pageDown, std::nullopt},
        {Keyboard::none, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        const KeyBinding* press = bindingFor(c.key);
        EXPECT_EQ(keyForWindow(press, nullptr), c.in_window) << keyboardName(c.key);
        EXPECT_EQ(hostScreenChoice(press), c.on_host_screen) << keyboardName(c.key);
    }
    EXPECT_EQ(hostScreenLines({"Tivra 0.0.1", 3, true}),
              (std::vector<std::string>{"Tivra 0.0.1 has returned 3 to the box's menu.",
                                        "A file is still playing.", "",
                                        "Enter: start Tivra 0.0.1 again | Esc/Bksp/q: quit"}));
    EXPECT_EQ(hostScreenLines({"x", -1, false})[1], "Nothing is playing.");
}

TEST(PrintableText, ValidUtf8StaysAndEverythingElseIsAQuestionMark) {
    const struct {
        std::string bytes, shown;
    } cases[] = {
        {"Track 1.flac", "Track 1.flac"},
        {"caf\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x8E\xB5", "caf\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x8E\xB5"},
        {"a\tb\x7F\x1B[2J", "a?b??[2J"},
        {"\xC2\x85\xC2\xA0", "??\xC2\xA0"}, // C1 control, no-break space
        {"\xC0\xAF\xE0\x80\xAF", "?????"},  // overlong
        {"\xED\xA0\x80", "???"},            // a surrogate
        {"\xF4\x90\x80\x80\xF5", "?????"},  // past U+10FFFF
        {"\xE6\x97", "??"},                 // cut short
        {"\xEF\xBC\xA1\xF4\x80\x80\x80", "\xEF\xBC\xA1\xF4\x80\x80\x80"}, // U+FF21, U+100000
        {"\xFF\xC3(", "?\?("},
    };
    for (const auto& c : cases)
        EXPECT_EQ(printableText(c.bytes), c.shown) << c.shown;
}

TEST(TextFit, NamesAreCutAtACharactersEndWithAnEllipsisAndTheStripWraps) {
    const std::string cjk = "\xE6\x97\xA5\xE6\x9C\xAC"; // two wide characters
    const Fitted cases[] = {
        {"Song.flac", 9, "Song.flac"},
        {"Song.flac", 8, "Song.fl\u2026"},
        {"ab" + cjk, 6, "ab" + cjk},
        {"ab" + cjk, 5, "ab\xE6\x97\xA5\u2026"},
        {"ab" + cjk, 4, "ab\u2026"},
        {"ab", 1, "\u2026"},
        {"ab", 0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fitText(c.text, c.width, cells), c.shown) << c.text << " in " << c.width;
    EXPECT_EQ(codePoint("a\xE6\x97\xA5", 1), U'\u65E5');
    EXPECT_EQ(codePoint("\xEF\xBC\xA1!", 0), U'\uFF21');
    EXPECT_EQ(fitText("\xEF\xBC\xA1\xEF\xBC\xA1", 3, cells), "\xEF\xBC\xA1\u2026");
    EXPECT_EQ(codePoint("\xF0\x9F\x8E\xB5", 0), U'\U0001F3B5');
    const std::vector<std::string> entries = {"aa", "bbb", "c", "dddddd"};
    EXPECT_EQ(wrapEntries(entries, 8, "  ", cells),
              (std::vector<std::string>{"aa  bbb", "c", "dddddd"}));
    EXPECT_EQ(wrapEntries(entries, 3, "  ", cells), entries);
    EXPECT_EQ(wrapEntries(entries, 99, "|", cells), (std::vector<std::string>{"aa|bbb|c|dddddd"}));
}

TEST(NoticeLine, ALongNoticeKeepsItsRemedyInBracketsWhole) {
    const Fitted cases[] = {
        {"no sound (--dsp to choose)", 26, "no sound (--dsp to choose)"},
        {"no sound at all (--dsp to choose)", 26, "no soun\u2026 (--dsp to choose)"},
        {"no sound at all (--dsp to choose)", 19, "\u2026 (--dsp to choose)"},
        {"no sound at all (--dsp to choose)", 17, "no sound at all \u2026"},
        {"no sound at all; nothing plays", 20, "no sound at all; no\u2026"},
        {"ends in ) but (no) remedy here", 12, "ends in ) b\u2026"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fitNotice(c.text, c.width, cells), c.shown) << c.text << " in " << c.width;
    // The one a machine without sound shows at start, at 80 columns.
    const dsp::SinkChoice nothing = dsp::chooseSink({}, false, {false, false, true});
    const std::string line = fitNotice(nothing.said, 80, cells);
    EXPECT_LE(cells(line), 80) << line;
    EXPECT_NE(line.find("--dsp"), std::string::npos) << line;
}

TEST(Help, ListsEveryScriptWordAndWhereEachKeyWorks) {
    const std::string help = helpText();
    for (const ScriptWord& w : scriptWords()) {
        const std::string head = "\n  " + std::string(w.word) + (w.argument ? " " : "") +
                                 (w.argument ? w.argument : "") + " ";
        EXPECT_NE(help.find(head), std::string::npos) << head;
    }
    for (const char* row : {"  key             in the window  host's screen  key script\n",
                            "  Enter           OK             start          ok\n",
                            "  Esc/Bksp        exit           quit           exit\n",
                            "  F10/p           standby        -              (hostclose)\n",
                            "  q               -              quit           -\n", "pgdown",
                            "SIGINT 130", "SIGALRM 142"})
        EXPECT_NE(help.find(row), std::string::npos) << row;
    EXPECT_EQ(helpRow("wait MS", "wait MS milliseconds"),
              "  wait MS         wait MS milliseconds\n");
    EXPECT_EQ(helpRow(std::string(16, 'w'), "x"),
              "  " + std::string(16, 'w') + "\n" + std::string(18, ' ') + "x\n");
    EXPECT_EQ(helpRow("w", std::string(60, 'a') + " b"),
              "  w               " + std::string(60, 'a') + "\n" + std::string(18, ' ') + "b\n");
}

TEST(TerminalLines, TheListKeepsTheBoxsRowsWhileThereIsRoomAndNothingShares) {
    const LineMap none(WidgetNode{}, 24); // no window: the screen scaled evenly
    EXPECT_EQ((std::vector<int>{none.line(0), none.line(288), none.line(575)}),
              (std::vector<int>{0, 12, 23}));
    // Tivra's window: a list of 15 rows above the labels and the buttons.
    eTivraDialog dialog;
    dialog.show();
    const WidgetNode window = snapshot(dialog);
    // Title, list's top, its end, the label, the buttons, the bottom border,
    // the screen's end: spare lines go round the list, by pixels.
    const struct {
        int lines;
        std::vector<int> at;
    } cases[] = {{22, {0, 1, 18, 18, 19, 20, 22}}, {60, {7, 9, 26, 34, 46, 52, 60}}};
    for (const auto& c : cases) {
        const LineMap map(window, c.lines);
        EXPECT_EQ((std::vector<int>{map.line(45), map.line(85), map.line(385), map.line(435),
                                    map.line(500), map.line(535) - 1, map.line(576)}),
                  c.at)
            << c.lines;
        EXPECT_EQ(map.line(-1), 0);
    }
    const LineMap tight(window, 11);
    EXPECT_EQ(tight.line(385) - tight.line(85), 7) << "the list gives up rows first";
    EXPECT_LT(tight.line(435), tight.line(500)) << "the labels keep their own lines";
    EXPECT_LT(tight.line(500), tight.line(535) - 1) << "the buttons keep theirs";
}

TEST(ShrunkPicture, AveragesSoThatOnePixelLinesFadeButStay) {
    // 6 x 4, black with a white line one pixel wide down column 2.
    std::vector<std::uint8_t> from(6 * 4 * 4, 0), to(3 * 2 * 4, 7);
    for (int y = 0; y < 4; ++y)
        for (int c = 0; c < 4; ++c)
            from[static_cast<std::size_t>((y * 6 + 2) * 4 + c)] = 255;
    shrinkPixels({from.data(), 6, 4, 6 * 4}, to.data(), 3, 2, 3 * 4);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(to[static_cast<std::size_t>((y * 3 + x) * 4)], x == 1 ? 128 : 0) << x;
    }
    std::vector<std::uint8_t> third(2 * 1 * 4);
    shrinkPixels({from.data(), 6, 4, 6 * 4}, third.data(), 2, 1, 2 * 4);
    EXPECT_EQ(third[0], 85) << "a third of the line's light";
    EXPECT_EQ(third[4], 0);
}
