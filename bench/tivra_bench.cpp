// tivra_bench: every speed, memory and latency figure of the player, each
// measured side by side with its yardstick in the same run, printed as one
// Markdown table. Not a test: nothing here fails on a timing.
//   tivra_bench                 the whole table
//   tivra_bench --interleave N  only the frame output, N frames (for callgrind)
#include "alloc_counter.h"

#include "boxsim/dsp/sound_card.h"
#include "boxsim/toolkit/thread_registry.h"
#include "playback/decoder.h"
#include "playback/exec_thread.h"
#include "playback/frame_output.h"
#include "plugin/player_dialog.h"
#include "tests/support/flac_maker.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double seconds_since(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

template <class F> double best_of(int n, F run) {
    double best = 1e30;
    for (int i = 0; i < n; ++i) {
        const auto t = Clock::now();
        run();
        best = std::min(best, seconds_since(t));
    }
    return best;
}

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

// Plays path through a worker into the card, as the window would.
void play_through_worker(const std::string& path) {
    auto* worker = new ExecThread(path);
    worker->start();
    while (boxsim::liveThreads() > 0)
        boxsim::waitForNoThreads(5ms);
    free_ended_worker();
}

int run_flac_decoder(const std::string& path) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const char* argv[] = {
        "flac", "-d",         "-s",   "--force-raw-format", "--endian=big", "--sign=signed",
        "-c",   path.c_str(), nullptr};
    pid_t pid;
    if (posix_spawnp(&pid, "flac", &actions, nullptr, const_cast<char**>(argv), environ) != 0)
        return -1;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

void use_card(bool fast) {
    boxsim::dsp::Settings s;
    s.sink = boxsim::dsp::SinkKind::null;
    s.fast = fast;
    s.record = false;
    boxsim::dsp::configure(s);
}

void decode_cost(const std::string& ten_minutes) {
    use_card(true);
    play_through_worker(ten_minutes); // warm the page cache
    const double ours = best_of(3, [&] { play_through_worker(ten_minutes); });
    const double theirs = best_of(3, [&] { run_flac_decoder(ten_minutes); });
    row("decode run, 10 min 44.1 kHz 16-bit stereo, into the fast device (s)", fmt("%.3f", ours),
        fmt("%.3f (flac -d to raw BE into /dev/null)", theirs), fmt("%.2f", ours / theirs),
        "<= 1.05");
    row("decode run, times faster than real time", fmt("%.0fx", 600.0 / ours),
        fmt("%.0fx", 600.0 / theirs), fmt("%.2f", theirs / ours), "");
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

void stop_latency(const std::string& ten_minutes) {
    use_card(false);
    std::vector<double> ms;
    for (int i = 0; i < 100; ++i) {
        auto* worker = new ExecThread(ten_minutes);
        worker->start();
        while (file_info.is_playing != 1)
            std::this_thread::sleep_for(1ms);
        std::this_thread::sleep_for(30ms); // the card's buffer is full by now
        const auto t = Clock::now();
        stop_worker();
        ms.push_back(seconds_since(t) * 1000);
        free_ended_worker();
    }
    std::sort(ms.begin(), ms.end());
    row("stop latency, kill(true) to the end of thread_finished(), 100 kills (ms)",
        fmt("median %.2f", ms[ms.size() / 2]) + fmt(", max %.2f", ms.back()), "1000 (the window)",
        fmt("%.3f", ms.back() / 1000), "median < 50");
}

// A copy cut short: a few frames, then zeros to 2 GiB. libFLAC searches the
// zeros for a frame and calls no write callback meanwhile.
void stop_latency_without_frames(const std::string& base) {
    const std::string padded = base + "/padded.flac";
    testaudio::writeTone(padded, testaudio::Format{}, 0.2);
    if (truncate(padded.c_str(), 2LL << 30) != 0)
        return;
    use_card(true);
    std::vector<double> ms;
    for (int i = 0; i < 20; ++i) {
        auto* worker = new ExecThread(padded);
        worker->start();
        while (file_info.is_playing != 1)
            std::this_thread::sleep_for(1ms);
        std::this_thread::sleep_for(50ms); // the frames are played: it searches
        const auto t = Clock::now();
        stop_worker();
        ms.push_back(seconds_since(t) * 1000);
        free_ended_worker();
    }
    std::sort(ms.begin(), ms.end());
    row("stop latency while the decoder searches 2 GiB of zeros, 20 stops (ms)",
        fmt("median %.2f", ms[ms.size() / 2]) + fmt(", max %.2f", ms.back()), "50 (the goal)",
        fmt("%.3f", ms.back() / 50), "max < 50");
    std::remove(padded.c_str());
}

double plain_listing(const std::string& dir) {
    return best_of(3, [&] {
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
    });
}

void listing(const std::string& base) {
    eTivraDialog dialog;
    double first_per_entry = 0;
    for (int n : {1000, 10000, 100000}) {
        const std::string dir = base + "/list" + std::to_string(n);
        mkdir(dir.c_str(), 0755);
        for (int i = 0; i < n; ++i) {
            const std::string name = dir + (i % 10 == 0 ? "/Folder " : "/Track ") +
                                     std::to_string(i) + (i % 10 == 0 ? "" : ".flac");
            if (i % 10 == 0)
                mkdir(name.c_str(), 0755);
            else
                close(open(name.c_str(), O_CREAT | O_WRONLY, 0644));
        }
        const double ours = best_of(3, [&] { dialog.dispfiles(dir); });
        const double plain = plain_listing(dir);
        const double per_entry = ours / n * 1e6;
        if (n == 1000)
            first_per_entry = per_entry;
        row("dispfiles, " + std::to_string(n) + " entries (us per entry)", fmt("%.2f", per_entry),
            fmt("%.2f (readdir, stat, lstat)", plain / n * 1e6), fmt("%.2f", ours / plain),
            "<= 1.5; per entry flat: " + fmt("%.2f", per_entry / first_per_entry));
    }
}

void interleave_only(int frames) {
    FLAC__Frame frame{};
    frame.header.blocksize = 4096;
    frame.header.channels = 2;
    frame.header.bits_per_sample = 16;
    std::vector<FLAC__int32> left(4096), right(4096);
    for (int i = 0; i < 4096; ++i) {
        left[i] = i * 7 - 9000;
        right[i] = 12000 - i * 5;
    }
    const FLAC__int32* channels[] = {left.data(), right.data()};
    static unsigned char out[4096 * 2 * 2];
    for (int i = 0; i < frames; ++i)
        frame_to_s16be(&frame, channels, out);
}

void instructions_per_sample(const char* self) {
    const int frames = 200;
    const std::string out = "/tmp/tivra-bench-callgrind.out";
    const std::string command = "valgrind --tool=callgrind --callgrind-out-file=" + out +
                                " --toggle-collect='frame_to_s16be*' " + self + " --interleave " +
                                std::to_string(frames) + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        row("frame output, instructions per sample", "valgrind failed", "-", "-", "");
        return;
    }
    std::ifstream in(out);
    std::string line;
    double total = 0;
    while (std::getline(in, line)) {
        if (line.rfind("summary:", 0) == 0 || line.rfind("totals:", 0) == 0)
            total = std::atof(line.substr(line.find(':') + 1).c_str());
    }
    std::remove(out.c_str());
    row("frame output: interleave and byte order, instructions per sample (callgrind)",
        fmt("%.2f", total / (frames * 4096.0 * 2)), "-", "-", "");
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--interleave") {
        interleave_only(std::atoi(argv[2]));
        return 0;
    }
    char base[] = "/tmp/tivra-bench-XXXXXX";
    if (!mkdtemp(base))
        return 1;
    const testaudio::Format format{2, 16, 44100, 4096};
    const std::string one = std::string(base) + "/one.flac", ten = std::string(base) + "/ten.flac";
    std::fprintf(stderr, "tivra_bench: making the test files\n");
    testaudio::writeFlac(one, format, testaudio::makeSignal(format, 44100 * 60));
    testaudio::writeFlac(ten, format, testaudio::makeSignal(format, 44100 * 600));

    const std::time_t now = std::time(nullptr);
    char date[64];
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M UTC", std::gmtime(&now));
    std::printf("Measured %s on %u cores.\n\n", date, std::thread::hardware_concurrency());
    std::printf("| figure | ours | yardstick | ratio | goal |\n|---|---|---|---|---|\n");
    decode_cost(ten);
    heap(one, ten);
    stop_latency(ten);
    stop_latency_without_frames(base);
    listing(base);
    instructions_per_sample(argv[0]);
    boxsim::dsp::waitUntilIdle(5s);
    std::system((std::string("rm -rf ") + base).c_str());
    return 0;
}
