// What the program sets for the whole process, and what no step answers.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <fstream>
#include <new>

#include "app/errors.h"

#include "platform/process.h"
#include "support/child.h"
#include "support/fixtures.h"
#include "support/harness.h"

using namespace vorn;
using vorn::test::Session;
using vorn::test::TempDir;

namespace {

// A whole dialogue down to the results file lim.txt, written under a
// file-size limit of 145 bytes (lines 1 to 5); the signal starts at its
// default, as in a shell. Returns the row of the message.
std::string save_under_limit(bool ignore_signal) {
  return test::in_child([ignore_signal] {
    signal(SIGXFSZ, SIG_DFL);
    if (ignore_signal) ignore_write_signals();
    Session r;
    r.host.type("100\r300\rt.txt\r4\r0\rkN\rY\rlim\r");
    r.host.type_ahead("k");
    struct rlimit lim {145, 145};
    // The limit must not stop the test data: set it once the table is read.
    r.S.con.set_title("");
    setrlimit(RLIMIT_FSIZE, &lim);
    r.flow();
    return r.row(12);
  });
}

std::string file_text(const char* name) {
  std::ifstream in(name, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(FileSizeSignal, IgnoredAWritePastTheLimitIsError75) {
  TempDir dir;
  test::constant_table("t.txt", -3);
  test::identity_matrices({0});
  EXPECT_EQ(save_under_limit(true), "Error 75 at line 842");
  const std::string text = file_text("lim.txt");
  EXPECT_EQ(text.size(), 145u);
  EXPECT_EQ(text.substr(0, 37), "Program name           : VORN_V3-05\r\n");
}

// The same run with the signal at its default: the process is killed.
TEST(FileSizeSignal, AtItsDefaultTheWriteKillsTheProcess) {
  TempDir dir;
  test::constant_table("t.txt", -3);
  test::identity_matrices({0});
  EXPECT_EQ(save_under_limit(false), "child failed");
  EXPECT_EQ(file_text("lim.txt").size(), 145u);
}

// The results go to a named pipe whose reader leaves after the first line;
// the signal starts at its default. Returns what the second write gave.
std::string write_after_reader_left(bool ignore_signal) {
  return test::in_child([ignore_signal]() -> std::string {
    signal(SIGPIPE, SIG_DFL);
    if (ignore_signal) ignore_write_signals();
    if (mkfifo("out.txt", 0600) != 0) return "no fifo";
    const int reader = open("out.txt", O_RDONLY | O_NONBLOCK);
    FileTable files;
    files.open_file("out.txt", FileMode::Output, 2);
    files.write_item(2, "first", true);
    close(reader);
    try {
      files.write_item(2, "second", true);
    } catch (const NumberedError& e) {
      return "error " + std::to_string(e.number);
    }
    return "written";
  });
}

TEST(PipeSignal, IgnoredAWriteToAPipeWithoutReaderIsError75) {
  TempDir dir;
  EXPECT_EQ(write_after_reader_left(true), "error 75");
}

// At its default the write kills the process: the case above can fail.
TEST(PipeSignal, AtItsDefaultTheWriteKillsTheProcess) {
  TempDir dir;
  EXPECT_EQ(write_after_reader_left(false), "child failed");
}

// A failure that no step answers ends the flow like a close of the window:
// files closed, one line on stderr, no std::terminate.
struct FailingTone {
  const char* what;
  void (*raise)();
  const char* line;
};
void PrintTo(const FailingTone& c, std::ostream* os) { *os << c.what; }

class UnexpectedFailure : public ::testing::TestWithParam<FailingTone> {};

TEST_P(UnexpectedFailure, EndsTheFlowWithTheFilesClosed) {
  struct Host : HeadlessHost {
    void (*raise)() = nullptr;
    void tone() override { raise(); }
  };
  TempDir dir;
  Host host;
  host.raise = GetParam().raise;
  State S(host.console);
  S.files.open_file("open.txt", FileMode::Output, 2);
  host.type("-1\r");  // a refused temperature beeps
  testing::internal::CaptureStderr();
  run_flow(S);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(S.files.is_open(2));
  EXPECT_EQ(err, GetParam().line);
  // Ended by the failure at the beep, not by running out of keys.
  EXPECT_FALSE(host.script_exhausted());
  EXPECT_EQ(host.console.screen.row_trimmed(5), "");
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, UnexpectedFailure,
    ::testing::Values(
        FailingTone{"bad_alloc", [] { throw std::bad_alloc(); },
                    "vorn: the program stopped on an unexpected failure: std::bad_alloc\n"},
        FailingTone{"not_an_exception", [] { throw 7; }, "vorn: the program stopped on an unexpected failure\n"}),
    [](const auto& info) { return std::string(info.param.what); });
