#pragma once
// The process's private memory, and its peak while a call runs, as the memory benchmarks
// measure them.
#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace bench {

inline constexpr double kMegabyte = 1024.0 * 1024.0;

// Windows counts the same commit charge in PrivateUsage and in PagefileUsage; Wine 8 leaves
// PrivateUsage at 0 and fills PagefileUsage from the process's anonymous resident pages.
inline double PrivateMegabytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof(counters);
  if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                            sizeof(counters))) {
    return 0;
  }
  return static_cast<double>(std::max(counters.PrivateUsage, counters.PagefileUsage)) / kMegabyte;
}

// Wine does not track the peak of PagefileUsage (it reports the current value), so a second
// thread samples the figure for as long as the measured call runs. Each sample reads the
// process status from the kernel and slows page faults down: one a millisecond is enough.
template <typename Call>
double PeakMegabytesDuring(Call call) {
  std::atomic<bool> running{true};
  std::atomic<double> peak{PrivateMegabytes()};
  std::thread sampler([&] {
    while (running) {
      const double now = PrivateMegabytes();
      if (now > peak) peak = now;
      Sleep(1);
    }
  });
  call();
  running = false;
  sampler.join();
  return std::max(peak.load(), PrivateMegabytes());
}

}  // namespace bench
