#include "content_compare.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace corvane {

bool same_content(uint64_t length, const BlockReader& first, const BlockReader& second, size_t block) {
  std::vector<unsigned char> a(static_cast<size_t>(std::min<uint64_t>(length, block)));
  std::vector<unsigned char> b(a.size());
  for (uint64_t left = length; left > 0;) {
    size_t count = static_cast<size_t>(std::min<uint64_t>(left, block));
    if (first(a.data(), count) != count || second(b.data(), count) != count) return false;
    if (std::memcmp(a.data(), b.data(), count) != 0) return false;
    left -= count;
  }
  return true;
}

}  // namespace corvane
