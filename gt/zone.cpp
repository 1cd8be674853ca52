// The two zone integrals of a tilted pattern and the figures of one row.
// Every operation runs in extended precision; the casts to double mark the
// places where a value is stored, and the last bits depend on them.
#include "gt/zone.h"

#include <cmath>

#include "app/flow.h"
#include "pattern/grid.h"
#include "pattern/matrix.h"
#include "report/pages.h"

namespace vorn {

namespace {

constexpr double kLn10 = 2.302585092994046;
constexpr long double kLossKelvin = 290.0L;

// s(theta): the argument pi/180*theta rounded to double, its sine likewise.
struct SineTable {
  double s[181];
  SineTable() {
    const long double deg = (long double)kPi / 180.0L;
    for (int theta = 0; theta <= 180; ++theta) {
      const double arg = (double)(deg * (long double)theta);
      s[theta] = (double)sinl((long double)arg);
    }
  }
};

const SineTable& sines() {
  static const SineTable t;
  return t;
}

}  // namespace

double checked_ln(double x) {
  if (std::isnan(x)) return x;
  if (!(x > 0)) raise_error(err::illegal_function_call);
  return (double)logl((long double)x);
}

bool is_lossless(double avg_gain) { return (float)avg_gain > 0.999f; }

void integrate_zone(State& S) {
  const double* s = sines().s;
  const double* g = S.Rot_Gain.data();
  const int from = S.theta_from, to = S.theta_to;
  for (int phi = 0; phi <= 360; ++phi) {
    const int base = point_index(phi, 0);
    double sum = 0;
    for (int theta = from + 1; theta <= to - 1; ++theta) {
      sum = (double)((long double)sum + (long double)s[theta] * (long double)g[base + theta]);
    }
    sum = (double)((long double)sum + (long double)s[from] * (long double)g[base + from] / 2.0L);
    sum = (double)((long double)sum + (long double)s[to] * (long double)g[base + to] / 2.0L);
    S.Phi_Sum[phi] = sum;
  }
  double zone = 0;
  for (int phi = 1; phi <= 359; ++phi) zone = (double)((long double)zone + (long double)S.Phi_Sum[phi]);
  zone = (double)((long double)zone + ((long double)S.Phi_Sum[0] + (long double)S.Phi_Sum[360]) / 2.0L);
  S.Zone_Sum = zone;
}

void compute_row(State& S) {
  const int a = S.alpha;
  form_alpha_text(S);
  load_matrix(S);

  S.theta_from = 0;
  S.theta_to = 90;
  integrate_zone(S);
  S.Sky_zone[a] = S.Zone_Sum;

  S.theta_from = 90;
  S.theta_to = 180;
  integrate_zone(S);
  S.Earth_zone[a] = S.Zone_Sum;

  const long double sky = S.Sky_zone[a], earth = S.Earth_zone[a];
  const double sky_part = (double)(sky * (long double)S.T_sky);
  const double numerator = (double)((long double)sky_part + earth * (long double)S.T_earth);
  S.T_pattern[a] = (double)((long double)numerator / (sky + earth));

  S.T_total[a] = (double)(((long double)S.T_pattern[a] - kLossKelvin) * (long double)S.Avg_Gain + kLossKelvin);
  if (is_lossless(S.Avg_Gain)) S.T_total[a] = S.T_pattern[a];

  step(S, 717, [&] {
    const double ln_total = checked_ln(S.T_total[a]);
    const double ten_ln = (double)(10.0L * (long double)ln_total);
    S.G_T[a] = (double)((long double)S.Max_Gain - (long double)ten_ln / (long double)kLn10);
  });

  print_row(S);
}

void reference_pass(State& S) {
  S.alpha = 0;
  compute_row(S);
  S.Sky_zone_0 = (float)S.Sky_zone[0];
  S.Earth_zone_0 = (float)S.Earth_zone[0];
  const double zones = (double)((long double)S.Sky_zone_0 + (long double)S.Earth_zone_0);
  S.Avg_Gain = (double)((long double)zones / (long double)(kPi * 4));
  step(S, 351, [&] {
    const double ten_ln = (double)(10.0L * (long double)checked_ln(S.Avg_Gain));
    S.Avg_Gain_dB = (double)((long double)ten_ln / (long double)kLn10);
  });
  S.T_loss = (double)((1.0L / (long double)S.Avg_Gain - 1.0L) * kLossKelvin);
  if (is_lossless(S.Avg_Gain)) S.T_loss = 0;
}

}  // namespace vorn
