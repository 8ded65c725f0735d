// The user's regional settings that the text forms of numbers and dates follow.
#pragma once

#include <string>

namespace corvane {

// The decimal separator ("." under English settings).
std::wstring decimal_separator();

}  // namespace corvane
