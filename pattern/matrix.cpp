// One Matrix file gathered into Rot_Gain: record i names the untilted point
// whose cell gain lands on point i. Read afresh for every row.
#include "pattern/matrix.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/flow.h"
#include "platform/to_number.h"

namespace vorn {

namespace {

constexpr int kMatrixFile = 1;
// Characters 14-22 of a record.
constexpr std::size_t kIndexFrom = 13, kIndexWidth = 9;

// Nearest integer, ties to even. With a 64-bit mantissa every value from
// 2^63 up is whole already, and below that adding and taking away 2^63
// leaves the rounding to the adder (nearbyintl costs more than the rest of
// a record).
long double round_even(long double x) {
  constexpr long double big = 0x1p63L;
  if (!(fabsl(x) < big)) return x;
  const long double t = x >= 0 ? x + big : x - big;
  return x >= 0 ? t - big : t + big;
}

constexpr uint64_t kBytes(unsigned char b) { return 0x0101010101010101ull * b; }

// Eight digit bytes, the first the most significant, as one number.
uint32_t eight_digits(uint64_t w) {
  w -= kBytes('0');
  w = w * 10 + (w >> 8);
  w = (((w & 0x000000FF000000FFull) * (100 + (1000000ull << 32))) +
       (((w >> 16) & 0x000000FF000000FFull) * (1 + (10000ull << 32)))) >>
      32;
  return uint32_t(w);
}

// A full field of the usual shape: blanks, then digits, then at most one
// blank. The blanks in front count as leading zeros.
[[gnu::always_inline]] inline bool right_aligned(const char* f, uint32_t& value) {
  uint64_t w;
  std::memcpy(&w, f, 8);
  const uint64_t blanks = ((~w >> 4) & kBytes(1)) * 0xFF;  // bytes without bit 4
  const uint64_t z = w | kBytes(0x10);                      // a blank becomes a '0'
  const bool digits = ((z & kBytes(0xF0)) | (((z + kBytes(0x06)) & kBytes(0xF0)) >> 4)) == kBytes(0x33);
  // Of the bytes that became digits, those without bit 4 must have been
  // blanks, and they must all come first.
  if (!digits || (w & blanks & kBytes(0x0F)) || (blanks & (blanks + 1))) return false;
  uint32_t v = eight_digits(z);
  const unsigned char last = static_cast<unsigned char>(f[8]);
  if (unsigned(last - '0') < 10)
    v = v * 10 + (last - '0');
  else if (last != ' ')
    return false;
  value = v;
  return true;
}

// The source point of a field of digits, blanks and tabs, -1 for any other
// text: nine digits at most stay below 2^31, exact and whole, so to_number
// and source_point would give the number itself.
[[gnu::always_inline]] inline int64_t plain_source(std::string_view field) {
  uint32_t v;
  if (field.size() == kIndexWidth && right_aligned(field.data(), v)) return v;
  if (field.size() > kIndexWidth) return -1;
  // Blanks and tabs are skipped wherever they stand.
  v = 0;
  for (char ch : field) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (unsigned(c - '0') < 10)
      v = v * 10 + (c - '0');
    else if (c != ' ' && c != '\t')
      return -1;
  }
  return v;
}

}  // namespace

std::string alpha_digits(int alpha) {
  std::string two = std::to_string(alpha);
  if (alpha <= 9) two = "0" + two;
  return two;
}

void form_alpha_text(State& S) { S.alpha_text = alpha_digits(S.alpha); }

std::string matrix_file_name(std::string_view alpha_text) {
  std::string name = "FFstep1_phi2_theta2_basic_";
  name.append(alpha_text).append("_V2-0.txt");
  return name;
}

int32_t source_point(long double number) {
  const long double r = round_even(number);
  if (!(r >= -0x1p63L && r < 0x1p64L)) return 0;  // NaN lands here too
  const uint64_t bits = r >= 0x1p63L ? (uint64_t)r : (uint64_t)(int64_t)r;
  return (int32_t)(uint32_t)bits;
}

bool plain_source_point(std::string_view field, int32_t& point) {
  const int64_t v = plain_source(field);
  if (v < 0) return false;
  point = int32_t(v);
  return true;
}

void load_matrix(State& S) {
  pass_checkpoint(S, 200);
  const std::string name = matrix_file_name(S.alpha_text);
  step(S, 737, [&] { S.files.open_file(name, FileMode::Input, kMatrixFile); });
  double* const rot = S.Rot_Gain.data();
  const double* const cell = S.Cell_Gain.data();
  // Records are taken where they lie in the read block, a batch at a time;
  // only those that do not are read one by one, into line_text. line_text
  // and index_field get the text of a record whenever it can be seen: at an
  // error and at the end.
  constexpr std::size_t kBatch = 512;
  std::string_view batch[kBatch];
  int32_t source[kBatch];
  std::string_view record, field;
  const auto show_record = [&] {
    if (record.data() != S.line_text.data()) S.line_text.assign(record);
    S.index_field.assign(field);
  };
  const auto index_of = [](std::string_view r) {
    return r.size() > kIndexFrom ? r.substr(kIndexFrom, kIndexWidth) : std::string_view();
  };
  uint32_t i = 1;
  while (i <= (uint32_t)kPoints) {
    std::size_t n = S.files.read_fields_in_block(kMatrixFile, batch, std::min<std::size_t>(kBatch, kPoints + 1 - i));
    if (n == 0) {
      pass_checkpoint(S, 210);
      step(S, 740, [&] {
        // A record read the long way may refill the block under the view.
        const std::string last_field(field);
        try {
          batch[0] = S.files.read_field_view(kMatrixFile, S.line_text);
        } catch (const NumberedError&) {
          if (i > 1) S.index_field = last_field;
          throw;
        }
      });
      n = 1;
    }
    // Plain records in range first, all of them, then their gains in one
    // sweep: the loads of the gather no longer wait on the parsing. A record
    // that needs more stops the sweep and is taken by itself, in its turn.
    std::size_t k = 0;
    while (k < n) {
      std::size_t m = k;
      int64_t j = 0;
      for (; m < n; ++m) {
        pass_checkpoint(S, 210);
        j = plain_source(index_of(batch[m]));
        if (uint64_t(j) > uint64_t(kPoints)) break;
        source[m] = int32_t(j);
      }
      for (std::size_t t = k; t < m; ++t) rot[i++] = cell[source[t]];
      if (m == n) break;
      // The record that stopped the sweep: j is its plain value, or -1.
      record = batch[m];
      field = index_of(record);
      if (j < 0) {
        show_record();
        long double number = 0;
        step(S, 741, [&] { number = to_number(S.index_field); });
        j = source_point(number);
      }
      if (j < 0 || j > kPoints) {
        show_record();
        step(S, 742, [&] { raise_error(err::subscript_out_of_range); });
      }
      rot[i++] = cell[j];
      k = m + 1;
    }
    record = batch[n - 1];
    field = index_of(record);
  }
  show_record();
  S.files.close_file(kMatrixFile);
}

}  // namespace vorn
