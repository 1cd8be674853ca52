#include "app/flow.h"
#include "pattern/ff_table.h"
#include "report/numfmt.h"

namespace vorn {

namespace {

[[noreturn]] void way_back(State& S, WayBackTarget target) {
  S.con.clear_screen();
  throw WayBack{target};
}

MessageLine matrix_line(State& S, const char* singular, const char* plural) {
  return {" The Matrix file for alpha =", number_item(S.alpha, PlainKind::Int16),
          S.alpha == 1 ? singular : plural};
}

}  // namespace

void handle_error(State& S, int number, int step_number) {
  const double cp = S.last_checkpoint;
  if (number == err::file_not_found && cp == 10) {
    compact_error_display(S, {{" No  <  >  ?  *  \"  <ESC>  in the file name!"}});
    way_back(S, WayBackTarget::SaveResults);
  }
  if (number == err::permission_denied && cp == 10) {
    compact_error_display(S, {{" A file with the same name is already opened in another application!"}});
    way_back(S, WayBackTarget::SaveResults);
  }
  if (number == err::path_not_found && cp == 10) {
    compact_error_display(S, {{" Filename exceeds 222 characters!"}});
    way_back(S, WayBackTarget::SaveResults);
  }
  if ((number == err::file_not_found || number == err::permission_denied || number == err::path_not_found) &&
      cp == 20) {
    error_display(S, {{" The FF Table file has not been found!"}});
    way_back(S, WayBackTarget::FFName);
  }
  if (number == err::input_past_end && (cp == 100 || cp == 110 || cp == 120 || cp == 130)) {
    ff_format_error(S);
  }
  if (number == err::file_not_found && cp == 200) {
    fatal_error_display(S, {matrix_line(S, "degree has not been found!", "degrees has not been found!")});
  }
  if (number == err::input_past_end && cp == 210) {
    fatal_error_display(S, {matrix_line(S, "degree is incomplete!", "degrees is incomplete!")});
  }
  // Anything else: the generic message, no beep, then the end.
  S.con.set_colour(12);
  S.con.print_item("Error");
  S.con.print_item(number_item(double(uint32_t(number)), PlainKind::UInt32));
  S.con.print_item("at line");
  S.con.print_item(number_item(double(int32_t(step_number)), PlainKind::Int32));
  S.con.end_line();
  S.con.end_line();
  S.con.set_colour(9);
  S.con.print_item(" Press any key to close the windows!");
  S.con.set_colour(7);
  wait_for_key(S);
  S.files.close_all();
  S.con.immediate_end();
}

}  // namespace vorn
