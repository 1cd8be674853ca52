// What the program sets for the whole process, and what no step answers.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <fstream>
#include <new>

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
    if (ignore_signal) ignore_file_size_signal();
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
