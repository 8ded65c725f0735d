#include "file_attributes.h"

namespace corvane {

namespace {
constexpr uint32_t kReadOnly = 0x1;
constexpr uint32_t kNormal = 0x80;
// Read-only, hidden, system, archive, temporary, offline, not indexed.
constexpr uint32_t kSettable = 0x1 | 0x2 | 0x4 | 0x20 | 0x100 | 0x1000 | 0x2000;
}  // namespace

uint32_t attributes_to_set(uint32_t attributes) {
  uint32_t settable = attributes & kSettable;
  return settable != 0 ? settable : kNormal;
}

uint32_t attributes_without_read_only(uint32_t attributes) { return attributes_to_set(attributes & ~kReadOnly); }

}  // namespace corvane
