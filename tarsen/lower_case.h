// Lower case by the platform's Unicode mapping, so Cyrillic captions and
// names compare in any letter case.
#pragma once

#include <windows.h>

#include <string>

namespace tarsen {

inline std::wstring lower_case(std::wstring text) {
  if (!text.empty()) CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

}  // namespace tarsen
