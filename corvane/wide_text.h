// Texts that a platform call writes into the caller's buffer, at any length.
#pragma once

#include <windows.h>

#include <string>

namespace corvane {

// A text that `call(buffer, size)` writes, answering its length or, when the
// buffer is too small, the size it needs: retried once at that size. Empty
// on failure.
template <class Call>
std::wstring grown_text(Call&& call) {
  std::wstring text(MAX_PATH, L'\0');
  DWORD length = call(text.data(), static_cast<DWORD>(text.size()));
  if (length >= text.size()) {
    text.assign(length, L'\0');
    length = call(text.data(), static_cast<DWORD>(text.size()));
  }
  text.resize(length < text.size() ? length : 0);
  return text;
}

// The absolute form of a path; empty when it has none.
inline std::wstring absolute_path(const std::wstring& path) {
  return grown_text([&](wchar_t* buffer, DWORD size) { return GetFullPathNameW(path.c_str(), size, buffer, nullptr); });
}

}  // namespace corvane
