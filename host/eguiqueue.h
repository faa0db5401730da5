// Work handed to the host's GUI thread. Widgets may only be touched on that
// thread; any other thread posts a task here and the modal loop runs it.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>

#pragma GCC visibility push(default)

class eGuiQueue {
public:
    using Task = std::function<void()>;

    // Any thread. Tasks run in the order they were posted.
    static void post(Task task);
    // GUI thread: runs every task queued so far, and those they post.
    // Returns how many ran.
    static std::size_t drain();
    // GUI thread: waits up to timeout for a task to arrive; true if one is queued.
    static bool waitForTask(std::chrono::milliseconds timeout);
    // Drops queued tasks unrun: for a host that unloads the code they point into.
    static void discard();
};

#pragma GCC visibility pop
