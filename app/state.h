#pragma once
// Every program-wide value of a run, in one plain value that is created
// fresh for each run: all numbers 0, all texts empty, all arrays 0.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "pattern/grid.h"
#include "platform/console.h"
#include "platform/files.h"

namespace vorn {

constexpr int kAlphaSize = 92;  // 0..90 used

struct State {
  explicit State(Console& console)
      : con(console), Tot_dB(kGainSize, 0.0), Cell_Gain(kGainSize, 0.0), Rot_Gain(kGainSize, 0.0) {}

  Console& con;
  FileTable files;

  // Entry (temperatures in K, the FF Table's name as typed).
  float T_sky = 0, T_earth = 0;
  std::string ff_name;

  // Gain arrays.
  std::vector<double> Tot_dB, Cell_Gain, Rot_Gain;
  float Max_Gain = 0;
  int16_t phi_max = 0, theta_max = 0;

  // Run constants fixed by the reference pass.
  float Sky_zone_0 = 0, Earth_zone_0 = 0;
  double Avg_Gain = 0, Avg_Gain_dB = 0, T_loss = 0;

  // Per-alpha results.
  std::array<double, kAlphaSize> Sky_zone{}, Earth_zone{}, T_pattern{}, T_total{}, G_T{};

  int16_t alpha = 0;
  int16_t saved_first_alpha = 0, saved_last_alpha = 0, saved_alpha_step = 0;
  std::string yes_no_answer;

  // Numbered errors.
  double last_checkpoint = 0;

  // Working values of the FF Table and Matrix readers.
  std::string line_text, dB_field, index_field, alpha_text;
  float azimuth_13 = 0, azimuth_14 = 0;

  // Working values of the zone integration.
  int16_t theta_from = 0, theta_to = 0;
  std::array<double, 362> Phi_Sum{};
  double Zone_Sum = 0;

  // Alpha menu.
  int16_t menu_choice = 0, first_alpha = 0, last_alpha = 0, page_number = 0;

  // Output file.
  std::string output_name;
  int16_t name_length = 0;
};

inline void pass_checkpoint(State& S, double number) { S.last_checkpoint = number; }

}  // namespace vorn
