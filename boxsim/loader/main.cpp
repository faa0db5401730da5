// boxsim: the box's host, on this machine. Loads a plug-in, shows the box's
// disk at /hdd, serves /dev/dsp, and runs the plug-in's window in the
// terminal or from a key script, as often as the user starts it. The
// plug-in stays loaded until the host quits.
#include "boxsim/dsp/output_path.h"
#include "boxsim/dsp/sink_choice.h"
#include "boxsim/dsp/sink_report.h"
#include "boxsim/dsp/sound_card.h"
#include "boxsim/frontend/drivers/front_end.h"
#include "boxsim/frontend/drivers/headless_driver.h"
#include "boxsim/frontend/drivers/shutdown_request.h"
#ifdef BOXSIM_WITH_TERMINAL
#include "boxsim/frontend/drivers/terminal_driver.h"
#endif
#ifdef BOXSIM_WITH_WINDOW
#include "boxsim/frontend/drivers/window_driver.h"
#endif
#include "boxsim/hdd/box_root.h"
#include "boxsim/loader/options.h"
#include "boxsim/loader/plugin_library.h"
#include "boxsim/notices/notice_text.h"
#include "boxsim/notices/notices.h"
#include "boxsim/toolkit/kill_at.h"
#include "boxsim/toolkit/kill_model.h"
#include "boxsim/toolkit/modal_driver.h"
#include "boxsim/toolkit/thread_registry.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int fail(const std::string& message, int code = 1) {
    boxsim::sayOnStderr(message);
    return code;
}

// What the host hands every plug-in: it is not read, but it is a real pointer.
struct PluginParameters {
    int version = 1;
};

// Our own output goes to descriptors 1 and 2: a host started with them
// closed would otherwise write its dumps into the first file it opens. A
// closed standard input is left closed, as the box's host may have it.
void keep_output_descriptors_open() {
    for (int fd = 1; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1)
            continue;
        // With standard input closed too, the open takes 0.
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0 && null != fd) {
            dup2(null, fd);
            close(null);
        }
    }
}

// The displays the environment names, as a person would set them:
// DISPLAY ":0", or "" for none.
std::string displays_named() {
    std::string named;
    for (const char* name : {"WAYLAND_DISPLAY", "DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            named += (named.empty() ? "" : " and ") + std::string(name) + " " +
                     boxsim::quotedName(value);
    }
    return named;
}

// The front end a person uses: a window where a display opens, otherwise
// the terminal (null when there is none).
std::unique_ptr<boxsim::FrontEnd> open_screen(boxsim::Options::Screen screen) {
    using Screen = boxsim::Options::Screen;
    const bool want_window =
        screen == Screen::window || (screen == Screen::automatic && !displays_named().empty());
    if (want_window) {
#ifdef BOXSIM_WITH_WINDOW
        std::string why;
        if (auto window = boxsim::WindowDriver::open(why))
            return window;
        // SDL says only which of its drivers failed; the display is the cause.
        const std::string named = displays_named();
        const bool both = named.find(" and ") != std::string::npos;
        boxsim::notice((named.empty() ? "no display named"
                                      : named + (both ? " do not open" : " does not open")) +
                       ": SDL says " + boxsim::quotedName(why) + " (using the terminal)");
#else
        boxsim::notice("this boxsim was built without the window front end; using the terminal");
#endif
    }
#ifdef BOXSIM_WITH_TERMINAL
    if (isatty(STDIN_FILENO) && isatty(STDOUT_FILENO))
        return std::make_unique<boxsim::TerminalDriver>();
#endif
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    using namespace boxsim;
    keep_output_descriptors_open();
    Options options;
    options.plugin = TIVRA_DEFAULT_PLUGIN;
    std::string error;
    if (!parseOptions(argc, argv, options, error))
        return fail(error + " (boxsim --help shows the options)", 2);
    if (options.help) {
        std::printf("%s\n%s", usage().c_str(), helpText().c_str());
        return 0;
    }

    std::vector<ScriptStep> script;
    if (options.headless && !readKeyScript(options.keys, script, error))
        return fail(error, 2);

    if (options.hdd) {
        struct stat st;
        const std::string hdd = quotedName(*options.hdd);
        if (stat(options.hdd->c_str(), &st) != 0)
            return fail("--hdd " + hdd + ": " + std::strerror(errno), 2);
        if (!S_ISDIR(st.st_mode))
            return fail("--hdd " + hdd + " is not a folder", 2);
        if (!enterBoxRoot({{"hdd", *options.hdd}}, error))
            return fail("cannot show " + hdd + " at /hdd: " + error);
    }
    const dsp::Settings& dsp = options.dsp;
    if (!dsp.log_path.empty() && options.dsp_chosen &&
        dsp::sinkEntry(dsp.sink).target == dsp::SinkTarget::file &&
        dsp::sameFile(dsp.log_path, dsp.target))
        return fail("--dsp-log " + quotedName(dsp.log_path) +
                        " is the capture's own file: the log would overwrite the sound",
                    2);

    PluginLibrary plugin(options.plugin);
    if (!plugin.entry())
        return fail(plugin.error());

    // A sink that stops reading, or a file grown past the user's limit,
    // ends its capture or log with a word, not boxsim.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    dsp::SinkChoice sink =
        dsp::chooseSink(options.dsp, options.dsp_chosen, dsp::probeMachineSound());
    // A long session must not keep every device call in memory.
    sink.settings.record = false;
    if (sink.lost)
        dsp::report(sink.said, dsp::Loss::sound);
    else
        (sink.warn ? notice : inform)(sink.said);
    dsp::configure(sink.settings);

    std::unique_ptr<FrontEnd> front;
    if (options.headless) {
        front = std::make_unique<HeadlessDriver>(std::move(script), std::cout);
    } else {
        front = open_screen(options.screen);
        if (!front)
            return fail("the terminal front end needs a terminal; use --headless --keys SCRIPT", 2);
    }
    setKillModel(options.kill);
    if (options.kill_at > 0)
        kill_at::arm({options.kill_at, [](const std::string& line) { notice(line); },
                      [] { pressForUser(RemoteKey::blue); }});
    front->setPluginName(options.plugin.substr(options.plugin.rfind('/') + 1));
    watchForShutdown();
    setModalDriver(front.get());

    // The box's GUI stays up between runs: the plug-in is started again and
    // again until the host quits.
    PluginParameters parameters;
    int result = 0;
    for (;;) {
        result = plugin.entry()(&parameters);
        if (shutdownRequested() || front->finished() ||
            front->betweenRuns(result) == HostChoice::quit)
            break;
    }

    // Quitting: what still plays is stopped, not waited for, and only then
    // is the plug-in unloaded.
    while (liveThreads() > 0) {
        stopAllThreads();
        waitForNoThreads(std::chrono::milliseconds(20));
    }
    // What the box's toolkit would not promise to survive, for the plug-in's
    // developer.
    for (const std::string& what : threadMisuse())
        notice("the plug-in did what the box's thread wrapper does not promise: " + what);
    setModalDriver(nullptr);
    const std::string failure = front->failure();
    front.reset();
    plugin.unload();
    // A sink that stopped taking sound gets a bounded time, then is dropped.
    dsp::finish();
    std::cout.flush();
    if (!failure.empty())
        return fail(aboutScript(options.keys, failure), 2);
    // Ended by a signal, the host says so as a shell expects; sound that did
    // not reach the chosen sink is a failure too.
    return shutdownExitStatus().value_or(dsp::somethingWasLost() ? 1 : result);
}
