#include "tools/lib/writers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "pattern/grid.h"
#include "pattern/matrix.h"

namespace vorn::tools {

namespace {

constexpr double kDeg = kPi / 180.0;

void write_file(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot open for writing: " + path);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (!out) throw std::runtime_error("cannot write: " + path);
}

void add_line(std::string& text, const std::string& line) {
  text += line;
  text += "\r\n";
}

// The widest values that still take exactly 10 characters with two decimals.
constexpr double kLowest = -999999.99;
constexpr double kHighest = 9999999.99;

std::string gain_field(double value, bool comma) {
  if (std::isnan(value) || value < kLowest) value = kLowest;
  if (value > kHighest) value = kHighest;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%10.2f", value);
  std::string field(buf);
  // "-0.00" would read back as 0 anyway; keep the field tidy.
  if (field == "     -0.00") field = "      0.00";
  if (comma) field[7] = ',';
  return field;
}

// Right-aligns v in width characters ending at p[width-1].
inline void put_int(char* p, int width, long v) {
  bool neg = v < 0;
  unsigned long u = neg ? static_cast<unsigned long>(-v) : static_cast<unsigned long>(v);
  int i = width - 1;
  do {
    p[i--] = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u && i >= 0);
  if (neg && i >= 0) p[i--] = '-';
  while (i >= 0) p[i--] = ' ';
}

}  // namespace

void write_ff_table(const std::string& path, const std::function<double(int phi, int theta)>& gain,
                    const FFTableOptions& options) {
  const int phi_step = std::max(1, options.phi_step);
  const int theta_step = std::max(1, options.theta_step);
  static const char* const kHeader[] = {
      "Far field table of a test antenna",
      "Written by the project's table tool",
      "",
      "Blocks: elevation -90 up to +90 degrees",
      "Lines: azimuth 0 up to 360 degrees",
      "Columns: azimuth, elevation, total gain (dBi)",
      "",
      "",
      "",
  };

  std::string text;
  text.reserve(static_cast<size_t>(9 + 181 * 364) * 40);
  for (int n = 0; n < options.header_lines; ++n)
    add_line(text, n < 9 ? kHeader[n] : "Header line " + std::to_string(n + 1));

  for (int theta = 180; theta >= 0; theta -= theta_step) {
    const int elevation = 90 - theta;
    add_line(text, "Elevation angle = " + std::to_string(elevation) + " deg.");
    add_line(text, "");
    add_line(text, "Az        Elev                Tot dB");
    for (int phi = 0; phi <= 360; phi += phi_step) {
      char head[26];
      put_int(head, 3, phi);
      put_int(head + 3, 10, elevation);
      std::fill(head + 13, head + 25, ' ');
      head[25] = '\0';
      text += head;
      text += gain_field(gain(phi, theta), options.decimal_comma);
      text += "\r\n";
    }
  }
  for (int n = 0; n < options.extra_lines; ++n)
    add_line(text, "Extra line " + std::to_string(n + 1));

  if (options.keep_lines >= 0) {
    size_t pos = 0;
    for (long n = 0; n < options.keep_lines && pos < text.size(); ++n) {
      size_t end = text.find("\r\n", pos);
      pos = end == std::string::npos ? text.size() : end + 2;
    }
    text.resize(pos);
  }
  write_file(path, text);
}

namespace {

// One record: chars 1-6 the destination zero-padded (so the record never
// starts with a blank), 7-13 blanks, 14-22 the source, then CR LF.
constexpr int kRecord = 24;

std::string format_matrix(const std::vector<int32_t>& source) {
  const bool fits = std::all_of(source.begin(), source.end(),
                                [](int32_t v) { return v >= -99999999 && v <= 999999999; });
  if (!fits) {
    // A source that does not fit 9 characters widens its record instead.
    std::string text;
    char buf[48];
    for (size_t i = 0; i < source.size(); ++i) {
      int n = std::snprintf(buf, sizeof buf, "%06zu       %9d\r\n", i + 1, source[i]);
      text.append(buf, static_cast<size_t>(n));
    }
    return text;
  }
  std::string text(source.size() * kRecord, ' ');
  char* p = text.data();
  for (size_t i = 0; i < source.size(); ++i, p += kRecord) {
    size_t dest = i + 1;
    for (int k = 5; k >= 0; --k, dest /= 10) p[k] = static_cast<char>('0' + dest % 10);
    put_int(p + 13, 9, source[i]);
    p[22] = '\r';
    p[23] = '\n';
  }
  return text;
}

}  // namespace

void write_matrix(const std::string& path, const std::vector<int32_t>& source) {
  write_file(path, format_matrix(source));
}

std::vector<int32_t> identity_sources() {
  std::vector<int32_t> source(kPoints);
  for (int32_t i = 0; i < kPoints; ++i) source[i] = i + 1;
  return source;
}

std::vector<int32_t> tilt_sources(int alpha) {
  if (alpha == 0) return identity_sources();
  // x toward azimuth 0 on the horizon, y toward azimuth 90, z up. The tilt
  // turns x up toward z about y; a destination is turned back by -alpha.
  const double ca = std::cos(alpha * kDeg), sa = std::sin(alpha * kDeg);
  std::vector<int32_t> source(kPoints);
  for (int phi = 0; phi <= 360; ++phi) {
    const double cp = std::cos(phi * kDeg), sp = std::sin(phi * kDeg);
    for (int theta = 0; theta <= 180; ++theta) {
      const double st = std::sin(theta * kDeg), ct = std::cos(theta * kDeg);
      const double x = st * cp, y = st * sp, z = ct;
      const double xs = x * ca + z * sa;
      const double zs = z * ca - x * sa;
      const double ys = y;
      int theta_s = static_cast<int>(std::lround(std::acos(std::clamp(zs, -1.0, 1.0)) / kDeg));
      int phi_s = 0;
      if (theta_s != 0 && theta_s != 180) {
        double az = std::atan2(ys, xs) / kDeg;
        if (az < 0) az += 360.0;
        phi_s = static_cast<int>(std::lround(az));
        if (phi_s >= 360) phi_s = 0;
      }
      source[point_index(phi, theta) - 1] = point_index(phi_s, theta_s);
    }
  }
  return source;
}

std::string matrix_path(const std::string& folder, int alpha) {
  const std::string name = matrix_file_name(alpha_digits(alpha));
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

void write_all_matrices(const std::string& folder) {
  for (int alpha = 0; alpha <= 90; ++alpha) write_matrix(matrix_path(folder, alpha), tilt_sources(alpha));
}

double directional_gain(int phi, int theta) {
  // Angle off boresight (azimuth 0, elevation 0), 0..180 degrees.
  const double c = std::clamp(std::sin(theta * kDeg) * std::cos(phi * kDeg), -1.0, 1.0);
  const double off = std::acos(c) / kDeg;
  // Main lobe: parabolic in dB, half power 17.5 degrees off boresight.
  const double main = 14.0 - 12.0 * (off / 35.0) * (off / 35.0);
  // Side lobes every 20 degrees from 50 on, weakening from -3 to -8 dBi at
  // 120 degrees and faster beyond; their nulls sink to the floor.
  double side = -1000.0;
  if (off > 40.0) {
    const double level = off <= 120.0 ? -3.0 - 5.0 * (off - 50.0) / 70.0 : -8.0 - 0.3 * (off - 120.0);
    const double s = std::abs(std::sin((off - 40.0) * 9.0 * kDeg));
    side = level + 20.0 * std::log10(std::max(s, 1e-6));
  }
  const double back = -11.5 - 15.0 * ((180.0 - off) / 30.0) * ((180.0 - off) / 30.0);
  const double g = std::max({main, side, back, -25.0});
  return std::round(g * 100.0) / 100.0;
}

}  // namespace vorn::tools
