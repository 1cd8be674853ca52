// The two passes over the FF Table: the grid test on lines 13 and 14, then
// the 65,341 values with their cell gains and the maximum.
#include "pattern/ff_table.h"

#include <cmath>
#include <cstring>
#include <memory>

#include "app/flow.h"
#include "platform/to_number.h"

namespace vorn {

namespace {

constexpr int kFFFile = 1;

// Characters start..start+count-1 (from 1) of text, as many as there are.
void mid_into(const std::string& text, size_t start, size_t count, std::string& out) {
  if (text.size() < start) {
    out.clear();
    return;
  }
  out.assign(text, start - 1, count);
}

// (pi/180)^2 with pi/180 never rounded to double on the way.
long double cell_solid_angle() {
  static const long double v = powl((long double)kPi / 180.0L, 2.0L);
  return v;
}

// Cell gains by the exact bits of Tot_dB: a table holds a few thousand
// distinct values among its 65,341 points, and each power costs more than
// reading its line. Open addressing; once three quarters full it stops
// taking new values and just computes them.
class CellGainCache {
 public:
  CellGainCache() : slots_(std::make_unique<Slot[]>(kSlots)) {
    for (std::size_t n = 0; n < kSlots; ++n) slots_[n].key = kEmpty;
  }

  double operator()(double tot_dB) {
    uint64_t key;
    std::memcpy(&key, &tot_dB, sizeof key);
    if (key == kEmpty) return cell_gain_of(tot_dB);
    std::size_t n = std::size_t((key * 0x9E3779B97F4A7C15ull) >> (64 - kBits));
    for (;; n = (n + 1) & (kSlots - 1)) {
      Slot& s = slots_[n];
      if (s.key == key) return s.gain;
      if (s.key != kEmpty) continue;
      const double gain = cell_gain_of(tot_dB);
      if (used_ < kSlots / 4 * 3) {
        s.key = key;
        s.gain = gain;
        ++used_;
      }
      return gain;
    }
  }

 private:
  static constexpr int kBits = 14;
  static constexpr std::size_t kSlots = std::size_t(1) << kBits;
  // A NaN that the number reader never makes; a value with these bits is
  // computed every time.
  static constexpr uint64_t kEmpty = ~uint64_t(0);
  struct Slot {
    uint64_t key;
    double gain;
  };
  std::unique_ptr<Slot[]> slots_;
  std::size_t used_ = 0;
};

}  // namespace

void ff_format_error(State& S) {
  fatal_error_display(S, {{" The FF Table file is not in accordance with the right format"},
                          {" (number of lines and/or content of lines)."}});
}

double cell_gain_of(double tot_dB) {
  const long double power = powl(10.0L, (long double)tot_dB / 10.0L);
  return (double)(power * cell_solid_angle());
}

void check_ff_grid(State& S) {
  S.files.close_file(kFFFile);
  pass_checkpoint(S, 20);
  step(S, 248, [&] { S.files.open_file(S.ff_name, FileMode::Input, kFFFile); });
  step(S, 251, [&] {
    for (int i = 0; i < 12; ++i) S.files.read_line(kFFFile, S.line_text);
  });
  step(S, 253, [&] { S.files.read_line(kFFFile, S.line_text); });
  step(S, 254, [&] { S.azimuth_13 = (float)to_number(S.line_text.substr(0, 3)); });
  step(S, 256, [&] { S.files.read_line(kFFFile, S.line_text); });
  step(S, 257, [&] { S.azimuth_14 = (float)to_number(S.line_text.substr(0, 3)); });
  // The one comparison that is not made in single precision.
  const long double step_deg = (long double)S.azimuth_14 - (long double)S.azimuth_13;
  if (step_deg != 1.0L) {
    fatal_error_display(S, {{" The FF Table must be of 1 deg. resolution but is not!"}});
  }
  S.files.close_file(kFFFile);
}

void read_ff_table(State& S) {
  S.con.set_title("VORN v3.05" + std::string(9, ' ') + "FFTab: " + S.ff_name);
  S.con.pause(2);
  // Still under checkpoint 20: a failure here is a missing table again.
  step(S, 275, [&] { S.files.open_file(S.ff_name, FileMode::Input, kFFFile); });
  step(S, 277, [&] {
    for (int i = 0; i < 9; ++i) S.files.read_line(kFFFile, S.line_text);
  });
  S.con.set_colour(7);
  S.con.end_line();
  for (const char* line : {" Extracting the 65,341 Tot_dB values from the FF Table,",
                           " looking at any possible comma and preparing",
                           " the 65,341 elements for the double integration,", " please, wait ..."}) {
    S.con.print_item(line);
    S.con.end_line();
  }
  S.Max_Gain = -1000;
  CellGainCache cell_gain;

  for (int theta = 180; theta >= 0; --theta) {
    pass_checkpoint(S, 100);
    step(S, 280, [&] { S.files.read_line(kFFFile, S.line_text); });
    pass_checkpoint(S, 110);
    step(S, 281, [&] { S.files.read_line(kFFFile, S.line_text); });
    pass_checkpoint(S, 120);
    step(S, 282, [&] { S.files.read_line(kFFFile, S.line_text); });
    for (int phi = 0; phi <= 360; ++phi) {
      pass_checkpoint(S, 130);
      step(S, 283, [&] { S.files.read_line(kFFFile, S.line_text); });
      mid_into(S.line_text, 26, 10, S.dB_field);
      if (S.dB_field.size() >= 8 && S.dB_field[7] == ',') {
        if (theta == 180 && phi == 0) {
          S.con.end_line();
          S.con.set_colour(9);
          S.con.print_item(" Replacing commas by dots, please wait a little more!");
          S.con.end_line();
          S.con.set_colour(7);
          S.con.end_line();
        }
        // First 7, a dot, last 2: on a short field the last 2 may overlap.
        const size_t n = S.dB_field.size();
        S.dB_field = S.dB_field.substr(0, 7) + "." + S.dB_field.substr(n - 2);
      }
      const int32_t k = point_index(phi, theta);
      step(S, 285, [&] { S.Tot_dB[k] = (double)to_number(S.dB_field); });
      const float value = (float)S.Tot_dB[k];
      if (value > S.Max_Gain) {
        S.Max_Gain = value;
        S.phi_max = (int16_t)phi;
        S.theta_max = (int16_t)theta;
      }
      S.Cell_Gain[k] = cell_gain(S.Tot_dB[k]);
    }
  }

  if (S.line_text.compare(0, 3, "360") != 0) ff_format_error(S);
  if ((float)S.Tot_dB[point_index(0, 90)] == S.Max_Gain) S.theta_max = 90;
  S.files.close_file(kFFFile);
}

}  // namespace vorn
