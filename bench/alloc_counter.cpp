// glibc's own allocator under the usual names, counted on the way through.
#include "alloc_counter.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <malloc.h>

extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void __libc_free(void*);
}

namespace {

std::atomic<bool> counting{false};
std::atomic<std::size_t> calls{0};
std::atomic<std::ptrdiff_t> live{0};
std::atomic<std::ptrdiff_t> peak{0};

void note_new(void* p) {
    if (!p || !counting.load(std::memory_order_relaxed))
        return;
    calls.fetch_add(1, std::memory_order_relaxed);
    const std::ptrdiff_t now = live.fetch_add(static_cast<std::ptrdiff_t>(malloc_usable_size(p))) +
                               static_cast<std::ptrdiff_t>(malloc_usable_size(p));
    std::ptrdiff_t high = peak.load();
    while (now > high && !peak.compare_exchange_weak(high, now)) {
    }
}

void note_free(void* p) {
    if (p && counting.load(std::memory_order_relaxed))
        live.fetch_sub(static_cast<std::ptrdiff_t>(malloc_usable_size(p)));
}

} // namespace

extern "C" {

void* malloc(std::size_t size) {
    void* p = __libc_malloc(size);
    note_new(p);
    return p;
}

void* calloc(std::size_t n, std::size_t size) {
    void* p = __libc_calloc(n, size);
    note_new(p);
    return p;
}

void* realloc(void* old, std::size_t size) {
    note_free(old);
    void* p = __libc_realloc(old, size);
    note_new(p);
    return p;
}

void free(void* p) {
    note_free(p);
    __libc_free(p);
}
}

void bench::startCounting() {
    calls = 0;
    live = 0;
    peak = 0;
    counting = true;
}

void bench::stopCounting() {
    counting = false;
}
std::size_t bench::allocationsCounted() {
    return calls.load();
}
std::size_t bench::peakBytes() {
    return static_cast<std::size_t>(peak.load());
}
