#include "stat_recorder.h"

extern "C" {
void statrec_start(void);
int statrec_stop(void);
const char* statrec_path(int i);
}

void statrec::start() {
    statrec_start();
}

std::vector<std::string> statrec::stop() {
    const int n = statrec_stop();
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i)
        out.emplace_back(statrec_path(i));
    return out;
}
