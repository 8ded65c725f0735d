#include "regional_settings.h"

#include <windows.h>

namespace corvane {

std::wstring decimal_separator() {
  wchar_t text[8] = {};
  int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, text, static_cast<int>(std::size(text)));
  if (length <= 1) return L".";
  return std::wstring(text, static_cast<size_t>(length - 1));
}

}  // namespace corvane
