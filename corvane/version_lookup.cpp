#include "version_lookup.h"

#include <cstdio>

namespace corvane {

std::string string_table_path(uint32_t translation_entry) {
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(translation_entry));
  std::string digits(hex);
  return "\\StringFileInfo\\" + digits.substr(4) + digits.substr(0, 4);
}

}  // namespace corvane
