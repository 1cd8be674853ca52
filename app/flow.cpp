#include "app/flow.h"

#include <limits>

// Every figure is computed in x87 extended precision: long double with a
// 64-bit mantissa, and the x87 control word set below. Another machine would
// round differently, so it does not build.
#if !defined(__x86_64__)
#error "the x87 control word is set here: build for x86-64"
#endif
static_assert(std::numeric_limits<long double>::digits == 64,
              "long double must be the x87 80-bit type with a 64-bit mantissa");

#include <fpu_control.h>

#include <cstdio>
#include <exception>

#include "gt/zone.h"
#include "pattern/entry.h"
#include "pattern/ff_table.h"
#include "report/menu.h"
#include "report/output.h"

namespace vorn {

namespace {

void print_lines(State& S, const Message& m) {
  for (const MessageLine& line : m) {
    for (const std::string& item : line) S.con.print_item(item);
    S.con.end_line();
  }
}

const MessageLine kYesNoMessage{" Enter only \"Y\" or \"N\"!"};

// Asks one (Y/N) question until the answer is one of Y, y, N, n.
// print_question prints the rows above " Enter # =>".
template <class Print>
bool ask_yes_no(State& S, Print&& print_question) {
  for (;;) {
    S.con.clear_screen();
    print_question();
    S.con.print_item(" Enter # =>");
    S.con.print_text("? ", false);
    S.con.line_entry(S.yes_no_answer);
    const std::string& a = S.yes_no_answer;
    if (a == "Y" || a == "y") return true;
    if (a == "N" || a == "n") return false;
    compact_error_display(S, {kYesNoMessage});
  }
}

void print_question_line(State& S, const std::string& question) {
  S.con.set_colour(7);
  S.con.print_item(question);
  S.con.set_colour(15);
  S.con.print_item("(Y/N)");
  S.con.set_colour(7);
  S.con.print_item("?");
  S.con.end_line();
}

}  // namespace

void set_extended_precision() {
  fpu_control_t cw;
  _FPU_GETCW(cw);
  cw = (cw & ~_FPU_EXTENDED & ~_FPU_DOUBLE & ~_FPU_SINGLE) | _FPU_EXTENDED;
  cw = (cw & ~(_FPU_RC_DOWN | _FPU_RC_UP | _FPU_RC_ZERO)) | _FPU_RC_NEAREST;
  _FPU_SETCW(cw);
}

void wait_for_key(State& S) { S.con.wait_any_key(); }

namespace {

// The message, an empty line and the key wait that both error displays share.
void message_then_key(State& S, const Message& m) {
  S.con.set_colour(12);
  print_lines(S, m);
  S.con.set_colour(7);
  S.con.end_line();
  S.con.set_colour(9);
  S.con.print_item(" Press any key to continue!");
  S.con.set_colour(7);
  wait_for_key(S);
}

}  // namespace

void error_display(State& S, const Message& m) {
  S.con.beep();
  S.con.end_line();
  message_then_key(S, m);
}

void compact_error_display(State& S, const Message& m) {
  S.con.beep();
  message_then_key(S, m);
}

void short_error_display(State& S, const Message& m) {
  S.con.beep();
  S.con.set_colour(12);
  print_lines(S, m);
  S.con.set_colour(7);
  S.con.end_line();
}

void fatal_error_display(State& S, const Message& m) {
  S.con.beep();
  S.con.end_line();
  S.con.set_colour(12);
  print_lines(S, m);
  S.con.end_line();
  S.con.set_colour(9);
  S.con.print_item(" Please close the program window ...");
  S.con.end_line();
  S.con.set_colour(7);
  closing_prompt(S);
}

void closing_prompt(State& S) {
  S.files.close_all();
  S.con.closing_prompt();
}

void ask_continue(State& S) {
  const bool another = ask_yes_no(S, [&] {
    print_question_line(S, " Enter another range of alpha for computation ");
    S.con.end_line();
  });
  if (another) return;
  const bool save = ask_yes_no(S, [&] {
    print_question_line(S, " Save last alpha choice results ");
    S.con.print_item(" \"N\" will close VORN without any results saving!");
    S.con.end_line();
    S.con.end_line();
  });
  if (save) save_results(S);
  S.con.immediate_end();
}

void run_flow(State& S) {
  try {
    set_extended_precision();
    S.con.clear_screen();
    S.con.set_title("VORN v3.05: G/T computed with pattern rotation and 91 external matrixes");
    S.con.pause(2);
    S.con.set_colour(14);
    S.con.print_item(" VORN_V3-05");
    S.con.end_line();
    S.con.set_colour(7);
    S.con.print_item(" Computation of G/T from Far Field Table by PLOXI with DRUMEK, vers. 3.05");
    S.con.end_line();
    S.con.end_line();

    step(S, 200, [&] { enter_temperatures(S); });
    // The name, then both passes over the table; a failed opening comes
    // back here through the handler with the screen already cleared.
    for (;;) {
      try {
        step(S, 230, [&] { enter_ff_name(S); });
        check_ff_grid(S);
        read_ff_table(S);
        break;
      } catch (const WayBack& w) {
        if (w.target != WayBackTarget::FFName) throw;
      }
    }
    reference_pass(S);
    for (;;) {
      step(S, 400, [&] { alpha_menu(S); });
      step(S, 800, [&] { ask_continue(S); });
    }
  } catch (const ProgramEnd&) {
  } catch (const std::exception& e) {
    // Nothing the dialogue can answer (out of memory, a broken invariant):
    // end as after a close of the window, with the files closed.
    std::fprintf(stderr, "vorn: the program stopped on an unexpected failure: %s\n", e.what());
  } catch (...) {
    std::fputs("vorn: the program stopped on an unexpected failure\n", stderr);
  }
  S.files.close_all();
}

}  // namespace vorn
