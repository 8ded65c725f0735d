#include "velmora/picture/png_writer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::uint32_t be32(const std::vector<std::uint8_t>& bytes, size_t at) {
  return (std::uint32_t(bytes[at]) << 24) | (bytes[at + 1] << 16) | (bytes[at + 2] << 8) | bytes[at + 3];
}

TEST(PngWriter, ChecksumsOfKnownData) {
  const std::string text = "Wikipedia";
  EXPECT_EQ(velmora::adler32(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), 0x11E60398u);
  const std::string iend = "IEND";
  EXPECT_EQ(velmora::png_crc32(reinterpret_cast<const std::uint8_t*>(iend.data()), iend.size()), 0xAE426082u);
}

TEST(PngWriter, LayoutOfAnImageLargerThanOneStoredBlock) {
  const std::uint32_t width = 200, height = 150;  // 90,150 bytes of rows: two stored blocks
  std::vector<std::uint8_t> rgb(width * height * 3);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i * 7);
  const auto png = velmora::encode_png(width, height, rgb);
  ASSERT_GT(png.size(), 33u);
  EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
  EXPECT_EQ(be32(png, 8), 13u);
  EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
  EXPECT_EQ(be32(png, 16), width);
  EXPECT_EQ(be32(png, 20), height);
  const size_t idat = 33;
  const std::uint32_t idat_length = be32(png, idat);
  EXPECT_EQ(std::string(png.begin() + idat + 4, png.begin() + idat + 8), "IDAT");
  // zlib header, two stored blocks (5 bytes each), the rows, Adler-32.
  const size_t rows = (width * 3 + 1) * height;
  EXPECT_EQ(idat_length, 2 + 2 * 5 + rows + 4);
  const size_t data = idat + 8;
  EXPECT_EQ(png[data + 2], 0);  // first block not last
  EXPECT_EQ(png[data + 3] | (png[data + 4] << 8), 65535);
  EXPECT_EQ(png[data + 2 + 5 + 65535], 1);  // second block last
  // The first row: filter byte 0, then the first pixels as given.
  EXPECT_EQ(png[data + 7], 0);
  EXPECT_EQ(png[data + 8], rgb[0]);
  EXPECT_EQ(png[data + 9], rgb[1]);
  const size_t iend = idat + 12 + idat_length;
  EXPECT_EQ(std::string(png.begin() + iend + 4, png.begin() + iend + 8), "IEND");
  EXPECT_EQ(png.size(), iend + 12);
}

}  // namespace
