// tivra_bench: every speed, memory and latency figure of the player against
// its yardstick, printed as one Markdown table. Timings are paired (see
// paired.h). Not a test: nothing here fails on a timing.
//   tivra_bench                  the whole table
//   tivra_bench ROW...           only these rows: decode, capture, heap, stop,
//                                listing, instructions
//   tivra_bench --box            the box's row only: the decode run against
//                                libFLAC's own loop (run under qemu-ppc)
//   tivra_bench --interleave C N only the frame output, N frames of C
//                                channels (for callgrind)
#include "alloc_counter.h"
#include "decode_to_nowhere.h"
#include "paired.h"

#include "boxsim/dsp/sound_card.h"
#include "boxsim/toolkit/kill_model.h"
#include "boxsim/toolkit/thread_registry.h"
#include "playback/decoder.h"
#include "playback/exec_thread.h"
#include "playback/frame_output.h"
#include "playback/worker_record.h"
#include "plugin/player_dialog.h"
#include "tests/support/flac_maker.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using namespace std::chrono_literals;
using bench::Pairs;

constexpr int pairs = 9;

void row(const std::string& figure, const std::string& ours, const std::string& yardstick,
         const std::string& ratio, const std::string& goal) {
    std::printf("| %s | %s | %s | %s | %s |\n", figure.c_str(), ours.c_str(), yardstick.c_str(),
                ratio.c_str(), goal.c_str());
    std::fflush(stdout);
}

std::string fmt(const char* format, double v) {
    char text[64];
    std::snprintf(text, sizeof text, format, v);
    return text;
}

void use_card(bool fast) {
    boxsim::dsp::Settings s;
    s.sink = boxsim::dsp::SinkKind::null;
    s.fast = fast;
    s.record = false;
    boxsim::dsp::configure(s);
}

// Plays path through a worker into the card, as the window would.
void play_through_worker(const std::string& path) {
    play_in_new_worker(path, [](ExecThread&) { return SigC::Connection(); });
    while (boxsim::liveThreads() > 0)
        boxsim::waitForNoThreads(5ms);
    stop_workers(); // ended: frees it
}

// Runs a program with its output to /dev/null and waits for it.
void run_quietly(std::vector<std::string> args) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid;
    const bool spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned)
        waitpid(pid, &status, 0);
}

// To out, or to standard output (/dev/null) without one.
void run_flac_decoder(const std::string& path, const std::string& out = "") {
    std::vector<std::string> args = {
        "flac", "-d", "-s", "-f", "--force-raw-format", "--endian=big", "--sign=signed"};
    if (out.empty())
        args.push_back("-c");
    else
        args.insert(args.end(), {"-o", out});
    args.push_back(path);
    run_quietly(args);
}

void decode_cost(const std::string& ten_minutes) {
    use_card(true);
    const Pairs p = bench::paired(
        pairs, [&] { play_through_worker(ten_minutes); }, [&] { run_flac_decoder(ten_minutes); });
    const double ours = Pairs::median(p.ours), theirs = Pairs::median(p.theirs);
    row("decode run, 10 min 44.1 kHz 16-bit stereo, through the worker into the fast device (s)",
        fmt("%.3f", ours), fmt("%.3f (flac -d to raw BE into /dev/null)", theirs), p.text(),
        "<= 0.95");
    row("decode run, times faster than real time", fmt("%.0fx", 600.0 / ours),
        fmt("%.0fx", 600.0 / theirs), "-", "");
    const Pairs own = bench::paired(
        pairs, [&] { play_through_worker(ten_minutes); },
        [&] { bench::decodeToNowhere(ten_minutes); });
    row("decode run against libFLAC's own decode loop, 10 min (s)",
        fmt("%.3f", Pairs::median(own.ours)),
        fmt("%.3f (libFLAC's own loop, frames dropped)", Pairs::median(own.theirs)), own.text(),
        "");
}

// A whole boxsim session that captures a play into a raw file at the
// device's fastest, against flac -d writing the same bytes to a file.
void capture(const std::string& ten_minutes, const std::string& base) {
    const std::string disk = base + "/capture-disk", keys = base + "/capture-keys";
    mkdir(disk.c_str(), 0755);
    if (link(ten_minutes.c_str(), (disk + "/ten.flac").c_str()) != 0)
        return;
    std::ofstream(keys) << "down ok idle hostclose\n";
    const std::string ours = base + "/capture-ours.raw", theirs = base + "/capture-flac.raw";
    const Pairs p = bench::paired(
        pairs,
        [&] {
            run_quietly({BOXSIM_PROGRAM, "--hdd", disk, "--fast", "--dsp", "raw:" + ours,
                         "--headless", "--keys", keys});
        },
        [&] { run_flac_decoder(ten_minutes, theirs); });
    struct stat a, b;
    const bool same =
        stat(ours.c_str(), &a) == 0 && stat(theirs.c_str(), &b) == 0 && a.st_size == b.st_size;
    row("a boxsim session capturing 10 min into a raw file, --fast (s)",
        fmt("%.3f", Pairs::median(p.ours)) + (same ? "" : " (sizes differ!)"),
        fmt("%.3f (flac -d writing the same file)", Pairs::median(p.theirs)), p.text(), "<= 1.15");
}

std::size_t count_allocations(const std::string& path, std::size_t* peak) {
    audio = open("/dev/null", O_WRONLY);
    bench::startCounting();
    play_file(path.c_str());
    bench::stopCounting();
    if (peak)
        *peak = bench::peakBytes();
    return bench::allocationsCounted();
}

void heap(const std::string& one_minute, const std::string& ten_minutes) {
    count_allocations(one_minute, nullptr); // first-use allocations happen here
    std::size_t peak = 0;
    const std::size_t one = count_allocations(one_minute, nullptr);
    const std::size_t ten = count_allocations(ten_minutes, &peak);
    const double extra_frames = (600.0 - 60.0) * 44100 / 4096;
    row("heap allocations in one play: 1 min / 10 min file",
        fmt("%.0f", double(one)) + " / " + fmt("%.0f", double(ten)), "-",
        fmt("%.4f per frame", (double(ten) - double(one)) / extra_frames),
        "no more for the longer file");
    row("peak heap of one play (KiB)", fmt("%.0f", peak / 1024.0), "-", "-", "");
}

// Stops a worker once playing() holds, n times: the latencies in ms from
// the stop to the end of its end hook, sorted.
template <class Playing>
std::vector<double> stop_latencies(const std::string& path, int n, Playing playing) {
    std::vector<double> ms;
    for (int i = 0; i < n; ++i) {
        play_in_new_worker(path, [](ExecThread&) { return SigC::Connection(); });
        while (!playing())
            std::this_thread::sleep_for(1ms);
        ms.push_back(bench::timed([] {
                         stop_workers();
                         while (worker_alive())
                             std::this_thread::yield();
                     }) *
                     1000);
        stop_workers(); // ended: frees it
    }
    std::sort(ms.begin(), ms.end());
    return ms;
}

std::string spread(const std::vector<double>& ms) {
    return fmt("median %.2f", Pairs::median(ms)) + fmt(", max %.2f", ms.back());
}

// Under each answer the host may give to when a kill returns.
void stop_latency(const std::string& ten_minutes, const std::string& base) {
    auto playing_full = [] {
        static auto since = std::chrono::steady_clock::now();
        if (file_info.is_playing != 1) {
            since = std::chrono::steady_clock::now();
            return false;
        }
        return std::chrono::steady_clock::now() - since > 30ms; // its buffer is full by now
    };
    // A copy cut short: a few frames, then zeros to 2 GiB. libFLAC searches
    // the zeros for a frame and calls no write callback meanwhile.
    const std::string padded = base + "/padded.flac";
    testaudio::writeTone(padded, testaudio::Format{}, 0.2);
    const bool have_padded = truncate(padded.c_str(), 2LL << 30) == 0;
    for (const char* model : {"cancel", "cancel-nowait"}) {
        boxsim::setKillModel(*boxsim::killModelNamed(model));
        use_card(false);
        const auto blocked = stop_latencies(ten_minutes, 100, playing_full);
        row(std::string("stop latency, a worker blocked on the full device, 100 stops, --kill ") +
                model + " (ms)",
            spread(blocked), "50 (the goal)", fmt("%.3f", Pairs::median(blocked) / 50),
            "median < 50");
        if (!have_padded)
            continue;
        use_card(true);
        const auto searching = stop_latencies(padded, 20, playing_full);
        row(std::string(
                "stop latency while the decoder searches 2 GiB of zeros, 20 stops, --kill ") +
                model + " (ms)",
            spread(searching), "50 (the goal)", fmt("%.3f", searching.back() / 50), "max < 50");
    }
    boxsim::setKillModel(boxsim::KillModel::cancel);
    std::remove(padded.c_str());
}

void plain_listing(const std::string& dir) {
    for (int pass = 0; pass < 2; ++pass) {
        DIR* d = opendir(dir.c_str());
        while (dirent* e = readdir(d)) {
            struct stat st;
            const std::string path = dir + "/" + e->d_name;
            if (pass == 0)
                stat(path.c_str(), &st);
            else
                lstat(path.c_str(), &st);
        }
        closedir(d);
    }
}

std::string make_directory(const std::string& base, int n) {
    const std::string dir = base + "/list" + std::to_string(n);
    mkdir(dir.c_str(), 0755);
    for (int i = 0; i < n; ++i) {
        const std::string name = dir + (i % 10 == 0 ? "/Folder " : "/Track ") + std::to_string(i) +
                                 (i % 10 == 0 ? "" : ".flac");
        if (i % 10 == 0)
            mkdir(name.c_str(), 0755);
        else
            close(open(name.c_str(), O_CREAT | O_WRONLY, 0644));
    }
    return dir;
}

void listing(const std::string& base) {
    eTivraDialog dialog;
    const int sizes[] = {1000, 10000, 100000};
    std::string dirs[3];
    for (int k = 0; k < 3; ++k)
        dirs[k] = make_directory(base, sizes[k]);
    // Each sample lists about 100,000 entries, so that small directories
    // are timed over as long a stretch as the large one.
    auto ours = [&](int k) {
        for (int r = 0; r < 100000 / sizes[k]; ++r)
            dialog.dispfiles(dirs[k]);
    };
    auto plain = [&](int k) {
        for (int r = 0; r < 100000 / sizes[k]; ++r)
            plain_listing(dirs[k]);
    };
    for (int k = 0; k < 3; ++k) {
        const Pairs p = bench::paired(
            pairs, [&] { ours(k); }, [&] { plain(k); });
        const double per_ours = Pairs::median(p.ours) / 100000 * 1e6;
        const double per_plain = Pairs::median(p.theirs) / 100000 * 1e6;
        row("dispfiles, " + std::to_string(sizes[k]) + " entries (us per entry)",
            fmt("%.2f", per_ours), fmt("%.2f (readdir, stat, lstat)", per_plain), p.text(),
            "<= 1.3");
    }
    // The same per-entry cost, large against small, paired too.
    const Pairs ours_growth = bench::paired(
        pairs, [&] { ours(2); }, [&] { ours(0); });
    const Pairs plain_growth = bench::paired(
        pairs, [&] { plain(2); }, [&] { plain(0); });
    row("dispfiles per entry, 100000 against 1000 entries", "-",
        "readdir, stat, lstat: " + plain_growth.text(), ours_growth.text(), "<= 1.2");
}

void interleave_only(unsigned channels, int frames) {
    FLAC__Frame frame{};
    frame.header.blocksize = 4096;
    frame.header.channels = channels;
    frame.header.bits_per_sample = 16;
    std::vector<FLAC__int32> left(4096), right(4096);
    for (int i = 0; i < 4096; ++i) {
        left[i] = i * 7 - 9000;
        right[i] = 12000 - i * 5;
    }
    const FLAC__int32* buffers[] = {left.data(), right.data()};
    static std::uint16_t out[4096 * 2];
    for (int i = 0; i < frames; ++i)
        frame_to_s16be(&frame, buffers, out);
}

void instructions_per_sample(const char* self) {
    const int frames = 200;
    for (unsigned channels : {2u, 1u}) {
        const std::string out = "/tmp/tivra-bench-callgrind.out";
        const std::string command = "valgrind --tool=callgrind --callgrind-out-file=" + out +
                                    " --toggle-collect='frame_to_s16be*' " + self +
                                    " --interleave " + std::to_string(channels) + " " +
                                    std::to_string(frames) + " >/dev/null 2>&1";
        const std::string figure = "frame output, 16-bit " +
                                   std::string(channels == 2 ? "stereo" : "mono") +
                                   ": instructions per sample (callgrind)";
        if (std::system(command.c_str()) != 0) {
            row(figure, "valgrind failed", "-", "-", "");
            continue;
        }
        std::ifstream in(out);
        std::string line;
        double total = 0;
        while (std::getline(in, line)) {
            if (line.rfind("summary:", 0) == 0 || line.rfind("totals:", 0) == 0)
                total = std::atof(line.substr(line.find(':') + 1).c_str());
        }
        std::remove(out.c_str());
        row(figure, fmt("%.2f", total / (frames * 4096.0 * channels)), "-", "-", "<= 4");
    }
}

// On the box's processor, under emulation: only the ratio means anything.
void box_row(const std::string& path) {
    use_card(true);
    const Pairs p = bench::paired(
        pairs, [&] { play_through_worker(path); }, [&] { bench::decodeToNowhere(path); });
    row("decode run on the box's processor (qemu-ppc), 1 min 44.1 kHz 16-bit stereo (s)",
        fmt("%.2f", Pairs::median(p.ours)),
        fmt("%.2f (libFLAC's own loop, frames dropped)", Pairs::median(p.theirs)), p.text(), "");
}

// The rows a run can be limited to, by name, in the order they are run.
struct Inputs {
    std::string one, ten, base;
    const char* self;
};
struct Row {
    const char* name;
    void (*run)(const Inputs&);
};
const Row rows[] = {
    {"decode", [](const Inputs& in) { decode_cost(in.ten); }},
    {"capture", [](const Inputs& in) { capture(in.ten, in.base); }},
    {"heap", [](const Inputs& in) { heap(in.one, in.ten); }},
    {"stop", [](const Inputs& in) { stop_latency(in.ten, in.base); }},
    {"listing", [](const Inputs& in) { listing(in.base); }},
    {"instructions", [](const Inputs& in) { instructions_per_sample(in.self); }},
};

bool is_row(const std::string& name) {
    return std::any_of(std::begin(rows), std::end(rows),
                       [&](const Row& r) { return name == r.name; });
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--interleave") {
        interleave_only(static_cast<unsigned>(std::atoi(argv[2])), std::atoi(argv[3]));
        return 0;
    }
    const bool box = argc == 2 && std::string(argv[1]) == "--box";
    const std::vector<std::string> chosen(argv + 1, argv + argc);
    for (const std::string& name : box ? std::vector<std::string>{} : chosen) {
        if (is_row(name))
            continue;
        std::string names;
        for (const Row& r : rows)
            names += std::string(" ") + r.name;
        std::fprintf(stderr, "tivra_bench: there is no row \"%s\"; the rows are:%s\n", name.c_str(),
                     names.c_str());
        return 2;
    }
    char base[] = "/tmp/tivra-bench-XXXXXX";
    if (!mkdtemp(base))
        return 1;
    const testaudio::Format format{2, 16, 44100, 4096};
    const Inputs in{std::string(base) + "/one.flac", std::string(base) + "/ten.flac", base,
                    argv[0]};
    std::fprintf(stderr, "tivra_bench: making the test files\n");
    testaudio::writeFlac(in.one, format, testaudio::makeSignal(format, 44100 * 60));
    if (box) {
        box_row(in.one);
    } else {
        testaudio::writeFlac(in.ten, format, testaudio::makeSignal(format, 44100 * 600));
        const std::time_t now = std::time(nullptr);
        char date[64];
        std::strftime(date, sizeof date, "%Y-%m-%d %H:%M UTC", std::gmtime(&now));
        std::printf("Measured %s on %u cores; timings are the medians of %d pairs.\n\n", date,
                    std::thread::hardware_concurrency(), pairs);
        std::printf("| figure | ours | yardstick | ratio: median (min-max) | goal |\n"
                    "|---|---|---|---|---|\n");
        for (const Row& r : rows) {
            if (chosen.empty() || std::find(chosen.begin(), chosen.end(), r.name) != chosen.end())
                r.run(in);
        }
    }
    boxsim::dsp::waitUntilIdle(5s);
    std::system((std::string("rm -rf ") + base).c_str());
    return 0;
}
