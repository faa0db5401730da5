// The GUI thread's task queue: a mutex-guarded FIFO and a condition variable
// the modal loop sleeps on between keys.
#include "host/eguiqueue.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace {

struct Queue {
    std::mutex lock;
    std::condition_variable arrived;
    std::deque<eGuiQueue::Task> tasks;
};

Queue& queue() {
    // Never destroyed: workers may still post while the process exits.
    static Queue* q = new Queue;
    return *q;
}

} // namespace

void eGuiQueue::post(Task task) {
    Queue& q = queue();
    {
        std::lock_guard<std::mutex> hold(q.lock);
        q.tasks.push_back(std::move(task));
    }
    q.arrived.notify_all();
}

std::size_t eGuiQueue::drain() {
    Queue& q = queue();
    std::size_t ran = 0;
    for (;;) {
        Task task;
        {
            std::lock_guard<std::mutex> hold(q.lock);
            if (q.tasks.empty())
                return ran;
            task = std::move(q.tasks.front());
            q.tasks.pop_front();
        }
        task();
        ++ran;
    }
}

bool eGuiQueue::waitForTask(std::chrono::milliseconds timeout) {
    Queue& q = queue();
    std::unique_lock<std::mutex> hold(q.lock);
    return q.arrived.wait_for(hold, timeout, [&] { return !q.tasks.empty(); });
}

void eGuiQueue::discard() {
    Queue& q = queue();
    std::deque<Task> dropped;
    {
        std::lock_guard<std::mutex> hold(q.lock);
        dropped.swap(q.tasks);
    }
}
