// What the flow costs while it waits 5 s for a key that never comes, on the
// real host: processor time of the waiting thread as percent of one core.
#include <benchmark/benchmark.h>
#include <time.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "app/errors.h"
#include "platform/console.h"
#include "platform/real_host.h"

namespace {

constexpr int kWaitMs = 5000;

double thread_cpu_seconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Runs wait in a thread of its own, raises the stop request after kWaitMs
// as closing the window does, and reports the thread's processor time.
void idle(benchmark::State& state, const std::function<void(vorn::Console&)>& wait) {
  for (auto _ : state) {
    vorn::RealHost host;
    vorn::Console con(host);
    double cpu = 0;
    std::thread flow([&] {
      const double start = thread_cpu_seconds();
      try {
        wait(con);
      } catch (const vorn::ProgramEnd&) {
      }
      cpu = thread_cpu_seconds() - start;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(kWaitMs));
    con.request_stop();
    host.notify();
    flow.join();
    state.counters["cpu_percent_of_one_core"] = 100.0 * cpu / (kWaitMs / 1000.0);
  }
}

void BM_IdleKeyWait(benchmark::State& state) {
  idle(state, [](vorn::Console& con) { con.wait_any_key(); });
}

void BM_IdleLineEntry(benchmark::State& state) {
  idle(state, [](vorn::Console& con) {
    std::string s;
    con.line_entry(s);
  });
}

void BM_IdleNumericEntry(benchmark::State& state) {
  idle(state, [](vorn::Console& con) {
    float f = 0;
    con.line_entry(f);
  });
}

}  // namespace

BENCHMARK(BM_IdleKeyWait)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_IdleLineEntry)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_IdleNumericEntry)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
