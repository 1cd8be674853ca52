#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/errors.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "tests/support/harness.h"

using vorn::FileMode;
using vorn::FileTable;
using vorn::NumberedError;
namespace fs = std::filesystem;

namespace {

void put(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

std::string get(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The error number f raises, 0 when it raises none.
int error_of(const std::function<void()>& f) {
  try {
    f();
  } catch (const NumberedError& e) {
    return e.number;
  }
  return 0;
}

// Runs f in a child process and returns what it returned (0..255), or -1
// when the child did not exit normally. For tests that change the user or
// the limits of the process.
int in_child(const std::function<int()>& f) {
  pid_t pid = fork();
  if (pid == 0) {
    int r = 250;
    try {
      r = f();
    } catch (const NumberedError& e) {
      r = e.number;
    } catch (...) {
    }
    _exit(r);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

constexpr int kCannotDropUser = 200;

int setgroups_none() { return setgroups(0, nullptr); }
constexpr int kNotRefused = 201;

enum class Reader { Line, Field };

// Every read until the end, then the error of the read past it; the target
// must be empty after that error.
std::vector<std::string> read_all(const std::string& path, Reader how, int* past_end_error) {
  FileTable t;
  t.open_file(path, FileMode::Input, 1);
  std::vector<std::string> out;
  for (int guard = 0; guard < 100000; ++guard) {
    std::string target = "left over";
    int e = error_of([&] {
      if (how == Reader::Line)
        t.read_line(1, target);
      else
        t.read_field(1, target);
    });
    if (e) {
      *past_end_error = e;
      EXPECT_EQ(target, "") << "target after error " << e;
      // The end sticks: a second read meets it again.
      std::string again = "x";
      EXPECT_EQ(error_of([&] { t.read_line(1, again); }), vorn::err::input_past_end);
      EXPECT_EQ(again, "");
      return out;
    }
    out.push_back(target);
  }
  ADD_FAILURE() << "no end";
  return out;
}

struct ReadCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> items;
};

void check_reads(Reader how, const std::vector<ReadCase>& cases) {
  vorn::test::TempDir dir;
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    put("in.txt", c.bytes);
    int e = 0;
    EXPECT_EQ(read_all("in.txt", how, &e), c.items);
    EXPECT_EQ(e, vorn::err::input_past_end);
  }
}

}  // namespace

TEST(ReadLine, LineEndsAndTheEndOfFileByte) {
  check_reads(Reader::Line, {
      {"empty file", "", {}},
      {"first byte 26", "\x1a", {}},
      {"first byte 26 then text", "\x1a" "abc\r\n", {}},
      {"26 in the middle", "ab\r\ncd\x1a" "ef\r\ngh\r\n", {"ab", "cd"}},
      {"26 right after a line end", "ab\r\n\x1a" "cd", {"ab"}},
      {"26 between CR and LF", "ab\r\x1a\ncd", {"ab"}},
      {"CR LF, LF, no final end", "a\r\nb\nc", {"a", "b", "c"}},
      {"LF CR is one end", "a\n\rb", {"a", "b"}},
      {"CR CR is two ends", "a\r\rb", {"a", "", "b"}},
      {"LF LF is two ends", "a\n\nb", {"a", "", "b"}},
      {"LF CR then LF", "a\n\r\nb", {"a", "", "b"}},
      {"CR LF CR LF", "a\r\n\r\n", {"a", ""}},
      {"lone CR at the end", "a\r", {"a"}},
      {"only a line end", "\r\n", {""}},
      {"bytes kept as they are", std::string("a\0b\t \"x\",y\xff", 11) + "\r\n",
       {std::string("a\0b\t \"x\",y\xff", 11)}},
  });
}

TEST(ReadField, BlanksCommasQuotesAndLineEnds) {
  check_reads(Reader::Field, {
      {"blanks around a comma", "   12   ,   34", {"12", "34"}},
      {"quoted field skips the rest", "  \"a,b\"x", {"a,b"}},
      {"quoted then the next line", "\"a\"x y\r\nb", {"a", "b"}},
      {"quoted holds line ends", "\"a\r\nb\",c", {"a\r\nb", "c"}},
      {"unterminated quote", "\"abc", {"abc"}},
      {"quote inside a plain field", "a\"b,c", {"a\"b", "c"}},
      {"empty file", "", {}},
      {"only blanks", " \t  ", {}},
      {"empty line is an empty field", "\r\nx", {"", "x"}},
      {"two commas", "a,,b", {"a", "", "b"}},
      {"comma before a line end", "a,\r\nb", {"a", "", "b"}},
      {"trailing comma then end", "a,", {"a"}},
      {"trailing blanks then end", "a ,  ", {"a"}},
      {"tabs inside stay, at the ends go", "\ta\tb \t,c", {"a\tb", "c"}},
      {"LF CR pair", "a\n\rb", {"a", "b"}},
      {"CR CR pair", "a\r\rb", {"a", "", "b"}},
      {"26 ends the field", " 12\x1a" "34,5", {"12"}},
      {"first byte 26", "\x1a" "12", {}},
      {"records of a Matrix file", "    1234567890123    42\r\n  x\r\n", {"1234567890123    42", "x"}},
  });
}

// Line ends and the end byte that fall on any block boundary a reader might
// use: a CR LF pair split across two reads must still count as one.
TEST(ReadLine, LineEndsAcrossBlockBoundaries) {
  vorn::test::TempDir dir;
  for (std::size_t at : {4096u, 65536u, 131072u, 262144u, 524288u, 1048576u}) {
    for (std::size_t shift : {0u, 1u, 2u}) {
      SCOPED_TRACE(at - shift);
      std::string first(at - shift - 1, 'x');
      put("in.txt", first + "\r\nsecond\n\r" + "third\x1a" "fourth");
      int e = 0;
      EXPECT_EQ(read_all("in.txt", Reader::Line, &e),
                (std::vector<std::string>{first, "second", "third"}));
    }
  }
}

TEST(ReadLine, ManyLinesReadBackExactly) {
  vorn::test::TempDir dir;
  std::vector<std::string> lines;
  std::string bytes;
  const char* ends[] = {"\r\n", "\n", "\r", "\n\r"};
  for (int i = 0; i < 70000; ++i) {
    lines.push_back(std::string(std::size_t(i % 97), char('a' + i % 26)) + std::to_string(i));
    bytes += lines.back() + ends[i % 4];
  }
  put("in.txt", bytes);
  int e = 0;
  EXPECT_EQ(read_all("in.txt", Reader::Line, &e), lines);
}

// Reference readers, byte by byte as the rules say, for random files.
namespace {

bool line_end(unsigned char c) { return c == '\r' || c == '\n'; }

// The end: the first byte 26, or the size.
std::size_t file_end(const std::string& b) {
  std::size_t e = b.find('\x1a');
  return e == std::string::npos ? b.size() : e;
}

std::size_t take_line_end(const std::string& b, std::size_t at, std::size_t end) {
  const unsigned char c = (unsigned char)b[at++];
  if (at < end && line_end((unsigned char)b[at]) && (unsigned char)b[at] != c) ++at;
  return at;
}

std::vector<std::string> reference_lines(const std::string& b) {
  const std::size_t end = file_end(b);
  std::vector<std::string> out;
  std::size_t at = 0;
  while (at < end) {
    std::size_t from = at;
    while (at < end && !line_end((unsigned char)b[at])) ++at;
    out.push_back(b.substr(from, at - from));
    if (at < end) at = take_line_end(b, at, end);
  }
  return out;
}

std::vector<std::string> reference_fields(const std::string& b) {
  const std::size_t end = file_end(b);
  std::vector<std::string> out;
  std::size_t at = 0;
  for (;;) {
    while (at < end && (b[at] == ' ' || b[at] == '\t')) ++at;
    if (at == end) return out;
    std::string field;
    if (b[at] == '"') {
      std::size_t close = b.find('"', at + 1);
      if (close == std::string::npos || close > end) close = end;
      field = b.substr(at + 1, close - at - 1);
      at = close < end ? close + 1 : end;
      while (at < end && b[at] != ',' && !line_end((unsigned char)b[at])) ++at;
    } else {
      std::size_t from = at;
      while (at < end && b[at] != ',' && !line_end((unsigned char)b[at])) ++at;
      field = b.substr(from, at - from);
      while (!field.empty() && (field.back() == ' ' || field.back() == '\t')) field.pop_back();
    }
    out.push_back(field);
    if (at < end) at = b[at] == ',' ? at + 1 : take_line_end(b, at, end);
  }
}

// Random bytes rich in separators, blanks and quotes, larger than a read
// block, so that every kind of item meets the block's end somewhere.
std::string random_text(std::mt19937& gen, std::size_t size, bool with_end_byte) {
  static const char kAlphabet[] = "aaaa1111    \t\t,,\"\r\r\n\n";
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
  std::string b(size, ' ');
  for (char& c : b) c = kAlphabet[pick(gen)];
  if (with_end_byte) b[size - size / 7] = '\x1a';
  return b;
}

}  // namespace

TEST(ReadLine, RandomFilesReadAsByteByByte) {
  vorn::test::TempDir dir;
  std::mt19937 gen(1604);
  for (int n = 0; n < 6; ++n) {
    SCOPED_TRACE(n);
    const std::string bytes = random_text(gen, 280000 + 37 * std::size_t(n), n % 2 == 1);
    put("in.txt", bytes);
    int e = 0;
    EXPECT_EQ(read_all("in.txt", Reader::Line, &e), reference_lines(bytes));
    EXPECT_EQ(e, vorn::err::input_past_end);
  }
}

TEST(ReadField, RandomFilesReadAsByteByByte) {
  vorn::test::TempDir dir;
  std::mt19937 gen(1605);
  for (int n = 0; n < 6; ++n) {
    SCOPED_TRACE(n);
    const std::string bytes = random_text(gen, 280000 + 41 * std::size_t(n), n % 2 == 0);
    put("in.txt", bytes);
    const auto expected = reference_fields(bytes);
    int e = 0;
    EXPECT_EQ(read_all("in.txt", Reader::Field, &e), expected);
    EXPECT_EQ(e, vorn::err::input_past_end);

    // The same fields through the views: batches of any size, and single
    // fields where a batch gives none.
    FileTable t;
    t.open_file("in.txt", FileMode::Input, 1);
    std::vector<std::string> got;
    std::string_view batch[97];
    std::string spill;
    std::size_t want = 1;
    for (;;) {
      const std::size_t k = t.read_fields_in_block(1, batch, want);
      ASSERT_LE(k, want);
      for (std::size_t i = 0; i < k; ++i) got.emplace_back(batch[i]);
      want = want % 97 + 1;
      if (k) continue;
      if (error_of([&] { got.emplace_back(t.read_field_view(1, spill)); })) break;
    }
    EXPECT_EQ(got, expected);
    EXPECT_EQ(spill, "");
  }
}

TEST(ReadField, ViewsOfRecordsAcrossBlockEnds) {
  // Matrix-like records with every line end, shifted so that each kind of
  // separator falls on the last byte of a read block.
  vorn::test::TempDir dir;
  const char* ends[] = {"\r\n", "\n", "\r", "\n\r", ","};
  for (std::size_t shift = 0; shift < 30; ++shift) {
    SCOPED_TRACE(shift);
    std::string bytes(shift, ' ');
    std::vector<std::string> expected;
    for (int i = 0; bytes.size() < 600000; ++i) {
      expected.push_back(std::to_string(i) + "      " + std::to_string(i * 7) + (i % 3 ? "" : " \t"));
      bytes += expected.back() + ends[i % 5];
      while (!expected.back().empty() && (expected.back().back() == ' ' || expected.back().back() == '\t'))
        expected.back().pop_back();
    }
    put("in.txt", bytes);
    FileTable t;
    t.open_file("in.txt", FileMode::Input, 1);
    std::vector<std::string> got;
    std::string_view batch[512];
    std::string spill;
    for (;;) {
      const std::size_t k = t.read_fields_in_block(1, batch, 512);
      for (std::size_t i = 0; i < k; ++i) got.emplace_back(batch[i]);
      if (k) continue;
      if (error_of([&] { got.emplace_back(t.read_field_view(1, spill)); })) break;
    }
    ASSERT_EQ(got, expected);
  }
}

TEST(Files, MisuseOfNumbersAndModes) {
  vorn::test::TempDir dir;
  put("in.txt", "a\r\n");
  FileTable t;
  std::string s;
  for (int n : {0, -1, 256, 1000})
    EXPECT_EQ(error_of([&] { t.open_file("in.txt", FileMode::Input, n); }), vorn::err::bad_file_number) << n;
  EXPECT_EQ(error_of([&] { t.read_line(3, s); }), vorn::err::bad_file_number);
  EXPECT_EQ(error_of([&] { t.read_field(3, s); }), vorn::err::bad_file_number);
  EXPECT_EQ(error_of([&] { t.write_item(3, "x", true); }), vorn::err::bad_file_number);
  EXPECT_EQ(error_of([&] { t.read_line(300, s); }), vorn::err::bad_file_number);
  t.close_file(3);  // not open: nothing happens
  t.close_file(-7);
  EXPECT_FALSE(t.is_open(3));
  EXPECT_FALSE(t.is_open(-1));
  EXPECT_FALSE(t.is_open(256));

  t.open_file("in.txt", FileMode::Input, 1);
  t.open_file("out.txt", FileMode::Output, 2);
  EXPECT_EQ(error_of([&] { t.open_file("in.txt", FileMode::Input, 1); }), vorn::err::file_already_open);
  EXPECT_EQ(error_of([&] { t.open_file("other.txt", FileMode::Output, 2); }), vorn::err::file_already_open);
  EXPECT_FALSE(fs::exists("other.txt"));
  EXPECT_EQ(error_of([&] { t.write_item(1, "x", true); }), vorn::err::bad_file_mode);
  EXPECT_EQ(error_of([&] { t.read_line(2, s); }), vorn::err::bad_file_mode);
  EXPECT_EQ(error_of([&] { t.read_field(2, s); }), vorn::err::bad_file_mode);
  // The first file is unharmed by the refused second open.
  t.read_line(1, s);
  EXPECT_EQ(s, "a");

  t.open_file("in.txt", FileMode::Input, 255);
  EXPECT_TRUE(t.is_open(255));
  t.close_all();
  for (int n : {1, 2, 255}) EXPECT_FALSE(t.is_open(n));
  // A closed number opens again.
  t.open_file("in.txt", FileMode::Input, 1);
  t.read_line(1, s);
  EXPECT_EQ(s, "a");
}

TEST(Files, OpenRefusalsGiveTheirNumbers) {
  vorn::test::TempDir dir;
  put("plain.txt", "x");
  fs::create_directory("folder");
  put("folder/inner.txt", "inner\r\n");
  put("abc", "wrong file");
  const std::string long_name(300, 'n');
  struct Case {
    const char* what;
    std::string name;
    FileMode mode;
    int error;
  } cases[] = {
      {"missing file", "missing.txt", FileMode::Input, vorn::err::file_not_found},
      {"missing file in a folder", "folder/missing.txt", FileMode::Input, vorn::err::file_not_found},
      {"missing folder, input", "nofolder/x.txt", FileMode::Input, vorn::err::path_not_found},
      {"missing folder, output", "nofolder/x.txt", FileMode::Output, vorn::err::path_not_found},
      {"missing folder deeper", "folder/no/x.txt", FileMode::Output, vorn::err::path_not_found},
      {"missing folder before a backslash", "nofolder\\x.txt", FileMode::Output, vorn::err::path_not_found},
      {"a file used as a folder", "plain.txt/x.txt", FileMode::Input, vorn::err::path_not_found},
      {"name too long, input", long_name + ".txt", FileMode::Input, vorn::err::path_not_found},
      {"name too long, output", long_name + ".txt", FileMode::Output, vorn::err::path_not_found},
      {"folder for input", "folder", FileMode::Input, vorn::err::file_not_found},
      {"folder for output", "folder", FileMode::Output, vorn::err::file_not_found},
      {"empty name", "", FileMode::Input, vorn::err::file_not_found},
      {"NUL in the name", std::string("abc\0.txt", 8), FileMode::Input, vorn::err::file_not_found},
      {"NUL in an output name", std::string("abc\0.txt", 8), FileMode::Output, vorn::err::file_not_found},
  };
  FileTable t;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(error_of([&] { t.open_file(c.name, c.mode, 1); }), c.error);
    EXPECT_FALSE(t.is_open(1));
  }
  EXPECT_EQ(get("abc"), "wrong file");  // the NUL name touched nothing

  // "/" and "\\" both separate folders.
  for (const char* name : {"folder/inner.txt", "folder\\inner.txt"}) {
    SCOPED_TRACE(name);
    std::string s;
    t.open_file(name, FileMode::Input, 1);
    t.read_line(1, s);
    EXPECT_EQ(s, "inner");
    t.close_file(1);
  }
  t.open_file("folder\\made.txt", FileMode::Output, 1);
  t.close_file(1);
  EXPECT_TRUE(fs::exists("folder/made.txt"));
  EXPECT_FALSE(fs::exists("folder\\made.txt"));
}

// Whatever is not a regular file is no file to read: 53, the number free,
// and at once. Each open runs in a child with an alarm, so an open that
// waits for a pipe's other end fails the test instead of hanging it.
TEST(Files, OnlyARegularFileIsRead) {
  vorn::test::TempDir dir;
  ASSERT_EQ(mkfifo("pipe.txt", 0600), 0);
  ASSERT_EQ(mkfifo("written.txt", 0600), 0);
  fs::create_directory("folder");
  int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(sock, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strcpy(addr.sun_path, "sock");
  ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  struct Case {
    const char* what;
    std::string name;
    bool writer;  // a writer holds the pipe open and writes a line
  } cases[] = {
      {"pipe without a writer", "pipe.txt", false},
      {"pipe with a writer", "written.txt", true},
      {"folder", "folder", false},
      {"socket", "sock", false},
      {"character device", "/dev/null", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (!fs::exists(c.name)) continue;  // no /dev/null in this sandbox
    const int r = in_child([&] {
      alarm(3);
      if (c.writer) {
        const int w = open(c.name.c_str(), O_RDWR);  // O_RDWR does not wait for a reader
        if (w < 0 || write(w, "line\r\n", 6) != 6) return 251;
      }
      FileTable t;
      const int e = error_of([&] { t.open_file(c.name, FileMode::Input, 1); });
      return t.is_open(1) ? 252 : e;
    });
    EXPECT_EQ(r, vorn::err::file_not_found) << "(-1: the open did not come back)";
  }
  close(sock);
}

TEST(Files, SocketForOutputIsNoFile) {
  vorn::test::TempDir dir;
  int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(sock, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strcpy(addr.sun_path, "sock");
  ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  FileTable t;
  EXPECT_EQ(error_of([&] { t.open_file("sock", FileMode::Output, 2); }), vorn::err::file_not_found);
  EXPECT_FALSE(t.is_open(2));
  close(sock);
}

// No reader: refused at once, as a name that cannot be a file.
TEST(Files, PipeWithoutAReaderRefusesOutputAtOnce) {
  vorn::test::TempDir dir;
  ASSERT_EQ(mkfifo("pipe.txt", 0600), 0);
  const int r = in_child([] {
    alarm(3);
    FileTable t;
    const int e = error_of([&] { t.open_file("pipe.txt", FileMode::Output, 2); });
    return t.is_open(2) ? 252 : e;
  });
  EXPECT_EQ(r, vorn::err::file_not_found) << "(-1: the open did not come back)";
}

// With a reader the pipe takes the results like a file; a write larger
// than the pipe holds waits for the reader instead of failing.
TEST(Files, PipeWithAReaderTakesEveryByte) {
  vorn::test::TempDir dir;
  ASSERT_EQ(mkfifo("pipe.txt", 0600), 0);
  const std::string big(300000, 'x');
  const int r = in_child([&] {
    alarm(5);
    const int rd = open("pipe.txt", O_RDONLY | O_NONBLOCK);
    if (rd < 0) return 251;
    const pid_t reader = fork();
    if (reader == 0) {
      fcntl(rd, F_SETFL, 0);
      usleep(100000);  // the pipe fills up first
      std::size_t got = 0;
      char buf[65536];
      for (ssize_t n; (n = read(rd, buf, sizeof buf)) > 0;) got += std::size_t(n);
      _exit(got == big.size() + 2 ? 0 : 1);
    }
    FileTable t;
    t.open_file("pipe.txt", FileMode::Output, 2);
    close(rd);
    t.write_item(2, big, true);
    t.close_file(2);
    int status = 0;
    waitpid(reader, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 253;
  });
  EXPECT_EQ(r, 0) << "(75: a full pipe failed the write; 253: bytes lost)";
}

TEST(Files, FirstByteThatCannotBeReadGives75) {
  // Address 0 of our own memory is never mapped: the open succeeds, the
  // first read fails with EIO.
  if (access("/proc/self/mem", R_OK) != 0) GTEST_SKIP() << "no /proc/self/mem";
  FileTable t;
  EXPECT_EQ(error_of([&] { t.open_file("/proc/self/mem", FileMode::Input, 1); }), vorn::err::path_file_access);
  EXPECT_FALSE(t.is_open(1));
}

TEST(Files, TooManyOpenFilesGives53) {
  vorn::test::TempDir dir;
  put("in.txt", "x");
  int r = in_child([] {
    rlimit lim{0, 0};
    if (setrlimit(RLIMIT_NOFILE, &lim) != 0) return kCannotDropUser;
    FileTable t;
    t.open_file("in.txt", FileMode::Input, 1);
    return 0;
  });
  EXPECT_EQ(r, vorn::err::file_not_found);
}

// Refused by the file's permissions. Root reads everything, so the child
// drops to the user nobody first.
TEST(Files, PermissionRefusalsGive70) {
  vorn::test::TempDir dir;
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  put("secret.txt", "x\r\n");
  put("readonly.txt", "keep\r\n");
  fs::create_directory("locked");
  ASSERT_EQ(chmod("secret.txt", 0600), 0);
  ASSERT_EQ(chmod("readonly.txt", 0644), 0);
  ASSERT_EQ(chmod("locked", 0755), 0);
  const bool root = geteuid() == 0;
  if (!root) {
    // Our own files: take the rights away instead.
    ASSERT_EQ(chmod("secret.txt", 0), 0);
    ASSERT_EQ(chmod("readonly.txt", 0444), 0);
    ASSERT_EQ(chmod("locked", 0555), 0);
  }
  struct Case {
    const char* what;
    const char* name;
    FileMode mode;
  } cases[] = {
      {"unreadable file", "secret.txt", FileMode::Input},
      {"write-protected file", "readonly.txt", FileMode::Output},
      {"folder that may not be written", "locked/new.txt", FileMode::Output},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    int r = in_child([&] {
      if (root && (setgroups_none() != 0 || setgid(65534) != 0 || setuid(65534) != 0))
        return kCannotDropUser;
      FileTable t;
      t.open_file(c.name, c.mode, 1);
      return kNotRefused;
    });
    if (r == kCannotDropUser) GTEST_SKIP() << "cannot change user";
    if (r == kNotRefused && !root) GTEST_SKIP() << "this user bypasses file permissions";
    EXPECT_EQ(r, vorn::err::permission_denied);
  }
  EXPECT_EQ(get("readonly.txt"), "keep\r\n");
  EXPECT_FALSE(fs::exists("locked/new.txt"));
}

TEST(WriteItem, BytesUnchangedAndLineEnds) {
  vorn::test::TempDir dir;
  FileTable t;
  t.open_file("out.txt", FileMode::Output, 2);
  t.write_item(2, "", true);
  EXPECT_EQ(get("out.txt"), "\r\n");  // handed over at once, not at the close
  t.write_item(2, "ab", false);
  t.write_item(2, "", false);
  t.write_item(2, std::string("c\0\x1a\xff\n", 5), true);
  EXPECT_EQ(get("out.txt"), std::string("\r\nabc\0\x1a\xff\n\r\n", 11));
  const std::string big(3 << 20, 'z');
  t.write_item(2, big, true);
  t.close_file(2);
  EXPECT_EQ(get("out.txt"), std::string("\r\nabc\0\x1a\xff\n\r\n", 11) + big + "\r\n");
}

TEST(WriteItem, OpenForOutputTruncates) {
  vorn::test::TempDir dir;
  put("out.txt", "old content that is longer");
  FileTable t;
  t.open_file("out.txt", FileMode::Output, 2);
  EXPECT_EQ(fs::file_size("out.txt"), 0u);
  t.write_item(2, "new", true);
  t.close_file(2);
  EXPECT_EQ(get("out.txt"), "new\r\n");
}

TEST(WriteItem, SharedWithAReaderOfTheSameFile) {
  vorn::test::TempDir dir;
  FileTable t;
  t.open_file("both.txt", FileMode::Output, 2);
  t.write_item(2, "line", true);
  t.open_file("both.txt", FileMode::Input, 1);
  std::string s;
  t.read_line(1, s);
  EXPECT_EQ(s, "line");
}

TEST(WriteItem, FullDiskGives75) {
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  FileTable t;
  t.open_file("/dev/full", FileMode::Output, 2);
  EXPECT_EQ(error_of([&] { t.write_item(2, "x", false); }), vorn::err::path_file_access);
  EXPECT_EQ(error_of([&] { t.write_item(2, "", true); }), vorn::err::path_file_access);
  EXPECT_TRUE(t.is_open(2));
}

// A write that the file system stops half way (here the file size limit,
// EFBIG) gives 75 and leaves everything written before it in the file.
TEST(WriteItem, RefusedWriteKeepsWhatWasWritten) {
  vorn::test::TempDir dir;
  int r = in_child([] {
    signal(SIGXFSZ, SIG_IGN);
    rlimit lim{10, 10};
    if (setrlimit(RLIMIT_FSIZE, &lim) != 0) return kCannotDropUser;
    FileTable t;
    t.open_file("out.txt", FileMode::Output, 2);
    t.write_item(2, "hello", true);
    t.write_item(2, "0123456789", true);
    return 0;
  });
  EXPECT_EQ(r, vorn::err::path_file_access);
  EXPECT_EQ(get("out.txt"), "hello\r\n012");
}

// '9' stands for any digit, every other byte for itself.
bool shaped_like(const std::string& text, const std::string& shape) {
  if (text.size() != shape.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (shape[i] == '9' ? !std::isdigit(static_cast<unsigned char>(text[i])) : text[i] != shape[i]) return false;
  return true;
}

TEST(Clock, DateAndTimeAreLocalAndTwoDigitFields) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::time_t before = std::time(nullptr);
    std::string date = vorn::date_text();
    std::string time = vorn::time_text();
    std::time_t after = std::time(nullptr);
    if (before != after) continue;  // a second passed between: try again
    std::tm tm{};
    localtime_r(&before, &tm);
    char want_date[16], want_time[16];
    std::strftime(want_date, sizeof want_date, "%m-%d-%Y", &tm);
    std::strftime(want_time, sizeof want_time, "%H:%M:%S", &tm);
    EXPECT_TRUE(shaped_like(date, "99-99-9999")) << date;
    EXPECT_TRUE(shaped_like(time, "99:99:99")) << time;
    EXPECT_EQ(date, want_date);
    EXPECT_EQ(time, want_time);
    return;
  }
  FAIL() << "the clock would not hold still";
}
