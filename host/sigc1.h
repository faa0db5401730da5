// The libsigc++ 1.x names the plug-in is written against, mapped onto
// libsigc++ 2.0. Only what the code uses is here: objects that slots may
// point into, signals of zero and one argument, member slots, connections.
#pragma once

#include <sigc++/sigc++.h>

namespace SigC {

// An object whose member slots disconnect themselves when it dies.
using Object = sigc::trackable;
using Connection = sigc::connection;

template <class R> using Signal0 = sigc::signal0<R>;
template <class R, class A1> using Signal1 = sigc::signal1<R, A1>;

template <class T, class C, class R, class... A> auto slot(T& object, R (C::*method)(A...)) {
    return sigc::mem_fun(object, method);
}

template <class T, class C, class R, class... A> auto slot(T* object, R (C::*method)(A...)) {
    return sigc::mem_fun(*object, method);
}

} // namespace SigC
