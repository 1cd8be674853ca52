#include "platform/process.h"

#include <csignal>

namespace vorn {

void ignore_file_size_signal() {
  struct sigaction sa {};
  sa.sa_handler = SIG_IGN;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGXFSZ, &sa, nullptr);
}

}  // namespace vorn
