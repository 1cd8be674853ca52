#include "report/output.h"

#include "app/flow.h"
#include "gt/zone.h"
#include "pattern/grid.h"
#include "platform/clock.h"
#include "report/numfmt.h"

namespace vorn {

namespace {

constexpr int kOut = 2;

// The name dialogue; returns once a name passes both checks.
void ask_output_name(State& S) {
  for (;;) {
    S.con.set_colour(7);
    S.con.print_item(" Please type name of file name for saving results to");
    S.con.end_line();
    for (const char* piece : {" Enter name without extension: ", "\"", ".txt", "\"", " will be added."})
      S.con.print_item(piece);
    S.con.end_line();
    S.con.print_item(" Be careful if this file name + extension is already in use in your directory");
    S.con.end_line();
    S.con.print_item(" as it will be erased !");
    S.con.end_line();
    S.con.end_line();
    S.con.print_item(" Enter file name for Output");
    S.con.print_text("? ", false);
    S.con.line_entry(S.output_name);
    S.name_length = int16_t(S.output_name.size());
    if (S.name_length == 0) {
      error_display(S, {{" You did not set any file name"}});
      S.con.clear_screen();
      continue;
    }
    if (S.output_name.find_first_of(".:/") != std::string::npos) {
      error_display(S, {{" No special characters like  .  :  /  allowed in file name!"}});
      S.con.clear_screen();
      continue;
    }
    return;
  }
}

// One write of the file, as its own numbered step.
void put(State& S, int step_number, const std::string& text, bool line_end = false) {
  step(S, step_number, [&] { S.files.write_item(kOut, text, line_end); });
}

void put_number(State& S, int step_number, const std::string& tmpl, double v,
                bool line_end = false) {
  step(S, step_number, [&] { S.files.write_item(kOut, format_fixed(tmpl, v), line_end); });
}

void write_header(State& S) {
  put(S, 832, "Program name           : ");
  put(S, 833, "VORN_V3-05", true);
  put(S, 834, "This output file name  : ");
  put(S, 835, S.output_name, true);
  put(S, 836, "Date (mm-dd-yyyy)      : ");
  put(S, 837, date_text(), true);
  put(S, 838, "Time (hh-mm-ss)        : ");
  put(S, 839, time_text(), true);
  put(S, 840, "", true);
  put(S, 842, "Sky   Temperature      : ");
  put_number(S, 843, "####.##", S.T_sky);
  put(S, 844, " K", true);
  put(S, 845, "Earth Temperature      : ");
  put_number(S, 846, "####.##", S.T_earth);
  put(S, 847, " K", true);
  put(S, 848, "", true);
  put(S, 850, "FF Table file name     : ");
  put(S, 851, S.ff_name, true);
  put(S, 852, "", true);
  put(S, 854, "Max     Gain           : ");
  put_number(S, 855, "+##.##", S.Max_Gain);
  put(S, 856, " dBi at phi = ");
  put_number(S, 857, "###", S.phi_max);
  put(S, 858, " degree(s)   and theta = ");
  put_number(S, 859, "###", S.theta_max);
  put(S, 860, " degree(s)", true);
  step(S, 861, [&] {
    for (const char* piece : {"                                  ", "with phi = EZNEC ", "\"", "azimuth", "\"",
                              " and theta =  90 - EZNEC ", "\"", "elevation", "\""})
      S.files.write_item(kOut, piece, false);
    S.files.write_item(kOut, " (deg.)", true);
  });
  put(S, 862, "", true);
  const bool lossless = is_lossless(S.Avg_Gain);
  const int base = lossless ? 871 : 865;
  step(S, base, [&] {
    S.files.write_item(kOut, "Average Gain (Avg_Gain): ", false);
    S.files.write_item(kOut, format_fixed("#.#####", S.Avg_Gain), false);
  });
  put(S, base + 1, " (/) = ");
  put_number(S, base + 2, "+#.###", S.Avg_Gain_dB);
  put(S, base + 3, lossless ? " dBi, rounded to 1 (0 dBi)!" : " dBi", true);
  put(S, 876, "", true);
  put(S, 878, "Sky   zone             : ");
  put_number(S, 879, "##.#####", S.Sky_zone_0, true);
  put(S, 880, "Earth zone             : ");
  put_number(S, 881, "##.#####", S.Earth_zone_0, true);
  put(S, 882, "Total zone             : ");
  const float total0 = float((long double)S.Sky_zone_0 + (long double)S.Earth_zone_0);
  put_number(S, 883, "##.#####", total0, true);
  put(S, 884, "", true);
  put(S, 886,
      "alpha  T_pattern  T_loss   T_tot      G/T       Sky     Earth     Total   Local_Avg_Gain  "
      "LAG/Avg_Gain  alpha",
      true);
  put(S, 887,
      " deg.          K       K       K       dB      zone      zone      zone            (LAG)        "
      "         deg.",
      true);
}

void write_row(State& S) {
  const int a = S.alpha;
  const double total = double((long double)S.Sky_zone[a] + (long double)S.Earth_zone[a]);
  const long double lag = (long double)total / ((long double)kPi * 4);
  const double lag_percent = double(lag / (long double)S.Avg_Gain * 100);
  put(S, 889, "   ");
  put_number(S, 890, "##", a);
  put(S, 891, "    ");
  put_number(S, 892, "####.##", S.T_pattern[a]);
  put(S, 893, "  ");
  put_number(S, 894, "###.##", S.T_loss);
  put(S, 895, " ");
  put_number(S, 896, "####.##", S.T_total[a]);
  put(S, 897, "  ");
  put_number(S, 898, "+##.###", S.G_T[a]);
  put(S, 899, "  ");
  put_number(S, 900, "##.#####", S.Sky_zone[a]);
  put(S, 901, "  ");
  put_number(S, 902, "##.#####", S.Earth_zone[a]);
  put(S, 903, "  ");
  put_number(S, 904, "##.#####", total);
  put(S, 905, std::string(10, ' '));
  put_number(S, 906, "#.#####", double(lag));
  put(S, 907, std::string(5, ' '));
  put_number(S, 908, "###.###", lag_percent);
  put(S, 909, " %");
  put(S, 910, std::string(5, ' '));
  put_number(S, 911, "##", a, true);
}

void write_file(State& S) {
  ask_output_name(S);
  S.con.end_line();
  S.output_name += ".txt";
  S.files.close_file(kOut);
  pass_checkpoint(S, 10);
  step(S, 831, [&] { S.files.open_file(S.output_name, FileMode::Output, kOut); });
  write_header(S);
  for (S.alpha = S.saved_first_alpha; S.alpha <= S.saved_last_alpha;
       S.alpha = int16_t(S.alpha + S.saved_alpha_step))
    write_row(S);
  S.files.close_file(kOut);
}

}  // namespace

void save_results(State& S) {
  for (;;) {
    try {
      write_file(S);
      return;
    } catch (const WayBack& w) {
      if (w.target != WayBackTarget::SaveResults) throw;
    }
  }
}

}  // namespace vorn
