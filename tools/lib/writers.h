#pragma once
// Writers of FF Tables and Matrix files in the layout the program reads,
// for the tools and the tests. Header and block-header lines are our own.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vorn::tools {

struct FFTableOptions {
  bool decimal_comma = false;  // a comma in character 33 of every data line
  int phi_step = 1;            // azimuth step of the data lines
  int theta_step = 1;          // elevation step of the blocks
  int header_lines = 9;        // lines before the first block
  long keep_lines = -1;        // >= 0: cut the file after this many lines
  int extra_lines = 0;         // lines appended after the last block
};

// gain(phi, theta) in dBi, phi 0..360 azimuth, theta 0..180 (90 - elevation).
// Tot_dB is written with two decimals in characters 26-35.
void write_ff_table(const std::string& path, const std::function<double(int phi, int theta)>& gain,
                    const FFTableOptions& options = {});

// A Matrix file: record i (1..65341) names source[i-1] in characters 14-22.
void write_matrix(const std::string& path, const std::vector<int32_t>& source);
// The identity: record i names i.
std::vector<int32_t> identity_sources();
// For each destination point, the nearest grid point of the untilted pattern
// when the boresight (azimuth 0, elevation 0) is raised to elevation alpha.
std::vector<int32_t> tilt_sources(int alpha);
// The Matrix file name of alpha (the reader's own) in folder.
std::string matrix_path(const std::string& folder, int alpha);
// All 91 files into folder.
void write_all_matrices(const std::string& folder);

// A realistic directional antenna: a peak of +14 dBi toward azimuth 0 on the
// horizon, side and back lobes, a floor of -25 dBi.
double directional_gain(int phi, int theta);

}  // namespace vorn::tools
