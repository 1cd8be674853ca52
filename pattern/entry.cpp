#include "pattern/entry.h"

#include "app/flow.h"
#include "report/numfmt.h"

namespace vorn {

namespace {

void repeated_sky_line(State& S) {
  S.con.set_colour(7);
  S.con.print_item("         Sky Temperature (K):");
  S.con.print_item(number_item(S.T_sky, PlainKind::Single));
  S.con.end_line();
}

}  // namespace

void enter_temperatures(State& S) {
  for (;;) {
    S.con.set_colour(7);
    S.con.print_item(" Enter   Sky Temperature (K)");
    S.con.print_text("? ", false);
    S.con.line_entry(S.T_sky);
    if (S.T_sky == 0.0f) {
      S.con.set_colour(9);
      S.con.print_item("         Sky Temperature (K)= 0");
      S.con.end_line();
      S.con.set_colour(7);
      break;
    }
    if (S.T_sky < 0.0f) {
      error_display(S, {{" Sky temperature must be >= 0 K"}});
    } else if (S.T_sky >= 10000.0f) {
      error_display(S, {{" Sky temperature too high ... must be < 10,000 K"}});
    } else {
      break;
    }
    S.con.clear_screen();
  }
  for (;;) {
    S.con.set_colour(7);
    S.con.print_item(" Enter Earth Temperature (K)");
    S.con.print_text("? ", false);
    S.con.line_entry(S.T_earth);
    if (S.T_earth == 0.0f) {
      S.con.set_colour(9);
      S.con.print_item("       Earth Temperature (K)= 0");
      S.con.end_line();
      S.con.set_colour(7);
      break;
    }
    if (S.T_earth < 0.0f) {
      error_display(S, {{" Earth temperature must be >= 0 K"}});
    } else if (S.T_earth >= 10000.0f) {
      error_display(S, {{" Earth temperature too high ... must be < 10,000 K"}});
    } else {
      break;
    }
    S.con.clear_screen();
    repeated_sky_line(S);
  }
  S.con.end_line();
}

void enter_ff_name(State& S) {
  for (;;) {
    S.con.set_colour(7);
    S.con.print_item(" Enter FFTab's file name  _ _ _ .txt");
    S.con.print_text("? ", false);
    S.con.line_entry(S.ff_name);
    if (!S.ff_name.empty()) return;
    error_display(S, {{" You did not set any FFtab file name"}});
    S.con.clear_screen();
  }
}

}  // namespace vorn
