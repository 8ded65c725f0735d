#include "number_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace corvane {

namespace {

constexpr size_t kDigits = 15;

std::u16string widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

}  // namespace

std::u16string number_text(double value, std::u16string_view decimal_separator) {
  // Sizes are always finite; the other values get a readable text all the same.
  if (!std::isfinite(value)) return widen(std::isnan(value) ? "NaN" : (value < 0 ? "-Infinity" : "Infinity"));
  if (value == 0) return u"0";  // also for -0

  // The exact decimal expansion (a double has at most 767 significant
  // digits), rounded once to 15 digits with ties away from zero, as the
  // host's own conversion does: 123456.0009765625 gives 123456.000976563.
  char buffer[800];
  auto converted = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 766);
  std::string_view scientific(buffer, static_cast<size_t>(converted.ptr - buffer));
  bool negative = scientific.front() == '-';
  if (negative) scientific.remove_prefix(1);
  size_t e = scientific.find('e');
  std::string digits;
  for (char c : scientific.substr(0, e))
    if (c != '.') digits += c;
  int exponent = std::atoi(std::string(scientific.substr(e + 1)).c_str());
  bool round_up = digits[kDigits] >= '5';
  digits.resize(kDigits);
  if (round_up) {
    size_t i = kDigits;
    while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
    if (i == 0) {
      digits.insert(digits.begin(), '1');
      digits.pop_back();
      ++exponent;
    } else {
      ++digits[i - 1];
    }
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::u16string text = negative ? u"-" : u"";
  if (exponent >= -4 && exponent <= 14) {
    if (exponent < 0) {
      text += u"0";
      text += decimal_separator;
      text += widen(std::string(static_cast<size_t>(-exponent - 1), '0'));
      text += widen(digits);
    } else {
      size_t whole = static_cast<size_t>(exponent) + 1;
      if (digits.size() <= whole) {
        text += widen(digits) + widen(std::string(whole - digits.size(), '0'));
      } else {
        text += widen(std::string_view(digits).substr(0, whole));
        text += decimal_separator;
        text += widen(std::string_view(digits).substr(whole));
      }
    }
    return text;
  }
  text += widen(digits.substr(0, 1));
  if (digits.size() > 1) {
    text += decimal_separator;
    text += widen(std::string_view(digits).substr(1));
  }
  std::string magnitude = std::to_string(std::abs(exponent));
  if (magnitude.size() < 2) magnitude = "0" + magnitude;
  text += exponent < 0 ? u"E-" : u"E+";
  text += widen(magnitude);
  return text;
}

}  // namespace corvane
