// Matrix files: names, the index field of each record, the gather into
// Rot_Gain, and the files that end the program.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>

#include "app/errors.h"
#include "platform/files.h"
#include "platform/to_number.h"
#include "pattern/matrix.h"
#include "support/harness.h"
#include "tools/lib/writers.h"
#include "support/names.h"

using namespace vorn;
using vorn::test::Run;
using vorn::test::TempDir;

namespace {

// Record i of the identity as the writer lays it out.
std::string identity_record(int i) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%06d       %9d", i, i);
  return buf;
}

// The identity file with the first records replaced by head, one per line.
void write_lines(const std::string& path, const std::vector<std::string>& lines, bool last_line_end = true) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (size_t n = 0; n < lines.size(); ++n) {
    out << lines[n];
    if (n + 1 < lines.size() || last_line_end) out << "\r\n";
  }
}

std::vector<std::string> identity_lines(int count = kPoints) {
  std::vector<std::string> lines;
  lines.reserve(count);
  for (int i = 1; i <= count; ++i) lines.push_back(identity_record(i));
  return lines;
}

struct Loader {
  TempDir dir;
  vorn::test::Run r;
  Loader() {
    // Cell gain k is k, so Rot_Gain shows the source point directly.
    for (int k = 1; k <= kPoints; ++k) r.S.Cell_Gain[k] = k;
  }
  // false when the program ended.
  bool load(int alpha) {
    r.S.alpha = (int16_t)alpha;
    form_alpha_text(r.S);
    try {
      load_matrix(r.S);
    } catch (const ProgramEnd&) {
      return false;
    }
    return true;
  }
  bool shows(const std::string& line) {
    for (int i = 1; i <= 25; ++i)
      if (r.row(i) == line) return true;
    return false;
  }
  std::string screen() {
    std::string s;
    for (int i = 1; i <= 25; ++i) s += r.row(i) + "\n";
    return s;
  }
};

}  // namespace

// ---------------------------------------------------------------------------
// Names

struct NameCase {
  int alpha;
  const char* text;
  const char* file;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << "alpha" << c.alpha; }

class Name : public ::testing::TestWithParam<NameCase> {};

TEST_P(Name, TwoDigits) {
  const NameCase& c = GetParam();
  vorn::test::Run r;
  r.S.alpha = (int16_t)c.alpha;
  form_alpha_text(r.S);
  EXPECT_EQ(r.S.alpha_text, c.text);
  EXPECT_EQ(matrix_file_name(r.S.alpha_text), c.file);
  EXPECT_EQ(vorn::tools::matrix_path("", c.alpha), c.file);
}

INSTANTIATE_TEST_SUITE_P(Matrix, Name,
                         ::testing::Values(NameCase{0, "00", "FFstep1_phi2_theta2_basic_00_V2-0.txt"},
                                           NameCase{5, "05", "FFstep1_phi2_theta2_basic_05_V2-0.txt"},
                                           NameCase{9, "09", "FFstep1_phi2_theta2_basic_09_V2-0.txt"},
                                           NameCase{10, "10", "FFstep1_phi2_theta2_basic_10_V2-0.txt"},
                                           NameCase{30, "30", "FFstep1_phi2_theta2_basic_30_V2-0.txt"},
                                           NameCase{90, "90", "FFstep1_phi2_theta2_basic_90_V2-0.txt"}),
                         ::testing::PrintToStringParamName());

TEST(Matrix, OpensTheFileOfItsAlpha) {
  // Each file names one point everywhere; the gain shows which file was read.
  Loader t;
  for (int alpha : {0, 9, 10, 90})
    vorn::tools::write_matrix(vorn::tools::matrix_path("", alpha), std::vector<int32_t>(kPoints, 100 + alpha));
  for (int alpha : {0, 9, 10, 90}) {
    ASSERT_TRUE(t.load(alpha));
    EXPECT_EQ(t.r.S.Rot_Gain[1], 100 + alpha);
    EXPECT_EQ(t.r.S.Rot_Gain[kPoints], 100 + alpha);
  }
}

// ---------------------------------------------------------------------------
// Source points

struct RoundCase {
  long double number;
  int32_t point;
};

void PrintTo(const RoundCase& c, std::ostream* os) { *os << test::number_name(c.number); }

class Round : public ::testing::TestWithParam<RoundCase> {};

TEST_P(Round, NearestTiesToEvenLow32Bits) {
  EXPECT_EQ(source_point(GetParam().number), GetParam().point) << (double)GetParam().number;
}

INSTANTIATE_TEST_SUITE_P(
    Matrix, Round,
    ::testing::Values(RoundCase{12.5L, 12}, RoundCase{13.5L, 14}, RoundCase{12.4L, 12}, RoundCase{12.6L, 13},
                      RoundCase{100.5L, 100}, RoundCase{101.5L, 102}, RoundCase{-0.4L, 0},
                      RoundCase{-0.5L, 0}, RoundCase{-1.5L, -2}, RoundCase{-1.0L, -1},
                      RoundCase{65341.0L, 65341}, RoundCase{65342.0L, 65342},
                      RoundCase{0x1p32L + 5, 5}, RoundCase{0x1p31L, INT32_MIN},
                      RoundCase{0x1p32L - 1, -1}, RoundCase{-0x1p32L - 7, -7},
                      // 64-bit range: [2^63, 2^64) wraps like the unsigned value.
                      RoundCase{0x1p63L + 9, 9}, RoundCase{0x1p64L - 1, -1}, RoundCase{0x1p64L, 0},
                      RoundCase{-0x1p63L, 0}, RoundCase{-0x1p63L + 3, 3}, RoundCase{-0x1p63L - 1, 0},
                      RoundCase{1e30L, 0}, RoundCase{-1e30L, 0}, RoundCase{INFINITY, 0},
                      RoundCase{-INFINITY, 0}, RoundCase{NAN, 0}),
    ::testing::PrintToStringParamName());

// ---------------------------------------------------------------------------
// Records in a file

struct RecordCase {
  const char* name;
  std::string record;
  int32_t source;
};

void PrintTo(const RecordCase& c, std::ostream* os) { *os << c.name; }

class Record : public ::testing::TestWithParam<RecordCase> {};

TEST_P(Record, NamesItsSourcePoint) {
  const RecordCase& c = GetParam();
  Loader t;
  auto lines = identity_lines();
  lines[99] = c.record;  // destination point 100
  write_lines(vorn::tools::matrix_path("", 0), lines);
  ASSERT_TRUE(t.load(0)) << t.screen();
  EXPECT_EQ(t.r.S.Rot_Gain[100], double(c.source));
  EXPECT_EQ(t.r.S.Rot_Gain[99], 99.0);
  EXPECT_EQ(t.r.S.Rot_Gain[101], 101.0);
}

const std::string k13 = "0000100      ";  // characters 1-13

INSTANTIATE_TEST_SUITE_P(
    Matrix, Record,
    ::testing::Values(RecordCase{"Padded", k13 + "    12345", 12345},
                      RecordCase{"ZeroLed", k13 + "000012345", 12345},
                      RecordCase{"HalfDown", k13 + "    100.5", 100},
                      RecordCase{"HalfUp", k13 + "    101.5", 102},
                      RecordCase{"SmallNegative", k13 + "     -0.4", 0},
                      RecordCase{"LastPoint", k13 + "    65341", 65341},
                      RecordCase{"Zero", k13 + "        0", 0},
                      RecordCase{"Blank", k13 + "         ", 0},
                      RecordCase{"Letters", k13 + "abcdefghi", 0},
                      RecordCase{"Empty", "", 0},
                      RecordCase{"ThirteenCharacters", k13, 0},
                      RecordCase{"FourteenCharacters", "XXXXXXXXXXXXX7", 7},
                      RecordCase{"AfterCharacter22Ignored", k13 + "      123" + "999", 123},
                      RecordCase{"LeadingBlanksAndTabs", " \t  \t" + k13 + "      321", 321},
                      RecordCase{"CharactersOneTo13Ignored", "9999999999999      222", 222},
                      RecordCase{"QuotedWithComma", "\"" + k13 + "    55,55\"", 55}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Matrix, IdentityGivesCellGain) {
  Loader t;
  for (int k = 1; k <= kPoints; ++k) t.r.S.Cell_Gain[k] = std::sqrt(double(k)) * 1e-4;
  for (int k = 1; k <= kPoints; ++k) t.r.S.Rot_Gain[k] = -1;
  vorn::tools::write_matrix(vorn::tools::matrix_path("", 0), vorn::tools::identity_sources());
  ASSERT_TRUE(t.load(0));
  EXPECT_EQ(t.r.S.Rot_Gain, t.r.S.Cell_Gain);
  EXPECT_FALSE(t.r.S.files.is_open(1));
  EXPECT_EQ(t.r.S.last_checkpoint, 210);
}

TEST(Matrix, ZeroSourceGivesZeroGain) {
  Loader t;
  vorn::tools::write_matrix(vorn::tools::matrix_path("", 3), std::vector<int32_t>(kPoints, 0));
  t.r.S.Rot_Gain.assign(kGainSize, 5.0);
  ASSERT_TRUE(t.load(3));
  for (int k = 1; k <= kPoints; ++k) ASSERT_EQ(t.r.S.Rot_Gain[k], 0.0) << k;
  EXPECT_EQ(t.r.S.Rot_Gain[0], 5.0);  // element 0 is never written
}

TEST(Matrix, LastLineWithoutLineEnd) {
  Loader t;
  auto lines = identity_lines();
  lines.back() = k13 + "       77";
  write_lines(vorn::tools::matrix_path("", 0), lines, false);
  ASSERT_TRUE(t.load(0)) << t.screen();
  EXPECT_EQ(t.r.S.Rot_Gain[kPoints], 77.0);
}

TEST(Matrix, FurtherRecordsIgnored) {
  Loader t;
  auto lines = identity_lines();
  lines.push_back("garbage, more, and more");
  lines.push_back(k13 + "    99999");
  write_lines(vorn::tools::matrix_path("", 0), lines);
  ASSERT_TRUE(t.load(0)) << t.screen();
  EXPECT_EQ(t.r.S.Rot_Gain[kPoints], double(kPoints));
}

TEST(Matrix, CommaAndEmptyLineShiftLaterRecords) {
  Loader t;
  auto lines = identity_lines();
  lines[9] = k13 + "       10,junk";  // records 10 and 11
  lines.insert(lines.begin() + 20, "");   // an empty record after line 20
  write_lines(vorn::tools::matrix_path("", 0), lines);
  ASSERT_TRUE(t.load(0)) << t.screen();
  EXPECT_EQ(t.r.S.Rot_Gain[9], 9.0);
  EXPECT_EQ(t.r.S.Rot_Gain[10], 10.0);
  EXPECT_EQ(t.r.S.Rot_Gain[11], 0.0);   // "junk"
  EXPECT_EQ(t.r.S.Rot_Gain[12], 11.0);  // one later
  EXPECT_EQ(t.r.S.Rot_Gain[21], 20.0);
  EXPECT_EQ(t.r.S.Rot_Gain[22], 0.0);   // the empty line
  EXPECT_EQ(t.r.S.Rot_Gain[23], 21.0);  // two later
  EXPECT_EQ(t.r.S.Rot_Gain[kPoints], double(kPoints - 2));
}

TEST(Matrix, ReadAfreshEachTime) {
  Loader t;
  vorn::tools::write_matrix(vorn::tools::matrix_path("", 4), vorn::tools::identity_sources());
  ASSERT_TRUE(t.load(4));
  EXPECT_EQ(t.r.S.Rot_Gain[500], 500.0);
  auto sources = vorn::tools::identity_sources();
  sources[499] = 7;
  vorn::tools::write_matrix(vorn::tools::matrix_path("", 4), sources);
  ASSERT_TRUE(t.load(4));
  EXPECT_EQ(t.r.S.Rot_Gain[500], 7.0);
}

// ---------------------------------------------------------------------------
// Files that end the program

enum class Kind { Missing, Records, BadSource };

struct EndCase {
  const char* name;
  int alpha;
  Kind kind;
  int count;  // records written, or the bad source of record 1235
  std::string line;
};

void PrintTo(const EndCase& c, std::ostream* os) { *os << c.name; }

class End : public ::testing::TestWithParam<EndCase> {};

TEST_P(End, ShowsItsMessage) {
  const EndCase& c = GetParam();
  Loader t;
  if (c.kind == Kind::Records) {
    write_lines(vorn::tools::matrix_path("", c.alpha), identity_lines(c.count));
  } else if (c.kind == Kind::BadSource) {
    auto s = vorn::tools::identity_sources();
    s[1234] = c.count;
    vorn::tools::write_matrix(vorn::tools::matrix_path("", c.alpha), s);
  }
  EXPECT_FALSE(t.load(c.alpha));
  EXPECT_TRUE(t.shows(c.line)) << t.screen();
  if (c.kind == Kind::BadSource) {
    EXPECT_TRUE(t.shows(" Press any key to close the windows!"));
    EXPECT_EQ(t.r.S.Rot_Gain[1234], 1234.0);  // gathered up to the bad record
  } else {
    EXPECT_EQ(t.r.row(25), "Press any key to continue");
    EXPECT_FALSE(t.r.S.files.is_open(1));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Matrix, End,
    ::testing::Values(
        EndCase{"MissingAlpha0", 0, Kind::Missing, 0, " The Matrix file for alpha = 0 degrees has not been found!"},
        EndCase{"MissingAlpha1", 1, Kind::Missing, 0, " The Matrix file for alpha = 1 degree has not been found!"},
        EndCase{"MissingAlpha5", 5, Kind::Missing, 0, " The Matrix file for alpha = 5 degrees has not been found!"},
        EndCase{"OneRecordShortAlpha0", 0, Kind::Records, kPoints - 1,
                " The Matrix file for alpha = 0 degrees is incomplete!"},
        EndCase{"OneRecordShortAlpha1", 1, Kind::Records, kPoints - 1,
                " The Matrix file for alpha = 1 degree is incomplete!"},
        EndCase{"OneRecordShortAlpha2", 2, Kind::Records, kPoints - 1,
                " The Matrix file for alpha = 2 degrees is incomplete!"},
        EndCase{"EmptyFile", 90, Kind::Records, 0, " The Matrix file for alpha = 90 degrees is incomplete!"},
        EndCase{"SourceAboveLastPoint", 0, Kind::BadSource, kPoints + 1, "Error 9 at line 742"},
        EndCase{"NegativeSource", 0, Kind::BadSource, -1, "Error 9 at line 742"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// The fast path of plain index fields against to_number

struct SameCase {
  const char* name;
  std::string record;  // as written on its line
  bool plain;          // digits, blanks and tabs only: taken without to_number
};

void PrintTo(const SameCase& c, std::ostream* os) { *os << c.name; }

class SameAsToNumber : public ::testing::TestWithParam<SameCase> {};

// The source point the long way: the field as read_field gives it,
// characters 14-22, to_number, rounding.
int32_t long_way(const std::string& record) {
  vorn::test::TempDir dir;
  std::ofstream("one.txt", std::ios::binary) << record << "\r\n";
  FileTable t;
  t.open_file("one.txt", FileMode::Input, 1);
  std::string field;
  t.read_field(1, field);
  return source_point(to_number(field.size() >= 14 ? field.substr(13, 9) : std::string()));
}

TEST_P(SameAsToNumber, InTheFileAndAlone) {
  const SameCase& c = GetParam();
  const int32_t expected = long_way(c.record);
  ASSERT_GE(expected, 0);
  ASSERT_LE(expected, kPoints);

  // The fast path alone: taken exactly for the plain fields.
  std::string field;
  {
    vorn::test::TempDir dir;
    std::ofstream("one.txt", std::ios::binary) << c.record << "\r\n";
    FileTable t;
    t.open_file("one.txt", FileMode::Input, 1);
    t.read_field(1, field);
  }
  const std::string index = field.size() >= 14 ? field.substr(13, 9) : std::string();
  int32_t point = -7;
  EXPECT_EQ(plain_source_point(index, point), c.plain);
  if (c.plain) {
    EXPECT_EQ(point, expected);
  }

  // The reader, with the record in the middle of a file and at its end.
  for (int at : {100, kPoints}) {
    Loader t;
    auto lines = identity_lines();
    lines[size_t(at - 1)] = c.record;
    write_lines(vorn::tools::matrix_path("", 0), lines);
    ASSERT_TRUE(t.load(0)) << t.screen();
    EXPECT_EQ(t.r.S.Rot_Gain[at], double(expected)) << at;
    EXPECT_EQ(t.r.S.Rot_Gain[at - 1], double(at - 1));
    if (at == kPoints) {
      EXPECT_EQ(t.r.S.line_text, field);
      EXPECT_EQ(t.r.S.index_field, index);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Matrix, SameAsToNumber,
    ::testing::Values(
        SameCase{"Plain", k13 + "000012345", true}, SameCase{"BlankPadded", k13 + "    12345", true},
        SameCase{"AllBlank", k13 + "         ", true}, SameCase{"NineDigitsOfZero", k13 + "000000000", true},
        SameCase{"BlankBetweenDigits", k13 + "  1 2 3 4", true},
        SameCase{"BlankAfterDigits", k13 + "123  45  " + "x", true},
        SameCase{"OneDigitLast", k13 + "        7", true},
        SameCase{"DigitAtCharacter14Only", k13 + "6        x", true},
        SameCase{"Tabs", k13 + "\t 12\t345\t", true}, SameCase{"ShortRecord", k13 + "  654", true},
        SameCase{"ThirteenCharacters", k13, true}, SameCase{"FourteenCharacters", k13 + "9", true},
        SameCase{"Empty", "", true}, SameCase{"LongerRecord", k13 + "    65341" + "99999", true},
        SameCase{"PlusSign", k13 + "   +12345", false}, SameCase{"MinusZero", k13 + "       -0", false},
        SameCase{"FractionHalfDown", k13 + "  12344.5", false},
        SameCase{"FractionHalfUp", k13 + "  12345.5", false},
        SameCase{"SmallNegative", k13 + "     -0.4", false}, SameCase{"Exponent", k13 + "  1.5E+03", false},
        SameCase{"ExponentLetterD", k13 + "    12d02", false}, SameCase{"Hexadecimal", k13 + "   &HFF00", false},
        SameCase{"Octal", k13 + "   &O1777", false}, SameCase{"Letters", k13 + "abcdefghi", false},
        SameCase{"DigitsThenLetter", k13 + "    123x9", false}, SameCase{"Quoted", "\"" + k13 + "    4321\"", true},
        SameCase{"QuotedWithComma", "\"" + k13 + "  55,55\"", false},
        SameCase{"CommaEndsTheRecord", k13 + "    77,88", true},
        SameCase{"ExclamationLooksLikeABlank", k13 + "!!!!12345", false},
        SameCase{"ColonAfterDigits", k13 + "  12345:6", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Matrix, FastPathAgreesWithToNumberOnRandomFields) {
  // Fields of up to nine bytes drawn mostly from digits and blanks, with the
  // bytes that come near them in the table of codes.
  std::mt19937 gen(16);
  const std::string alphabet = std::string("0123456789") + "0123456789" + "     " + "\t" + "+-.,Ee&H!/:)0";
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<int> length(0, 9), kind(0, 3), any_byte(0, 255);
  int taken = 0;
  for (int n = 0; n < 200000; ++n) {
    std::string field(std::size_t(length(gen)), ' ');
    const int k = kind(gen);
    const bool plain = k <= 1;
    for (char& c : field) {
      c = k == 3 && any_byte(gen) < 64 ? char(any_byte(gen)) : alphabet[pick(gen)];
      if (plain && !(std::isdigit((unsigned char)c) || c == ' ' || c == '\t')) c = ' ';
    }
    int32_t point = -7;
    if (plain_source_point(field, point)) {
      ++taken;
      ASSERT_EQ(point, source_point(to_number(field))) << "'" << field << "'";
    } else {
      ASSERT_FALSE(plain) << "'" << field << "'";
    }
  }
  EXPECT_GT(taken, 100000);
}
