#pragma once
// The flow of a run, the error display forms, the key wait, the (Y/N)
// questions and the one error handler.
#include <initializer_list>
#include <string>
#include <vector>

#include "app/errors.h"
#include "app/state.h"

namespace vorn {

// A message line is printed as items, each through the fit check.
using MessageLine = std::vector<std::string>;
using Message = std::vector<MessageLine>;

void error_display(State& S, const Message& m);
void compact_error_display(State& S, const Message& m);
void short_error_display(State& S, const Message& m);
[[noreturn]] void fatal_error_display(State& S, const Message& m);

// Takes one key, keys typed before it included.
void wait_for_key(State& S);
// The another-range question (returns on Y) and the save question.
void ask_continue(State& S);

// Closes the files, then the console's closing prompt.
[[noreturn]] void closing_prompt(State& S);

// The one handler. Never returns: a way back (WayBack) or the end (ProgramEnd).
[[noreturn]] void handle_error(State& S, int number, int step_number);

// A numbered step: an error raised inside goes to the handler with this
// step's number. Steps may nest; the innermost number is the one shown.
template <class F>
void step(State& S, int step_number, F&& f) {
  try {
    f();
  } catch (const NumberedError& e) {
    handle_error(S, e.number, step_number);
  }
}

// The whole dialogue, from the start screen to the end of the program.
// Returns when the program is to end; the files are closed by then. A
// failure no step answers (std::bad_alloc, say) ends it the same way,
// with a line on stderr.
void run_flow(State& S);

// The first step of the flow's thread: a 64-bit mantissa on the x87 unit.
void set_extended_precision();

}  // namespace vorn
