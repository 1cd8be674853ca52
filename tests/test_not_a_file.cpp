// Whole dialogues with a named pipe where a file is expected: the FF Table,
// a Matrix file and the output file. A pipe must be answered at once like a
// missing file. Each run is in a child under an alarm, so an open that
// waits for the pipe's other end fails the test instead of hanging it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "support/child.h"
#include "support/fixtures.h"
#include "support/harness.h"

using namespace vorn;
using vorn::test::Session;
using vorn::test::TempDir;

namespace {

// Generous for a sanitizer build; a run that waits in an open never ends.
constexpr unsigned kAlarmSeconds = 10;

std::string in_time(const std::function<std::string()>& fn) {
  return test::in_child([&] {
    alarm(kAlarmSeconds);
    return fn();
  });
}

std::string rows(Session& r, int from, int to) {
  std::string s;
  for (int row = from; row <= to; ++row) s += r.row(row) + "\n";
  return s;
}

void start(Session& r, const std::string& table) { r.host.type("100\r300\r" + table + "\r"); }

void to_save(Session& r, const std::string& name) {
  r.host.type("100\r300\rt.txt\r4\r0\rkN\rY\r" + name + "\r");
}

}  // namespace

TEST(NotAFile, PipeAsTheTableIsNotFound) {
  TempDir dir;
  ASSERT_EQ(mkfifo("pipe.txt", 0600), 0);
  test::constant_table("t.txt", -3);
  test::identity_matrices({0});

  // The message, then the window closed in its key wait.
  EXPECT_EQ(in_time([] {
              Session r;
              start(r, "pipe.txt");
              r.host.close_window();
              r.flow();
              return rows(r, 7, 11) + std::to_string(r.host.beeps()) + " " +
                     std::to_string(int(r.S.last_checkpoint));
            }),
            " Enter FFTab's file name  _ _ _ .txt? pipe.txt\n"
            "\n"
            " The FF Table file has not been found!\n"
            "\n"
            " Press any key to continue!\n"
            "1 20");

  // After the key the question stands alone on a cleared screen.
  EXPECT_EQ(in_time([] {
              Session r;
              start(r, "pipe.txt");
              r.host.type("k");
              r.host.close_window();
              r.flow();
              return rows(r, 1, 25);
            }),
            " Enter FFTab's file name  _ _ _ .txt?\n" + std::string(24, '\n'));

  // A table typed then is read as usual.
  EXPECT_EQ(in_time([] {
              Session r;
              start(r, "pipe.txt");
              r.host.type("k");
              r.host.type("t.txt\r");
              r.host.close_window();  // at the alpha menu
              r.flow();
              return *r.con().title() + "|" + std::to_string(r.S.Max_Gain) + "|" +
                     std::to_string(int(r.S.last_checkpoint));
            }),
            "VORN v3.05         FFTab: t.txt|-3.000000|210");
}

TEST(NotAFile, PipeAsAMatrixFileIsNotFound) {
  TempDir dir;
  test::constant_table("t.txt", -3);
  ASSERT_EQ(mkfifo(tools::matrix_path(".", 0).c_str(), 0600), 0);
  const std::string got = in_time([] {
    Session r;
    start(r, "t.txt");
    r.host.type_ahead("k");  // discarded by the closing prompt
    r.flow();
    std::string s = rows(r, 1, 25);
    return s + std::to_string(r.host.beeps()) + " " + std::to_string(int(r.S.last_checkpoint)) + " " +
           (r.host.script_exhausted() ? "waited" : "ended") + " " +
           (r.S.files.is_open(1) ? "open" : "closed");
  });
  EXPECT_NE(got.find("\n\n The Matrix file for alpha = 0 degrees has not been found!\n"), std::string::npos) << got;
  EXPECT_NE(got.find("\nPress any key to continue\n1 200 waited closed"), std::string::npos) << got;
}

TEST(NotAFile, PipeWithoutAReaderAsTheOutputName) {
  TempDir dir;
  test::constant_table("t.txt", -3);
  test::identity_matrices({0});
  ASSERT_EQ(mkfifo("pipe.txt", 0600), 0);

  // Case 1 in the compact display, right after the empty line of the dialogue.
  EXPECT_EQ(in_time([] {
              Session r;
              to_save(r, "pipe");
              r.host.close_window();
              r.flow();
              return rows(r, 10, 14) + std::to_string(r.fg(12, 2)) + " " + std::to_string(r.host.beeps()) +
                     " " + std::to_string(int(r.S.last_checkpoint));
            }),
            " Enter file name for Output? pipe\n"
            "\n"
            " No  <  >  ?  *  \"  <ESC>  in the file name!\n"
            "\n"
            " Press any key to continue!\n"
            "12 1 10");

  // The way back: the dialogue again on a cleared screen, and a good name saves.
  EXPECT_EQ(in_time([] {
              Session r;
              to_save(r, "pipe");
              r.host.type("k");
              r.host.type("good\r");
              r.flow();
              return r.row(1) + "\n" + r.row(6) + "\n" + (r.host.script_exhausted() ? "waited" : "ended");
            }),
            " Please type name of file name for saving results to\n"
            " Enter file name for Output? good\n"
            "ended");
  EXPECT_TRUE(std::filesystem::exists("good.txt"));
  EXPECT_GT(std::filesystem::file_size("good.txt"), 0u);
  EXPECT_TRUE(std::filesystem::is_fifo("pipe.txt"));
}
