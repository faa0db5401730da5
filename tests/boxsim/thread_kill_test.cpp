// The host's kill as each build delivers it, held to one table: which calls
// a killed thread is cut short in, and how soon. The plain build, where the
// C library delivers the kill itself, is where the table was read; every
// other build (sanitizers, the box's processor under emulation) must agree
// call by call. Also: the layer that takes the calls over comes before
// every library, and the host's thread wrapper notes what the box does not
// promise.
#include "boxsim/dsp/sound_card.h"
#include "boxsim/toolkit/kill_at.h"
#include "boxsim/toolkit/thread_registry.h"
#include "host/ethread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <dlfcn.h>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <poll.h>
#include <pthread.h>
#include <semaphore.h>
#include <sys/epoll.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// Each call would wait three seconds or for ever; the kill comes after 100 ms.
constexpr auto kill_after = 100ms;
const timespec three{3, 0};

// What a call needs around it: made before the thread starts, undone after.
struct Stage {
    int fds[2] = {-1, -1};
    int listener = -1;
    pid_t child = -1;
    sem_t semaphore;
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    pthread_cond_t cond = PTHREAD_COND_INITIALIZER;
    std::thread sleeper;
    std::string fifo;
    timespec until; // three seconds from now, by the real-time clock
    timeval tv{3, 0};
    sigset_t mask;
    epoll_event event;
    char byte;
    std::vector<char> lots = std::vector<char>(1 << 20);

    Stage() {
        sem_init(&semaphore, 0, 0);
        clock_gettime(CLOCK_REALTIME, &until);
        until.tv_sec += 3;
    }
    ~Stage() {
        for (int fd : {fds[0], fds[1], listener})
            if (fd >= 0)
                close(fd);
        if (child > 0) {
            ::kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
        }
        if (sleeper.joinable())
            sleeper.join();
        if (!fifo.empty())
            unlink(fifo.c_str());
        sem_destroy(&semaphore);
    }
    // The calling thread's own signal mask.
    const sigset_t* own_mask() {
        pthread_sigmask(SIG_BLOCK, nullptr, &mask);
        return &mask;
    }
    void cond_wait(const timespec* deadline) {
        pthread_mutex_lock(&mutex);
        struct Unlock { // on the way out, the cancelled way included
            pthread_mutex_t& m;
            ~Unlock() { pthread_mutex_unlock(&m); }
        } unlock{mutex};
        deadline ? pthread_cond_timedwait(&cond, &mutex, deadline)
                 : pthread_cond_wait(&cond, &mutex);
    }
    void fork_paused() {
        if ((child = fork()) == 0) {
            pause();
            _exit(0);
        }
    }
    void fifo_nobody_reads() {
        fifo = "/tmp/tivra-kill-fifo-" + std::to_string(getpid());
        mkfifo(fifo.c_str(), 0600);
    }
    void listen_abstract() {
        listener = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        const std::string name = "tivra-kill-" + std::to_string(getpid());
        name.copy(a.sun_path + 1, sizeof a.sun_path - 2); // an abstract name
        bind(listener, reinterpret_cast<sockaddr*>(&a),
             static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size()));
        listen(listener, 1);
    }
    void sigwait_usr2() {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGUSR2);
        pthread_sigmask(SIG_BLOCK, &set, nullptr);
        int number;
        sigwait(&set, &number);
    }
};

struct Row {
    const char* call;
    std::function<void(Stage&)> wait, prepare = nullptr;
};

const std::vector<Row>& rows() {
    static const std::vector<Row> all = {
        {"sleep", [](Stage&) { sleep(3); }},
        {"usleep", [](Stage&) { usleep(3000000); }},
        {"nanosleep", [](Stage&) { nanosleep(&three, nullptr); }},
        {"clock_nanosleep", [](Stage&) { clock_nanosleep(CLOCK_MONOTONIC, 0, &three, nullptr); }},
        {"poll", [](Stage&) { poll(nullptr, 0, 3000); }},
        {"ppoll, with the thread's own mask",
         [](Stage& s) { ppoll(nullptr, 0, &three, s.own_mask()); }},
        {"select", [](Stage& s) { select(0, nullptr, nullptr, nullptr, &s.tv); }},
        {"pselect, with the thread's own mask",
         [](Stage& s) { pselect(0, nullptr, nullptr, nullptr, &three, s.own_mask()); }},
        {"epoll_wait", [](Stage& s) { epoll_wait(s.fds[0], &s.event, 1, 3000); },
         [](Stage& s) { s.fds[0] = epoll_create1(EPOLL_CLOEXEC); }},
        {"sem_wait", [](Stage& s) { sem_wait(&s.semaphore); }},
        {"sem_timedwait", [](Stage& s) { sem_timedwait(&s.semaphore, &s.until); }},
        {"pthread_cond_wait", [](Stage& s) { s.cond_wait(nullptr); }},
        {"pthread_cond_timedwait", [](Stage& s) { s.cond_wait(&s.until); }},
        {"pthread_join", [](Stage& s) { pthread_join(s.sleeper.native_handle(), nullptr); },
         [](Stage& s) { s.sleeper = std::thread([] { std::this_thread::sleep_for(1500ms); }); }},
        {"waitpid", [](Stage& s) { waitpid(s.child, nullptr, 0); }, &Stage::fork_paused},
        {"read, an empty pipe", [](Stage& s) { read(s.fds[0], &s.byte, 1); },
         [](Stage& s) { pipe(s.fds); }},
        {"write, a full pipe", [](Stage& s) { write(s.fds[1], s.lots.data(), s.lots.size()); },
         [](Stage& s) { pipe(s.fds); }},
        {"open, a named pipe nobody reads",
         [](Stage& s) { s.fds[1] = open(s.fifo.c_str(), O_WRONLY); }, &Stage::fifo_nobody_reads},
        {"accept", [](Stage& s) { s.fds[0] = accept(s.listener, nullptr, nullptr); },
         &Stage::listen_abstract},
        {"recv", [](Stage& s) { recv(s.fds[0], &s.byte, 1, 0); },
         [](Stage& s) { socketpair(AF_UNIX, SOCK_STREAM, 0, s.fds); }},
        {"sigwait", &Stage::sigwait_usr2},
        {"sigsuspend, with the thread's own mask", [](Stage& s) { sigsuspend(s.own_mask()); }},
        {"pause", [](Stage&) { pause(); }},
    };
    return all;
}

struct Outcome {
    bool returned = false; // the call came back and the body went on
    bool unwound = false;  // the body's frames were left, either way
    bool finished = false; // thread_finished() ran
    bool held = false;     // a kill placed at a point was held there
    Clock::duration took{};
};

struct Waiter : eThread {
    Waiter(
        std::function<void()> c, Outcome& o, std::function<void()> e = [] {})
        : call(std::move(c)), end(std::move(e)), out(o) {}
    void thread() override {
        struct Left {
            Outcome& out;
            ~Left() { out.unwound = true; }
        } left{out};
        call();
        out.returned = true;
    }
    void thread_finished() override {
        end();
        finished = true;
    }
    std::function<void()> call, end;
    Outcome& out;
    std::atomic<bool> finished{false};
};

// Runs call on a thread of the host's, kills it after a while, and says how
// it went; end runs in its thread_finished().
Outcome killed_in(
    const std::function<void()>& call, std::function<void()> end = [] {}) {
    Outcome out;
    Waiter waiter(call, out, std::move(end));
    waiter.run();
    std::this_thread::sleep_for(kill_after);
    const auto killed = Clock::now();
    waiter.kill(true);
    while (!waiter.finished && Clock::now() - killed < 5s)
        std::this_thread::sleep_for(1ms);
    out.took = Clock::now() - killed;
    out.finished = waiter.finished;
    return out;
}

// Runs call on a thread of the host's with a kill placed at its n-th
// cancellation point, as --kill-at places it, and says how it went.
Outcome killed_at(int n, const std::function<void()>& call) {
    std::atomic<bool> held{false};
    boxsim::kill_at::arm({n, [](const std::string&) {}, [&held] { held = true; }});
    Outcome out;
    {
        Waiter waiter(call, out);
        waiter.run();
        for (const auto until = Clock::now() + 5s; !held && Clock::now() < until;)
            std::this_thread::sleep_for(1ms);
        waiter.kill(true);
        while (!waiter.finished)
            std::this_thread::sleep_for(1ms);
    } // the host's wrapper has left the thread
    boxsim::kill_at::disarm();
    out.held = held;
    return out;
}

long ms(Clock::duration d) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
}

// Busy without a call that is a cancellation point.
void busy_for(Clock::duration d) {
    for (const auto until = Clock::now() + d; Clock::now() < until;) {
    }
}

} // namespace

TEST(HostKill, EveryBlockingCallOfTheCLibraryIsCutShortAtOnce) {
    for (const Row& row : rows()) {
        Stage stage;
        if (row.prepare)
            row.prepare(stage);
        const Outcome out = killed_in([&] { row.wait(stage); });
        EXPECT_TRUE(out.finished) << row.call;
        EXPECT_FALSE(out.returned) << row.call << ": not cut short";
        EXPECT_TRUE(out.unwound) << row.call;
        EXPECT_LT(ms(out.took), 1000) << row.call << ": cut short late";
    }
}

TEST(HostKill, OnlyAPointCutsAThreadShort) {
    // Busy for a while without a call: the kill waits for the next point.
    Outcome out = killed_in([] { busy_for(400ms); });
    EXPECT_TRUE(out.returned) << "cut short outside a cancellation point";
    EXPECT_GE(ms(out.took), 250);
    // A point reached afterwards acts on the kill, as the call returns.
    std::atomic<bool> after{false};
    out = killed_in([&after] {
        busy_for(300ms);
        getppid(); // not a point
        after = true;
        close(-1); // a point: it returns, and the thread is cut short there
    });
    EXPECT_TRUE(after);
    EXPECT_FALSE(out.returned);
}

TEST(HostKill, APointWithCancellationDisabledIsNeitherCutShortNorDisturbed) {
    // A megabyte into a pipe that a reader drains slowly, cancellation off
    // throughout: the kill meanwhile neither interrupts the write nor
    // shortens it. Enabled again, the thread is cut short at its next point.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::atomic<bool> done{false};
    std::thread reader([&] {
        std::vector<char> chunk(64 << 10);
        while (!done) {
            if (read(fds[0], chunk.data(), chunk.size()) <= 0)
                break;
            std::this_thread::sleep_for(20ms);
        }
    });
    ssize_t wrote = 0;
    int error = 0;
    const Outcome out = killed_in([&] {
        int state;
        pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &state);
        std::vector<char> lots(1 << 20);
        errno = 0;
        wrote = write(fds[1], lots.data(), lots.size());
        error = errno;
        pthread_setcancelstate(state, nullptr);
        pthread_testcancel();
    });
    done = true;
    close(fds[1]);
    reader.join();
    close(fds[0]);
    EXPECT_EQ(wrote, 1 << 20) << "a short count";
    EXPECT_NE(error, EINTR);
    EXPECT_FALSE(out.returned) << "not cut short once enabled again";
}

TEST(HostKill, KillAtCountsEachCallsStartAndItsReturnApart) {
    std::string said; // read once the thread has gone
    boxsim::kill_at::arm({1000, [&said](const std::string& line) { said = line; }, [] {}});
    Outcome out;
    {
        Waiter counted(
            [] {
                Stage s;
                s.until.tv_sec -= 3; // past: it returns at once
                s.cond_wait(&s.until);
                poll(nullptr, 0, 0);
            },
            out);
        counted.run();
        while (!counted.finished)
            std::this_thread::sleep_for(1ms);
    } // the host's wrapper has left the thread
    boxsim::kill_at::disarm();
    EXPECT_EQ(said, "--kill-at 1000: the worker ended after 4 cancellation points");
}

TEST(HostKill, AWaitWhoseReturnActsOnAKillGivesBackWhatItTook) {
    // Killed as its wait returns with the semaphore's token: the token is
    // not lost with the thread.
    Stage s;
    sem_post(&s.semaphore);
    const Outcome out = killed_at(2, [&s] { sem_wait(&s.semaphore); });
    ASSERT_TRUE(out.held) << "never reached the return of sem_wait";
    EXPECT_FALSE(out.returned);
    EXPECT_EQ(sem_trywait(&s.semaphore), 0) << "the token went with the thread";
}

TEST(HostKill, AJoinThatSucceededIsNoPointAtItsReturn) {
    // A thread joined cannot be joined again: a kill as the join returns
    // waits for the next point, and the caller knows it joined.
    pthread_t ended;
    ASSERT_EQ(pthread_create(
                  &ended, nullptr, [](void*) -> void* { return nullptr; }, nullptr),
              0);
    std::atomic<bool> joined{false};
    const Outcome out = killed_at(2, [&] {
        joined = pthread_join(ended, nullptr) == 0;
        close(-1); // the second point: its start
    });
    ASSERT_TRUE(out.held);
    EXPECT_TRUE(joined) << "cut short as the join returned";
    EXPECT_FALSE(out.returned);
}

TEST(HostKill, AThreadCutShortInsideTheDevicesOwnWaitEndsUndisturbed) {
    // The device's open waits inside the call; cut short there, the thread's
    // end still sleeps as long as it asks.
    boxsim::dsp::Settings slow;
    slow.open_delay_ms = 3000;
    boxsim::dsp::configure(slow);
    Clock::duration slept{};
    const Outcome out = killed_in([] { open("/dev/dsp", O_WRONLY); },
                                  [&slept] {
                                      const auto from = Clock::now();
                                      usleep(300000);
                                      slept = Clock::now() - from;
                                  });
    boxsim::dsp::configure({});
    ASSERT_TRUE(out.finished);
    EXPECT_FALSE(out.returned);
    EXPECT_GE(ms(slept), 290);
}

TEST(HostKill, TheCallsTakenOverComeBeforeEveryLibrary) {
    // In the program itself, ahead of the C library and of any sanitizer's
    // interceptor: a thread is never unwound through one, and plug-ins
    // loaded later bind to the same calls.
    Dl_info program;
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&rows), &program), 0);
    std::ifstream list(TIVRA_EXPORTS_LIST);
    ASSERT_TRUE(list) << TIVRA_EXPORTS_LIST;
    int names = 0;
    for (std::string line; std::getline(list, line);) {
        // "    name;"
        const std::size_t first = line.find_first_not_of(' ');
        if (first != 4 || line.back() != ';')
            continue;
        const std::string call = line.substr(4, line.size() - 5);
        ++names;
        void* f = dlsym(RTLD_DEFAULT, call.c_str());
        Dl_info where;
        ASSERT_NE(f, nullptr) << call;
        ASSERT_NE(dladdr(f, &where), 0) << call;
        EXPECT_EQ(where.dli_fbase, program.dli_fbase) << call << " is " << where.dli_fname << "'s";
    }
    EXPECT_GT(names, 70);
}

TEST(HostThreads, WhatTheBoxDoesNotPromiseIsNoted) {
    boxsim::clearThreadMisuse();
    Outcome out;
    {
        Waiter twice([] { pause(); }, out);
        twice.run();
        twice.kill(false);
        twice.kill(true);
        twice.kill(true);
    }
    // (A thread destroyed before its end is noted too; a test of it would
    // call the half-destroyed object's thread_finished().)
    EXPECT_EQ(boxsim::threadMisuse(),
              (std::vector<std::string>{"kill(false), whose effect the box does not state",
                                        "kill(true) on a thread already killed"}));
    boxsim::clearThreadMisuse();
}
