// Holds the reading end of a named pipe without reading, with the pipe cut
// to one page, so that a program writing into it blocks once the page is
// full. In STATE_DIR it writes "ready" once it holds the pipe and "held"
// (the bytes waiting) once they stop growing; when "go" appears it reads
// the pipe to its end into "data". Gives up after 60 s.
// Usage: e2e_pipe_reader FIFO STATE_DIR
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace {

bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

void put(const std::string& path, const std::string& text) {
  const std::string tmp = path + ".tmp";
  if (FILE* f = std::fopen(tmp.c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    std::rename(tmp.c_str(), path.c_str());
  }
}

void nap(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s FIFO STATE_DIR\n", argv[0]);
    return 2;
  }
  const std::string state = argv[2];
  // Without O_NONBLOCK the open would wait for a writer.
  const int fd = open(argv[1], O_RDONLY | O_NONBLOCK);
  if (fd < 0) {
    std::perror("open");
    return 1;
  }
  if (fcntl(fd, F_SETPIPE_SZ, 4096) < 0) {
    std::perror("F_SETPIPE_SZ");
    return 1;
  }
  put(state + "/ready", "ready\n");
  int last = -1, steady = 0;
  for (int t = 0; t < 3000 && !exists(state + "/go"); ++t) {
    int n = 0;
    ioctl(fd, FIONREAD, &n);
    steady = (n > 0 && n == last) ? steady + 1 : 0;
    last = n;
    if (steady == 15) put(state + "/held", std::to_string(n) + "\n");
    nap(20);
  }
  std::string data;
  char buf[4096];
  for (int t = 0; t < 3000;) {
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0) {
      data.append(buf, size_t(n));
    } else if (n == 0) {
      break;  // no writer left and nothing waiting
    } else {
      nap(20);
      ++t;
    }
  }
  put(state + "/data", data);
  return 0;
}
