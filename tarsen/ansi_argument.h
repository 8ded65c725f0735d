// A caller's string variable handed to a platform "A" function: the call gets
// the 8-bit copy, and afterwards the copy (with anything the call wrote into
// it) comes back through the same code page into the caller's variable.
#pragma once

#include <utility>

#include "frame/ansi_text.h"
#include "frame/owners.h"

namespace tarsen {

template <class Call>
auto with_ansi(BSTR* variable, Call&& call) {
  frame::AnsiText copy(frame::text_of(variable));
  auto answer = std::forward<Call>(call)(copy.data());
  frame::assign(variable, copy.wide());
  return answer;
}

template <class Call>
auto with_ansi(BSTR* first, BSTR* second, Call&& call) {
  frame::AnsiText first_copy(frame::text_of(first));
  frame::AnsiText second_copy(frame::text_of(second));
  auto answer = std::forward<Call>(call)(first_copy.data(), second_copy.data());
  frame::assign(first, first_copy.wide());
  frame::assign(second, second_copy.wide());
  return answer;
}

// A window handle that travelled as a Long, back to pointer width.
inline HWND window_of(long value) { return reinterpret_cast<HWND>(static_cast<LONG_PTR>(value)); }
inline long long_of(HWND window) { return static_cast<long>(reinterpret_cast<LONG_PTR>(window)); }

}  // namespace tarsen
