// The host's kill as each build delivers it, held to one table: which calls
// a killed thread is cut short in, and how soon. The plain build, where the
// C library delivers the kill itself, is where the table was read; every
// other build (sanitizers, the box's processor under emulation) must agree
// call by call. Also: the layer that takes the calls over comes before
// every library, and the host's thread wrapper notes what the box does not
// promise.
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

timespec in(std::chrono::seconds s, clockid_t clock = CLOCK_REALTIME) {
    timespec t;
    clock_gettime(clock, &t);
    t.tv_sec += s.count();
    return t;
}

sigset_t current_mask() {
    sigset_t mask;
    pthread_sigmask(SIG_BLOCK, nullptr, &mask);
    return mask;
}

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

    Stage() { sem_init(&semaphore, 0, 0); }
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
};

struct Row {
    const char* call;
    std::function<void(Stage&)> prepare;
    std::function<void(Stage&)> wait;
};

// Unlocks on the way out, the cancelled way included.
struct Unlock {
    pthread_mutex_t& m;
    ~Unlock() { pthread_mutex_unlock(&m); }
};

const std::vector<Row>& rows() {
    static const std::vector<Row> all = {
        {"sleep", nullptr, [](Stage&) { sleep(3); }},
        {"usleep", nullptr, [](Stage&) { usleep(3000000); }},
        {"nanosleep", nullptr,
         [](Stage&) {
             const timespec t{3, 0};
             nanosleep(&t, nullptr);
         }},
        {"clock_nanosleep", nullptr,
         [](Stage&) {
             const timespec t{3, 0};
             clock_nanosleep(CLOCK_MONOTONIC, 0, &t, nullptr);
         }},
        {"poll", nullptr, [](Stage&) { poll(nullptr, 0, 3000); }},
        {"ppoll, with the thread's own mask", nullptr,
         [](Stage&) {
             const timespec t{3, 0};
             const sigset_t mask = current_mask();
             ppoll(nullptr, 0, &t, &mask);
         }},
        {"select", nullptr,
         [](Stage&) {
             timeval t{3, 0};
             select(0, nullptr, nullptr, nullptr, &t);
         }},
        {"pselect, with the thread's own mask", nullptr,
         [](Stage&) {
             const timespec t{3, 0};
             const sigset_t mask = current_mask();
             pselect(0, nullptr, nullptr, nullptr, &t, &mask);
         }},
        {"epoll_wait", [](Stage& s) { s.fds[0] = epoll_create1(EPOLL_CLOEXEC); },
         [](Stage& s) {
             epoll_event e;
             epoll_wait(s.fds[0], &e, 1, 3000);
         }},
        {"sem_wait", nullptr, [](Stage& s) { sem_wait(&s.semaphore); }},
        {"sem_timedwait", nullptr,
         [](Stage& s) {
             const timespec until = in(3s);
             sem_timedwait(&s.semaphore, &until);
         }},
        {"pthread_cond_wait", nullptr,
         [](Stage& s) {
             pthread_mutex_lock(&s.mutex);
             const Unlock unlock{s.mutex};
             pthread_cond_wait(&s.cond, &s.mutex);
         }},
        {"pthread_cond_timedwait", nullptr,
         [](Stage& s) {
             pthread_mutex_lock(&s.mutex);
             const Unlock unlock{s.mutex};
             const timespec until = in(3s);
             pthread_cond_timedwait(&s.cond, &s.mutex, &until);
         }},
        {"pthread_join",
         [](Stage& s) { s.sleeper = std::thread([] { std::this_thread::sleep_for(1500ms); }); },
         [](Stage& s) { pthread_join(s.sleeper.native_handle(), nullptr); }},
        {"waitpid",
         [](Stage& s) {
             s.child = fork();
             if (s.child == 0) {
                 pause();
                 _exit(0);
             }
         },
         [](Stage& s) { waitpid(s.child, nullptr, 0); }},
        {"read, an empty pipe", [](Stage& s) { pipe(s.fds); },
         [](Stage& s) {
             char c;
             read(s.fds[0], &c, 1);
         }},
        {"write, a full pipe", [](Stage& s) { pipe(s.fds); },
         [](Stage& s) {
             std::vector<char> lots(1 << 20);
             write(s.fds[1], lots.data(), lots.size());
         }},
        {"open, a named pipe nobody reads",
         [](Stage& s) {
             s.fifo = "/tmp/tivra-kill-fifo-" + std::to_string(getpid());
             mkfifo(s.fifo.c_str(), 0600);
         },
         [](Stage& s) { s.fds[1] = open(s.fifo.c_str(), O_WRONLY); }},
        {"accept",
         [](Stage& s) {
             s.listener = socket(AF_UNIX, SOCK_STREAM, 0);
             sockaddr_un a{};
             a.sun_family = AF_UNIX;
             const std::string name = "tivra-kill-" + std::to_string(getpid());
             name.copy(a.sun_path + 1, sizeof a.sun_path - 2); // an abstract name
             bind(s.listener, reinterpret_cast<sockaddr*>(&a),
                  static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size()));
             listen(s.listener, 1);
         },
         [](Stage& s) { s.fds[0] = accept(s.listener, nullptr, nullptr); }},
        {"recv", [](Stage& s) { socketpair(AF_UNIX, SOCK_STREAM, 0, s.fds); },
         [](Stage& s) {
             char c;
             recv(s.fds[0], &c, 1, 0);
         }},
        {"sigwait", [](Stage&) {},
         [](Stage&) {
             sigset_t set;
             sigemptyset(&set);
             sigaddset(&set, SIGUSR2);
             pthread_sigmask(SIG_BLOCK, &set, nullptr);
             int number;
             sigwait(&set, &number);
         }},
        {"sigsuspend, with the thread's own mask", nullptr,
         [](Stage&) {
             const sigset_t mask = current_mask();
             sigsuspend(&mask);
         }},
        {"pause", nullptr, [](Stage&) { pause(); }},
    };
    return all;
}

struct Outcome {
    bool returned = false; // the call came back and the body went on
    bool unwound = false;  // the body's frames were left, either way
    bool finished = false; // thread_finished() ran
    Clock::duration took{};
};

class Waiter : public eThread {
public:
    Waiter(std::function<void()> call, Outcome& out) : call_(std::move(call)), out_(out) {}
    ~Waiter() override = default;

protected:
    void thread() override {
        struct Left {
            Outcome& out;
            ~Left() { out.unwound = true; }
        } left{out_};
        call_();
        out_.returned = true;
    }
    void thread_finished() override { finished_.store(true); }

public:
    std::atomic<bool> finished_{false};

private:
    std::function<void()> call_;
    Outcome& out_;
};

// Runs call on a thread of the host's, kills it after a while, and says how
// it went.
Outcome killed_in(const std::function<void()>& call) {
    Outcome out;
    Waiter waiter(call, out);
    waiter.run();
    std::this_thread::sleep_for(kill_after);
    const auto killed = Clock::now();
    waiter.kill(true);
    while (!waiter.finished_ && Clock::now() - killed < 5s)
        std::this_thread::sleep_for(1ms);
    out.took = Clock::now() - killed;
    out.finished = waiter.finished_;
    return out;
}

long ms(Clock::duration d) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
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
    Outcome out = killed_in([] {
        const auto until = Clock::now() + 400ms;
        while (Clock::now() < until) {
        }
    });
    EXPECT_TRUE(out.returned) << "cut short outside a cancellation point";
    EXPECT_GE(ms(out.took), 250);
    // A point reached afterwards acts on the kill, as the call returns.
    std::atomic<bool> after{false};
    out = killed_in([&after] {
        const auto until = Clock::now() + 300ms;
        while (Clock::now() < until) {
        }
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
