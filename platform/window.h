#pragma once
// The window loop: opens the 640x400 window, draws the text screen, turns
// key presses into the key buffer and raises the stop request when the
// window is closed. Returns when the window is gone: closed, or taken down
// once the flow has ended or Ctrl+Break asked it to stop. The flow may
// still be running then.
#include <atomic>

#include "platform/console.h"
#include "platform/real_host.h"

namespace vorn {

struct WindowLink {
  Console& con;
  RealHost& host;
  // Set by the flow's thread when run_flow has returned.
  const std::atomic<bool>& flow_done;
};

// A display that cannot give a double-buffered window with a depth buffer
// ends the process with status 1.
void run_window(int& argc, char** argv, WindowLink link);

}  // namespace vorn
