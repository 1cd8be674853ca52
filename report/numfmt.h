#pragma once
// The numeric templates ("+##.###" and the like) and the plain number form.
#include <cstdint>
#include <string>

namespace vorn {

// Renders value through one of the twelve templates, laid out on the exact
// decimal expansion of the binary value, rounded half up at the last place,
// "%" and a wider field on overflow. Singles and integers arrive widened to
// double without loss, so one function serves every kind.
// Not finite: error 5 (NumberedError), no text.
std::string format_fixed(const std::string& tmpl, double value);

enum class PlainKind { Int16, Int32, UInt32, Single };

// Leading blank or "-", then the digits; singles with at most 7 significant
// digits, no zero before the point, E form from 1E+07 up or when more than 7
// decimals would be needed.
std::string plain_number(double value, PlainKind kind);
inline std::string plain_number(int16_t v) { return plain_number(double(v), PlainKind::Int16); }
inline std::string plain_number(int32_t v) { return plain_number(double(v), PlainKind::Int32); }
inline std::string plain_number(uint32_t v) { return plain_number(double(v), PlainKind::UInt32); }
inline std::string plain_number(float v) { return plain_number(double(v), PlainKind::Single); }

// A number inside a message: its plain number form and one blank.
inline std::string number_item(double value, PlainKind kind) { return plain_number(value, kind) + " "; }

}  // namespace vorn
