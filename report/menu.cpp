#include "report/menu.h"

#include "app/flow.h"
#include "gt/zone.h"
#include "report/pages.h"

namespace vorn {

namespace {

void line(State& S, const std::string& text) {
  S.con.print_item(text);
  S.con.end_line();
}

void ask(State& S, const std::string& question, int16_t& answer) {
  S.con.print_item(question);
  S.con.print_text("? ", false);
  S.con.line_entry(answer);
}

// Every table page of the menu: a cleared screen, the summary, the heading
// and the rows from..to in steps of by, the page prompt and the key wait.
// Choice 2 hands the page's bounds to show_rows. Only choices 2 and 3 beep.
void table_page(State& S, int from, int to, int by) {
  S.con.clear_screen();
  show_summary(S);
  if (S.menu_choice == 2) {
    S.first_alpha = int16_t(from);
    S.last_alpha = int16_t(to);
    show_rows(S);
  } else {
    S.con.set_colour(14);
    print_heading(S);
    for (S.alpha = int16_t(from); S.alpha <= to; S.alpha = int16_t(S.alpha + by)) compute_row(S);
  }
  end_page(S, S.menu_choice == 2 || S.menu_choice == 3);
}

void set_saved(State& S, int16_t first, int16_t last, int16_t step_by) {
  S.saved_first_alpha = first;
  S.saved_last_alpha = last;
  S.saved_alpha_step = step_by;
}

void choice_2(State& S) {
  set_saved(S, 0, 90, 1);
  static constexpr int kPages[5][2] = {{0, 18}, {19, 37}, {38, 56}, {57, 75}, {76, 90}};
  for (const auto& p : kPages) table_page(S, p[0], p[1], 1);
}

void choice_3(State& S) {
  for (;;) {
    ask(S, " Your choice for the first alpha value", S.first_alpha);
    if (S.first_alpha == 0) {
      S.con.set_colour(9);
      line(S, " First alpha value = 0 deg.");
      S.con.set_colour(7);
      S.con.end_line();
      break;
    }
    if (S.first_alpha < 0 || S.first_alpha > 89) {
      short_error_display(S, {{" First alpha value must be contained between 0 and 89 deg. inclusively!"}});
      continue;
    }
    S.con.end_line();
    break;
  }
  for (;;) {
    ask(S, " Your choice for the  last alpha value", S.last_alpha);
    if (!(S.last_alpha > S.first_alpha)) {
      short_error_display(S, {{" Last alpha value must be greater than the first alpha value!"}});
      continue;
    }
    if (S.last_alpha > 90) {
      short_error_display(S, {{" Maximum last alpha value is equal to 90 deg.!"}});
      continue;
    }
    break;
  }
  set_saved(S, S.first_alpha, S.last_alpha, 1);
  S.page_number = 0;
  for (;;) {
    const int remaining = S.last_alpha - 19 * S.page_number - S.first_alpha + 1;
    const int from = S.first_alpha + 19 * S.page_number;
    if (remaining <= 19) {
      table_page(S, from, S.last_alpha, 1);
      return;
    }
    table_page(S, from, from + 18, 1);
    ++S.page_number;
  }
}

void choice_4(State& S) {
  for (;;) {
    ask(S, " Your choice for alpha", S.alpha);
    if (S.alpha < 0 || S.alpha > 90) {
      short_error_display(S, {{" Alpha must be between 0 to 90 degr. inclusively!"}});
      continue;
    }
    break;
  }
  set_saved(S, S.alpha, S.alpha, 1);
  table_page(S, S.alpha, S.alpha, 1);
}

}  // namespace

void alpha_menu(State& S) {
  for (;;) {
    S.con.clear_screen();
    S.con.set_colour(7);
    line(S, " Alpha is antenna tilting angle in degrees.");
    line(S, " Now enter range of alpha for computation:");
    line(S, "  - for alpha 0 - 90 degr., step 5 deg.: type \"1\",");
    line(S, "  - for alpha 0 - 90 degr., step 1 deg.: type \"2\",");
    line(S, "  - for your own alpha value range     : type \"3\",");
    line(S, "  - for a single alpha value           : type \"4\"");
    S.con.end_line();
    ask(S, " Enter # =>", S.menu_choice);
    switch (S.menu_choice) {
      case 1:
        set_saved(S, 0, 90, 5);
        table_page(S, 0, 90, 5);
        return;
      case 2:
        choice_2(S);
        return;
      case 3:
        choice_3(S);
        return;
      case 4:
        choice_4(S);
        return;
      default:
        error_display(S, {{" Enter only 1, 2, 3 or 4 for your choice!"}});
    }
  }
}

}  // namespace vorn
