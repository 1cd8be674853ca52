#include "platform/process.h"

#include <csignal>

namespace vorn {

void ignore_write_signals() {
  struct sigaction sa {};
  sa.sa_handler = SIG_IGN;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGXFSZ, &sa, nullptr);
  sigaction(SIGPIPE, &sa, nullptr);
}

}  // namespace vorn
