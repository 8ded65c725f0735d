// The 8-bit text round trip around the platform's "A" functions: a String goes
// in through the system ANSI code page (characters it cannot hold become its
// default character) and comes back through the same code page.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

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

// The character that one byte stands for in the system ANSI code page.
wchar_t ansi_char(unsigned char byte);

}  // namespace frame
