// Paired measurement: ours and its yardstick run in turn, A B A B ..., after
// one warm-up run of each, so that both see the machine's load of the same
// moment. The figure is the median of the pair-by-pair ratios, with their
// minimum and maximum; the spread says how far to trust it.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

struct Pairs {
    std::vector<double> ours, theirs, ratios; // seconds, and ours / theirs

    static double median(std::vector<double> v) {
        std::sort(v.begin(), v.end());
        const std::size_t n = v.size();
        return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }
    double ratio() const { return median(ratios); }
    double low() const { return *std::min_element(ratios.begin(), ratios.end()); }
    double high() const { return *std::max_element(ratios.begin(), ratios.end()); }
    // "0.91 (0.85-1.02)"
    std::string text() const {
        char out[64];
        std::snprintf(out, sizeof out, "%.2f (%.2f-%.2f)", ratio(), low(), high());
        return out;
    }
};

// Seconds that run() takes.
template <class F> double timed(F run) {
    const auto t = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

template <class A, class B> Pairs paired(int pairs, A ours, B theirs) {
    ours();
    theirs();
    Pairs p;
    for (int i = 0; i < pairs; ++i) {
        const double a = timed(ours);
        const double b = timed(theirs);
        p.ours.push_back(a);
        p.theirs.push_back(b);
        p.ratios.push_back(a / b);
    }
    return p;
}

} // namespace bench
