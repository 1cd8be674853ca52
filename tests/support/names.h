#pragma once
// Readable names for the cases of parameterised tests. A case type gets a
// PrintTo that writes its name from name_part, and INSTANTIATE_TEST_SUITE_P
// takes ::testing::PrintToStringParamName(), so gtest and ctest show the same
// name of letters, digits and underscores.
#include <cctype>
#include <charconv>
#include <string>
#include <string_view>

namespace vorn::test {

// Letters and digits as they are; any other byte spelled out as a word
// ("minus", "point", "blank", ...), words joined by underscores. The empty
// text is "empty".
inline std::string name_part(std::string_view text) {
  if (text.empty()) return "empty";
  std::string out;
  bool after_word = false;
  for (unsigned char c : text) {
    if (std::isalnum(c)) {
      if (after_word) out += '_';
      out += char(c);
      after_word = false;
      continue;
    }
    std::string word;
    switch (c) {
      case ' ': word = "blank"; break;
      case '-': word = "minus"; break;
      case '+': word = "plus"; break;
      case '.': word = "point"; break;
      case ',': word = "comma"; break;
      case ':': word = "colon"; break;
      case '/': word = "slash"; break;
      case '\\': word = "backslash"; break;
      case '\t': word = "tab"; break;
      case '\r': word = "enter"; break;
      default: {
        static const char hex[] = "0123456789abcdef";
        word = std::string("x") + hex[c >> 4] + hex[c & 15];
      }
    }
    if (!out.empty()) out += '_';
    out += word;
    after_word = true;
  }
  return out;
}

// A number in its shortest form that reads back the same, then as above.
template <class T>
std::string number_name(T value) {
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  return name_part(std::string_view(buf, size_t(res.ptr - buf)));
}

}  // namespace vorn::test
