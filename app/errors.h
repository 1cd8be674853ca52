#pragma once
// Numbered errors and the ways control leaves a step.
//
// A failing operation throws NumberedError; the step wrapper (step() in
// app/flow.h) catches it and hands it to the one error handler. The handler
// never returns: it throws WayBack to unwind to the loop of a question, or
// ProgramEnd to end the flow. The console throws ProgramEnd as well when the
// window was closed.
#include <cstdint>

namespace vorn {

struct NumberedError {
  int number;
};

enum class WayBackTarget { FFName, SaveResults };

struct WayBack {
  WayBackTarget target;
};

// The flow is over: normal end, closing prompt answered, window closed.
struct ProgramEnd {};

// The first error of a step wins naturally: the throw leaves the step.
[[noreturn]] inline void raise_error(int number) { throw NumberedError{number}; }

// Error numbers that the system meets.
namespace err {
constexpr int illegal_function_call = 5;
constexpr int overflow = 6;
constexpr int subscript_out_of_range = 9;
constexpr int bad_file_number = 52;
constexpr int file_not_found = 53;
constexpr int bad_file_mode = 54;
constexpr int file_already_open = 55;
constexpr int input_past_end = 62;
constexpr int device_unavailable = 68;
constexpr int permission_denied = 70;
constexpr int path_file_access = 75;
constexpr int path_not_found = 76;
}  // namespace err

}  // namespace vorn
