// A minimal PNG encoder for the gradient picture: 8-bit RGB, no filtering,
// the image data in stored (uncompressed) deflate blocks. Pure C++.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace velmora {

std::uint32_t png_crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);
std::uint32_t adler32(const std::uint8_t* data, std::size_t size);

// `rgb` holds width * height pixels, three bytes each, rows top to bottom.
std::vector<std::uint8_t> encode_png(std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& rgb);

}  // namespace velmora
