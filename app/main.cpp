// The program: audio first, then the program's folder as working folder,
// the flow on its own thread, and the window loop on this one.
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdio>
#include <exception>
#include <string>
#include <thread>

#include "app/flow.h"
#include "app/state.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "platform/real_host.h"
#include "platform/window.h"

namespace {

// Relative names (the Matrix files, typed names) resolve against the
// folder that holds the program, wherever it was started from.
void enter_program_folder() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return;
  std::string dir(path, size_t(n));
  const size_t slash = dir.rfind('/');
  if (slash == std::string::npos) return;
  dir.resize(slash == 0 ? 1 : slash);
  if (chdir(dir.c_str()) != 0) return;
}

// How long the flow may take to stop after the window went.
constexpr int64_t kFlowStopLimitMs = 800;

bool flow_stopped_within(const std::atomic<bool>& flow_done, int64_t limit_ms) {
  const int64_t deadline = vorn::steady_now_ms() + limit_ms;
  while (!flow_done.load(std::memory_order_acquire)) {
    if (vorn::steady_now_ms() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // Before any thread, so that every thread inherits it.
  vorn::ignore_write_signals();
  vorn::Audio audio;
  if (const int status = audio.open(); status != 0) return status;
  enter_program_folder();

  vorn::RealHost host(&audio);
  vorn::Console console(host);
  vorn::State state(console);
  std::atomic<bool> flow_done{false};
  std::thread flow([&] {
    // run_flow catches everything itself; this is the thread's last net,
    // so that nothing ends the process through std::terminate.
    try {
      vorn::run_flow(state);
    } catch (...) {
      std::fputs("vorn: the flow ended on an unexpected failure\n", stderr);
    }
    flow_done.store(true, std::memory_order_release);
  });
  // Named so that per-thread measurements can tell it from the window loop.
  pthread_setname_np(flow.native_handle(), "vorn-flow");

  vorn::run_window(argc, argv, vorn::WindowLink{console, host, flow_done});

  // The window is gone: make sure the flow stops, then end cleanly.
  console.request_stop();
  host.notify();
  if (!flow_stopped_within(flow_done, kFlowStopLimitMs)) {
    // The flow is stuck in a call that does not return (a write to a pipe
    // nobody reads, a hung network folder). Ending here loses nothing:
    // every item written went to write(2) at once, with no buffer of our
    // own, so the file holds all that was written, and the kernel closes
    // the descriptors. Closing them from this thread while the flow may
    // still be inside a write would race with it.
    _exit(0);
  }
  flow.join();
  state.files.close_all();
  audio.release();
  return 0;
}
