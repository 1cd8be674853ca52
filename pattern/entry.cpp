#include "pattern/entry.h"

#include "app/flow.h"
#include "report/numfmt.h"

namespace vorn {

namespace {

// The texts of one temperature question.
struct TemperatureTexts {
  const char* question;
  const char* zero_note;
  const char* too_low;
  const char* too_high;
};

constexpr TemperatureTexts kSky{" Enter   Sky Temperature (K)", "         Sky Temperature (K)= 0",
                                " Sky temperature must be >= 0 K",
                                " Sky temperature too high ... must be < 10,000 K"};
constexpr TemperatureTexts kEarth{" Enter Earth Temperature (K)", "       Earth Temperature (K)= 0",
                                  " Earth temperature must be >= 0 K",
                                  " Earth temperature too high ... must be < 10,000 K"};

void repeated_sky_line(State& S) {
  S.con.set_colour(7);
  S.con.print_item("         Sky Temperature (K):");
  S.con.print_item(number_item(S.T_sky, PlainKind::Single));
  S.con.end_line();
}

// Asks until the answer is 0 or lies below 10,000 K. After a refusal the
// screen is cleared; the earth question shows the accepted sky value again.
void enter_temperature(State& S, float& T, const TemperatureTexts& texts, bool sky_line_after_clear) {
  for (;;) {
    S.con.set_colour(7);
    S.con.print_item(texts.question);
    S.con.print_text("? ", false);
    S.con.line_entry(T);
    if (T == 0.0f) {
      S.con.set_colour(9);
      S.con.print_item(texts.zero_note);
      S.con.end_line();
      S.con.set_colour(7);
      return;
    }
    if (T < 0.0f) {
      error_display(S, {{texts.too_low}});
    } else if (T >= 10000.0f) {
      error_display(S, {{texts.too_high}});
    } else {
      return;
    }
    S.con.clear_screen();
    if (sky_line_after_clear) repeated_sky_line(S);
  }
}

}  // namespace

void enter_temperatures(State& S) {
  enter_temperature(S, S.T_sky, kSky, false);
  enter_temperature(S, S.T_earth, kEarth, true);
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
