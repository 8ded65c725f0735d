// The sub-block paths that lead to a module's description in its version
// data: the translation list, one string table per listed language and code
// page, and the US English table as the last resort.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvane {

inline constexpr char kTranslationList[] = "\\VarFileInfo\\Translation";
inline constexpr char kFallbackStringTable[] = "\\StringFileInfo\\040904E4";
inline constexpr char kDescriptionValue[] = "\\FileDescription";

// The string table named by one entry of the translation list: the language
// (low 16 bits) then the code page (high 16 bits), four upper-case hex digits
// each: 0x04B00409 gives "\StringFileInfo\040904B0".
std::string string_table_path(uint32_t translation_entry);

// The whole 4-byte entries in a translation list of `bytes` bytes (a trailing
// part of an entry is not read).
inline size_t translation_entries(size_t bytes) { return bytes / 4; }

}  // namespace corvane
