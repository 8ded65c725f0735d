#include "tarsen/system_facts.h"

#include <gtest/gtest.h>

#include <vector>

#include "frame/runtime_error.h"
#include "frame/testing.h"

using namespace std::literals;

namespace {

using namespace tarsen;

using frame::testing::error_of;

TEST(WindowsType, CodeTable) {
  struct Case { std::uint32_t platform, major, minor; std::int16_t code; };
  const Case cases[] = {
      {1, 4, 10, 1}, {1, 4, 90, 1},  // 98, Me
      {1, 4, 0, 0},                  // 95
      {1, 5, 10, 0},                 // not a 4.x of that family
      {2, 10, 0, 2}, {2, 4, 10, 2}, {2, 5, 1, 2},
      {0, 0, 0, 0},                  // Win32s, or a failed call's zero record
      {3, 4, 10, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(windows_type_code(c.platform, c.major, c.minor), c.code) << c.platform << " " << c.major << "." << c.minor;
}

TEST(WorkTime, HalvesAwayFromZeroAndNoWrap) {
  EXPECT_EQ(work_time_seconds(0), 0);
  EXPECT_EQ(work_time_seconds(499), 0);
  EXPECT_EQ(work_time_seconds(500), 1);
  EXPECT_EQ(work_time_seconds(1499), 1);
  EXPECT_EQ(work_time_seconds(1500), 2);
  EXPECT_EQ(work_time_seconds(2500), 3);
  // Past 2^31 and 2^32 ms the 64-bit count keeps going up.
  EXPECT_EQ(work_time_seconds(2147483648ull), 2147484);
  EXPECT_EQ(work_time_seconds(4294967296ull + 1500), 4294969);
  EXPECT_EQ(work_time_seconds(2147483647499ull), 2147483647);
  EXPECT_EQ(error_of([] { work_time_seconds(2147483647500ull); }), frame::kOverflow);
}

TEST(WorkState, MetricTable) {
  EXPECT_EQ(work_state_code(0), 1);
  EXPECT_EQ(work_state_code(1), 2);
  EXPECT_EQ(work_state_code(2), 3);
  EXPECT_EQ(work_state_code(3), 1);
  EXPECT_EQ(work_state_code(-1), 1);
}

TEST(WorkRegion, EdgesAndOverflow) {
  EXPECT_EQ(work_region_edge(1, 768, 1024), 768);
  EXPECT_EQ(work_region_edge(2, 768, 1024), 1024);
  EXPECT_EQ(work_region_edge(3, 768, 1024), 0);
  EXPECT_EQ(work_region_edge(0, 768, 1024), 0);
  EXPECT_EQ(work_region_edge(-1, 768, 1024), 0);
  EXPECT_EQ(work_region_edge(1, 32767, 0), 32767);
  EXPECT_EQ(error_of([] { work_region_edge(1, 32768, 0); }), frame::kOverflow);
  EXPECT_EQ(error_of([] { work_region_edge(2, 0, 40000); }), frame::kOverflow);
  // The edge not asked for is not converted.
  EXPECT_EQ(work_region_edge(2, 40000, 800), 800);
}

TEST(SystemDirs, FolderTable) {
  const int csidl[] = {25, 0, 6, 23, 2, 24, 7, 22, 11, 20, 19, 5, 27, 8, 9, 21};
  for (int mode = 0; mode < 16; ++mode) {
    FolderChoice choice = folder_for_mode(mode);
    EXPECT_EQ(choice.source, FolderSource::Special) << mode;
    EXPECT_EQ(choice.csidl, csidl[mode]) << mode;
  }
  EXPECT_EQ(folder_for_mode(16).source, FolderSource::Temp);
  EXPECT_EQ(folder_for_mode(18).source, FolderSource::Windows);
  EXPECT_EQ(folder_for_mode(19).source, FolderSource::System);
  for (int mode : {17, 20, -1, 65536, -2147483647 - 1}) EXPECT_EQ(folder_for_mode(mode).source, FolderSource::None) << mode;
}

TEST(SystemDirs, SuffixOnlyForOne) {
  EXPECT_EQ(folder_suffix(1), u"\\");
  for (std::int16_t slash : {0, -1, 2, 257, -32768}) EXPECT_EQ(folder_suffix(slash), u"") << slash;
}

TEST(TrimAtNul, CutsAtFirstNulOrKeepsAll) {
  EXPECT_EQ(trim_at_nul(u"abc\0def"sv), u"abc");
  EXPECT_EQ(trim_at_nul(u"\0abc"sv), u"");
  EXPECT_EQ(trim_at_nul(u"abc"sv), u"abc");
  EXPECT_EQ(trim_at_nul(u""sv), u"");
  EXPECT_EQ(trim_at_nul("C:\\x\0\0\0"sv), "C:\\x");
  EXPECT_EQ(trim_at_nul("   "sv), "   ");
  EXPECT_EQ(text_before_nul_or_empty("user\0   "sv), "user");
  EXPECT_EQ(text_before_nul_or_empty("\0   "sv), "");
  EXPECT_EQ(text_before_nul_or_empty("     "sv), "");
}

TEST(ToMegabytes, TwoDecimalsHalvesAwayFromZero) {
  struct Case { double bytes; double megabytes; };
  const Case cases[] = {
      {1572864, 1.5},
      {131072, 0.13},         // 0.125 exactly
      {141557.76, 0.14},      // 0.135, held as 0.13500000000000000888
      {1053818.88, 1.01},     // 1.005, held as 1.00499999999999989
      {1048576 * 2.675, 2.68},
      {1048576 * 0.004, 0.0},
      {1048576 * 0.005, 0.01},
      {1048576 * 9.995, 10.0},
      {1048576 * 999.999, 1000.0},
      {0, 0},
      {4294967296.0, 4096},
      {1048576.0 * 123456789.125, 123456789.13},
  };
  for (const auto& c : cases) EXPECT_EQ(to_megabytes(c.bytes), c.megabytes) << c.bytes;
}

TEST(RoundDecimal, WholeNumbersAndSigns) {
  EXPECT_EQ(round_decimal_half_away(49.5, 0), 50);
  EXPECT_EQ(round_decimal_half_away(50.5, 0), 51);
  EXPECT_EQ(round_decimal_half_away(49.49, 0), 49);
  EXPECT_EQ(round_decimal_half_away(0.4, 0), 0);
  EXPECT_EQ(round_decimal_half_away(-2.5, 0), -3);
  EXPECT_EQ(round_decimal_half_away(-0.125, 2), -0.13);
  EXPECT_EQ(round_decimal_half_away(99.5, 0), 100);
  EXPECT_EQ(round_decimal_half_away(1e300, 2), 1e300);
}

TEST(MemoryFigure, EveryModeFromFreshReadings) {
  const double mb = 1048576;
  MemoryReading reading{static_cast<std::uint64_t>(mb * 1024), static_cast<std::uint64_t>(mb * 256.125),
                        static_cast<std::uint64_t>(mb * 2048), static_cast<std::uint64_t>(mb * 512)};
  int reads = 0;
  auto read = [&] {
    ++reads;
    return reading;
  };
  struct Case { int mode; double figure; int reads; };
  const Case cases[] = {
      {1, 512 + 256.13, 2}, {2, 512, 1}, {3, 256.13, 1}, {4, 2048, 1},
      {5, 25, 4},  // 768.13 / 3072 = 25.004%
      {6, 1024 + 2048, 2}, {7, 1024, 1}, {0, 0, 0}, {8, 0, 0}, {-1, 0, 0},
  };
  for (const auto& c : cases) {
    reads = 0;
    EXPECT_EQ(memory_figure(c.mode, read), c.figure) << c.mode;
    EXPECT_EQ(reads, c.reads) << c.mode;
  }
}

TEST(MemoryFigure, LargeCountsStayPositive) {
  // Beyond 2 GiB and 4 GiB, the unsigned fields read as they are.
  MemoryReading reading{6ull << 30, 5ull << 30, 8ull << 30, 4ull << 30};
  auto read = [&] { return reading; };
  EXPECT_EQ(memory_figure(7, read), 6144);
  EXPECT_EQ(memory_figure(1, read), 4096 + 5120);
  EXPECT_EQ(memory_figure(5, read), 64);  // 9216 / 14336 = 64.29%
}

TEST(MemoryFigure, PercentageRoundsHalfUpAndFailsOnZeroTotal) {
  const std::uint64_t mb = 1048576;
  // 1 of 8 MB available: 12.5% gives 13.
  MemoryReading eighth{4 * mb, 1 * mb, 4 * mb, 0};
  EXPECT_EQ(memory_figure(5, [&] { return eighth; }), 13);
  MemoryReading none{};
  EXPECT_EQ(error_of([&] { memory_figure(5, [&] { return none; }); }), frame::kOverflow);
  MemoryReading odd{0, 1 * mb, 0, 0};
  EXPECT_EQ(error_of([&] { memory_figure(5, [&] { return odd; }); }), frame::kDivisionByZero);
}

}  // namespace
