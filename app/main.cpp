// The program: audio first, then the program's folder as working folder,
// the flow on its own thread, and the window loop on this one.
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <string>
#include <thread>

#include "app/flow.h"
#include "app/state.h"
#include "platform/audio.h"
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

}  // namespace

int main(int argc, char** argv) {
  vorn::Audio audio;
  if (const int status = audio.open(); status != 0) return status;
  enter_program_folder();

  vorn::RealHost host(&audio);
  vorn::Console console(host);
  vorn::State state(console);
  std::atomic<bool> flow_done{false};
  std::thread flow([&] {
    vorn::run_flow(state);
    flow_done.store(true, std::memory_order_release);
  });
  // Named so that per-thread measurements can tell it from the window loop.
  pthread_setname_np(flow.native_handle(), "vorn-flow");

  vorn::run_window(argc, argv, vorn::WindowLink{console, host, flow_done});

  // The window is gone: make sure the flow stops, then end cleanly.
  console.request_stop();
  host.notify();
  flow.join();
  state.files.close_all();
  audio.release();
  return 0;
}
