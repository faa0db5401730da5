// Whatever the process writes to stderr while a front end owns the terminal
// (a library's message, a thread's warning) would scroll the screen it
// draws. It is put aside in a file of its own meanwhile, and written to
// stderr when the terminal is handed back, so nothing is lost.
#pragma once

namespace boxsim {

class StderrAside {
public:
    StderrAside();
    ~StderrAside();
    StderrAside(const StderrAside&) = delete;
    StderrAside& operator=(const StderrAside&) = delete;

private:
    int saved_ = -1; // stderr as it was
    int kept_ = -1;  // what was written meanwhile
};

} // namespace boxsim
