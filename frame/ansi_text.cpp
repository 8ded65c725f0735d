#include "ansi_text.h"

#include <climits>
#include <new>

namespace frame {

namespace {
int checked_length(size_t length) {
  if (length > static_cast<size_t>(INT_MAX)) throw std::bad_alloc();
  return static_cast<int>(length);
}
}  // namespace

AnsiText::AnsiText(std::wstring_view text) {
  if (text.empty()) return;
  int wide_length = checked_length(text.size());
  // No best-fit look-alikes: a character the code page lacks becomes its
  // default character.
  int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), wide_length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) throw std::bad_alloc();
  bytes_.resize(static_cast<size_t>(bytes));
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), wide_length, bytes_.data(), bytes, nullptr, nullptr);
}

AnsiText AnsiText::buffer(size_t bytes, char fill) {
  AnsiText result;
  result.bytes_.assign(bytes, fill);
  return result;
}

std::wstring AnsiText::decode(std::string_view bytes) {
  std::wstring result;
  if (bytes.empty()) return result;
  int length = checked_length(bytes.size());
  int chars = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
  if (chars <= 0) return result;
  result.resize(static_cast<size_t>(chars));
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, result.data(), chars);
  return result;
}

std::wstring AnsiText::wide(size_t bytes) const {
  return decode(std::string_view(bytes_).substr(0, bytes));
}

std::wstring AnsiText::wide_until_nul() const {
  std::string_view all(bytes_);
  return decode(all.substr(0, all.find('\0')));
}

std::optional<AnsiText> exact_ansi(std::wstring_view text) {
  AnsiText ansi(text);
  if (ansi.wide() != text) return std::nullopt;
  return ansi;
}

wchar_t ansi_char(unsigned char byte) {
  char source = static_cast<char>(byte);
  wchar_t result = 0;
  MultiByteToWideChar(CP_ACP, 0, &source, 1, &result, 1);
  return result;
}

}  // namespace frame
