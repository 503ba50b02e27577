// Timing shared by the benchmarks: wall time and processor time of one run.
#pragma once
#include <sys/resource.h>

#include <chrono>
#include <functional>

namespace {

// Wall time and processor time (user + system, this process and the children
// it waited for) of one run: the processor time moves less when the machine
// is busy with other work.
struct Timing {
    double wall = 1e9, cpu = 1e9;
};

double CpuSeconds() {
    double s = 0;
    for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage u{};
        getrusage(who, &u);
        s += u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    }
    return s;
}

Timing Measure(const std::function<void()>& f) {
    const double c0 = CpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), CpuSeconds() - c0};
}

}  // namespace
