// Placeholder until the templates land.
#include "report/numfmt.h"

#include <cmath>
#include <cstdio>

#include "app/errors.h"

namespace vorn {

std::string format_fixed(const std::string& tmpl, double value, ValueKind) {
  if (!std::isfinite(value)) raise_error(err::illegal_function_call);
  size_t dot = tmpl.find('.');
  int frac = dot == std::string::npos ? 0 : int(tmpl.size() - dot - 1);
  char buf[64];
  std::snprintf(buf, sizeof buf, tmpl[0] == '+' ? "%+*.*f" : "%*.*f", int(tmpl.size()), frac, value);
  return buf;
}

std::string plain_number(double value, PlainKind) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s%g", value < 0 ? "" : " ", value);
  return buf;
}

}  // namespace vorn
