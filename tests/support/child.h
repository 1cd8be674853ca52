#pragma once
// Runs a piece of a test in a forked child, for what must not touch the
// test process itself: another user id, a file size limit.
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace vorn::test {

// The text fn returns comes back; a crashed or failed child gives "child failed".
inline std::string in_child(const std::function<std::string()>& fn) {
  int fds[2];
  if (pipe(fds) != 0) return "pipe failed";
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    std::string out;
    try {
      out = fn();
    } catch (...) {
      out = "child threw";
    }
    size_t done = 0;
    while (done < out.size()) {
      const ssize_t n = write(fds[1], out.data() + done, out.size() - done);
      if (n <= 0) break;
      done += size_t(n);
    }
    _exit(0);
  }
  close(fds[1]);
  std::string got;
  char buf[4096];
  for (;;) {
    const ssize_t n = read(fds[0], buf, sizeof buf);
    if (n <= 0) break;
    got.append(buf, size_t(n));
  }
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "child failed";
  return got;
}

// Drops to the unprivileged user nobody; false when that is not possible.
inline bool become_nobody() { return setgid(65534) == 0 && setuid(65534) == 0 && geteuid() == 65534; }

}  // namespace vorn::test
