// The 8-bit text round trip around the platform's "A" functions: a String goes
// in through the system ANSI code page (characters it cannot hold become its
// default character) and comes back through the same code page. A code page
// may give a character several bytes (932, 936, UTF-8): buffers are counted
// in bytes, and counts the platform reports are cut on the 8-bit side.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "owners.h"

namespace frame {

class AnsiText {
 public:
  // The ANSI form of a text, NUL-terminated.
  explicit AnsiText(std::wstring_view text);
  // An output buffer of `bytes` bytes filled with `fill`, NUL-terminated.
  static AnsiText buffer(size_t bytes, char fill);

  char* data() { return bytes_.data(); }
  const char* c_str() const { return bytes_.c_str(); }
  size_t size() const { return bytes_.size(); }

  // Back to UTF-16: the whole buffer, its first `bytes` bytes, or up to its
  // first NUL. A count is cut on the 8-bit side first, so a double-byte code
  // page cannot shift the cut.
  std::wstring wide() const { return decode(bytes_); }
  std::wstring wide(size_t bytes) const;
  std::wstring wide_until_nul() const;

  static std::wstring decode(std::string_view bytes);

 private:
  AnsiText() = default;
  std::string bytes_;
};

// The ANSI form of a path only when it gives back exactly the same text. A
// character that the code page lacks would become its default character "?",
// which the file system and the shell read as a wildcard: such a path could
// name other files, so it is refused and names none. Wildcards the caller
// wrote stay, since they survive the round trip.
std::optional<AnsiText> exact_ansi(std::wstring_view text);

// A caller's string variable handed to an "A" function: the call gets the
// 8-bit copy, and afterwards the copy (with anything the call wrote into it)
// comes back through the same code page into the caller's variable.
template <class Call>
auto with_ansi(BSTR* variable, Call&& call) {
  AnsiText copy(text_of(variable));
  auto answer = std::forward<Call>(call)(copy.data());
  assign(variable, copy.wide());
  return answer;
}

template <class Call>
auto with_ansi(BSTR* first, BSTR* second, Call&& call) {
  AnsiText first_copy(text_of(first));
  AnsiText second_copy(text_of(second));
  auto answer = std::forward<Call>(call)(first_copy.data(), second_copy.data());
  assign(first, first_copy.wide());
  assign(second, second_copy.wide());
  return answer;
}

// The same for a text that the platform reads as a path, a pattern or a
// command line: only when the text is exact (exact_ansi) is the call made and
// the copy written back; otherwise nothing reaches the platform, the caller's
// variable keeps its text, and the answer is empty.
template <class Call>
auto with_exact_ansi(BSTR* variable, Call&& call) -> std::optional<decltype(call(std::declval<char*>()))> {
  std::optional<AnsiText> copy = exact_ansi(text_of(variable));
  if (!copy) return std::nullopt;
  auto answer = std::forward<Call>(call)(copy->data());
  assign(variable, copy->wide());
  return answer;
}

template <class Call>
auto with_exact_ansi(BSTR* first, BSTR* second, Call&& call)
    -> std::optional<decltype(call(std::declval<char*>(), std::declval<char*>()))> {
  std::optional<AnsiText> first_copy = exact_ansi(text_of(first));
  std::optional<AnsiText> second_copy = exact_ansi(text_of(second));
  if (!first_copy || !second_copy) return std::nullopt;
  auto answer = std::forward<Call>(call)(first_copy->data(), second_copy->data());
  assign(first, first_copy->wide());
  assign(second, second_copy->wide());
  return answer;
}

// The character that one byte stands for in the system ANSI code page.
wchar_t ansi_char(unsigned char byte);

}  // namespace frame
