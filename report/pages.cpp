#include "report/pages.h"

#include "app/flow.h"
#include "gt/zone.h"
#include "report/numfmt.h"

namespace vorn {

namespace {

// A number goes straight to the screen, without the fit check.
void number(State& S, int step_number, const std::string& tmpl, double v,
            bool line_end = false) {
  step(S, step_number, [&] { S.con.print_text(format_fixed(tmpl, v), line_end); });
}

void item(State& S, const std::string& text) { S.con.print_item(text); }

}  // namespace

void show_summary(State& S) {
  const bool lossless = is_lossless(S.Avg_Gain);
  S.con.set_colour(15);
  item(S, " Average Gain = ");
  number(S, 601, "#.###", S.Avg_Gain);
  item(S, " (/) = ");
  number(S, 603, "+#.##", S.Avg_Gain_dB);
  item(S, lossless ? " dBi, rounded to 1 (0 dBi)!" : " dBi");
  S.con.end_line();

  item(S, " Max Gain = ");
  number(S, 611, "+##.##", S.Max_Gain);
  item(S, " dBi at azimuth = ");
  number(S, 613, "###", S.phi_max);
  item(S, " degree(s) and elevation = ");
  number(S, 615, "###", 90 - int(S.theta_max));
  item(S, " degree(s)");
  S.con.end_line();

  S.con.set_colour(9);
  item(S, " ");
  item(S, " T_sky = ");
  number(S, 621, "####.##", S.T_sky);
  item(S, " K");
  item(S, std::string(39, ' '));
  item(S, " T_earth = ");
  number(S, 623, "####.##", S.T_earth);
  item(S, " K");
  S.con.end_line();
  S.con.set_colour(7);
}

void print_heading(State& S) {
  for (const char* text : {" Alpha (deg.)", "  ", "T_pattern (K)", "   ", "T_loss (K)", "   ",
                           "T_total (K)", "     ", "G/T (dB)"})
    item(S, text);
  S.con.end_line();
}

void show_rows(State& S) {
  S.con.set_colour(14);
  print_heading(S);
  for (S.alpha = S.first_alpha; S.alpha <= S.last_alpha; ++S.alpha) compute_row(S);
}

void print_row(State& S) {
  const int a = S.alpha;
  if (a == 30) S.con.set_colour(12);
  item(S, std::string(6, ' '));
  number(S, 721, "##", a);
  item(S, std::string(10, ' '));
  number(S, 723, "####.##", S.T_pattern[a]);
  item(S, std::string(7, ' '));
  number(S, 725, "###.##", S.T_loss);
  item(S, std::string(8, ' '));
  number(S, 727, "####.##", S.T_total[a]);
  item(S, std::string(8, ' '));
  number(S, 729, "+##.###", S.G_T[a], true);
  S.con.set_colour(14);
}

void end_page(State& S, bool with_beep) {
  S.con.move_cursor(25, 1);
  S.con.set_colour(9);
  item(S, " Press any key to continue!");
  if (with_beep) S.con.beep();
  S.con.set_colour(7);
  wait_for_key(S);
}

}  // namespace vorn
