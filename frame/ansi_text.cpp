#include "ansi_text.h"

#include <climits>
#include <new>

namespace frame {

namespace {
int checked_length(size_t length) {
  if (length > static_cast<size_t>(INT_MAX)) throw std::bad_alloc();
  return static_cast<int>(length);
}

DWORD conversion_flags(UINT code_page) {
  // These code pages take no flags at all: the platform refuses the call
  // (ERROR_INVALID_FLAGS) and would convert nothing. UTF-8 holds every
  // character anyway; a lone surrogate still fails the round trip below.
  switch (code_page) {
    case 42: case 50220: case 50221: case 50222: case 50225: case 50227: case 50229: case 54936: case 65000:
    case CP_UTF8:
      return 0;
    default:
      if (code_page >= 57002 && code_page <= 57011) return 0;
      // No best-fit look-alikes: a character the code page lacks becomes its
      // default character.
      return WC_NO_BEST_FIT_CHARS;
  }
}

}  // namespace

AnsiText::AnsiText(std::wstring_view text) {
  if (text.empty()) return;
  int wide_length = checked_length(text.size());
  DWORD flags = conversion_flags(GetACP());
  int bytes = WideCharToMultiByte(CP_ACP, flags, text.data(), wide_length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) throw std::bad_alloc();
  bytes_.resize(static_cast<size_t>(bytes));
  WideCharToMultiByte(CP_ACP, flags, text.data(), wide_length, bytes_.data(), bytes, nullptr, nullptr);
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
