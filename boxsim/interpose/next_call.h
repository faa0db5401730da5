/* The definition that the C library (or a library ahead of it, such as a
 * sanitizer's interceptor) gives a name this layer takes over: the next one
 * after the program in the search order. Looked up once; two first calls
 * racing only look it up twice. */
#pragma once

#include <dlfcn.h>

static inline void* boxsim_next_symbol(void** slot, const char* name) {
    void* f = __atomic_load_n(slot, __ATOMIC_ACQUIRE);
    if (!f) {
        f = dlsym(RTLD_NEXT, name);
        __atomic_store_n(slot, f, __ATOMIC_RELEASE);
    }
    return f;
}

/* NEXT(fn_type, name) defines real_name(), which returns the next name. */
#define NEXT(type, name)                                                                           \
    static type real_##name(void) {                                                                \
        static void* slot;                                                                         \
        return (type)boxsim_next_symbol(&slot, #name);                                             \
    }

/* POINT(call, expression): the body of a cancellation point that returns
 * what expression, the C library's own call, returns. */
#define POINT(call, expression)                                                                    \
    do {                                                                                           \
        struct boxsim_point point_;                                                                \
        boxsim_point_enter(&point_, call);                                                         \
        __typeof__(expression) result_ = (expression);                                             \
        boxsim_point_leave(&point_, call);                                                         \
        return result_;                                                                            \
    } while (0)
