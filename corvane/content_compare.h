// Whether two streams of the same length hold the same bytes, read block by
// block. The first block that differs ends the comparison, so files that
// differ early are answered at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace corvane {

// Fills the buffer with up to `count` bytes from the current position and
// answers how many it read.
using BlockReader = std::function<size_t(unsigned char* buffer, size_t count)>;

// Two blocks of this size stay in the processor's cache from the read to the
// compare; larger blocks were slower, smaller ones cost more calls.
inline constexpr size_t kCompareBlock = 256 << 10;

// `length` is the common length of both streams (64-bit: files of 2 GiB and
// more compare like any other). A stream that ends early compares unequal.
bool same_content(uint64_t length, const BlockReader& first, const BlockReader& second,
                  size_t block = kCompareBlock);

}  // namespace corvane
