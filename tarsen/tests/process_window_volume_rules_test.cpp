#include <gtest/gtest.h>

#include <functional>

#include "frame/runtime_error.h"
#include "frame/testing.h"
#include "tarsen/process_rules.h"
#include "tarsen/volume_rules.h"
#include "tarsen/window_rules.h"

using namespace std::literals;

namespace {

using namespace tarsen;

using frame::testing::error_of;

TEST(ProcessRules, AppletCommandLine) {
  EXPECT_EQ(applet_command_line(u"desk.cpl"), u"rundll32.exe shell32.dll,Control_RunDLL desk.cpl");
  EXPECT_EQ(applet_command_line(u""), u"rundll32.exe shell32.dll,Control_RunDLL ");
  EXPECT_EQ(applet_command_line(u"my applet.cpl,@1"), u"rundll32.exe shell32.dll,Control_RunDLL my applet.cpl,@1");
}

TEST(ProcessRules, ExtensionKeys) {
  EXPECT_EQ(extension_of_class_key(u".TXT"), u"TXT");
  EXPECT_EQ(extension_of_class_key(u".tar.gz"), u"tar.gz");
  EXPECT_EQ(extension_of_class_key(u"."), u"");
  EXPECT_FALSE(extension_of_class_key(u"txtfile"));
  EXPECT_FALSE(extension_of_class_key(u""));
  EXPECT_FALSE(extension_of_class_key(u"a.txt"));
}

TEST(ProcessRules, OfficeKeys) {
  EXPECT_EQ(office_version_key(1), "Word.Document\\CurVer");
  EXPECT_EQ(office_version_key(2), "Excel.Sheet\\CurVer");
  EXPECT_EQ(office_version_key(3), "Access.Database\\CurVer");
  EXPECT_EQ(office_version_key(4), "PowerPoint.Slide\\CurVer");
  for (int outside : {0, 5, -1, 65537}) EXPECT_FALSE(office_version_key(outside)) << outside;
}

TEST(ProcessRules, RegistryTextLength) {
  EXPECT_EQ(registry_text_length(0, 6, 255), 5u);   // "Word\0" and one more
  EXPECT_EQ(registry_text_length(0, 2, 255), 1u);
  EXPECT_EQ(registry_text_length(0, 1, 255), 0u);   // only the NUL
  EXPECT_EQ(registry_text_length(0, 0, 255), 0u);
  EXPECT_EQ(registry_text_length(234, 300, 255), 0u);  // more data than room
  EXPECT_EQ(registry_text_length(2, 6, 255), 0u);
  EXPECT_EQ(registry_text_length(0, 255, 255), 254u);
}

TEST(WindowRules, CaptionMatch) {
  struct Case { std::u16string_view caption, part; bool match; };
  const Case cases[] = {
      {u"notepad - untitled", u"untitled", true},
      {u"notepad - untitled", u"notepad - untitled", true},
      {u"notepad", u"notepad - untitled", false},
      {u"abc", u"", true},
      {u"", u"", false},
      {u"", u"a", false},
      {u"abc", u"C", false},  // letter case is the caller's business
  };
  for (const auto& c : cases) EXPECT_EQ(caption_contains(c.caption, c.part), c.match);
}

TEST(WindowRules, DisplaySizeRoundsTiesToEven) {
  struct Case { float width, height; std::int32_t w, h; };
  const Case cases[] = {{800.5f, 600, 800, 600}, {801.5f, 600, 802, 600}, {1024.49f, 767.5f, 1024, 768},
                        {-0.5f, 0.5f, 0, 0}, {640, 480, 640, 480}};
  for (const auto& c : cases) {
    DisplaySize size = display_size(c.width, c.height);
    EXPECT_EQ(size.width, c.w) << c.width;
    EXPECT_EQ(size.height, c.h) << c.height;
  }
  EXPECT_EQ(error_of([] { display_size(3e9f, 600); }), frame::kOverflow);
  EXPECT_EQ(error_of([] { display_size(800, -3e9f); }), frame::kOverflow);
}

TEST(WindowRules, KeyboardLayoutNames) {
  struct Case { std::u16string_view name; std::int32_t layout; };
  const Case cases[] = {{u"00000419", 1}, {u"419", 1},       {u"00000409", 0}, {u"00000407", 0},
                        {u"0000041A", 0}, {u"00010419", 0},  {u"", 0},         {u"a0000419", 0},
                        {u"99999999", 0}, {u"00000418", 0}};
  for (const auto& c : cases) EXPECT_EQ(keyboard_layout_of_name(c.name), c.layout) << std::string(c.name.begin(), c.name.end());
}

TEST(WindowRules, CursorCountLow16Bits) {
  struct Case { int count; std::int16_t result; };
  const Case cases[] = {{0, 0}, {-1, -1}, {1, 1}, {-2, -2}, {65536, 0}, {65535, -1}, {32768, -32768}};
  for (const auto& c : cases) EXPECT_EQ(cursor_count_result(c.count), c.result) << c.count;
}

TEST(VolumeRules, SerialTexts) {
  struct Case { std::uint32_t serial; std::u16string_view hex, decimal; };
  const Case cases[] = {
      {0xABCD, u"0000-ABCD", u"43981"},        {0xABCDEF, u"00AB-CDEF", u"11259375"},
      {0x1E5, u"0000-01E5", u"485"},           {0xFFFFFFFF, u"FFFF-FFFF", u"-1"},
      {0, u"0000-0000", u"0"},                 {0x80000000, u"8000-0000", u"-2147483648"},
      {0x7FFFFFFF, u"7FFF-FFFF", u"2147483647"}, {0x12345678, u"1234-5678", u"305419896"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(serial_text(c.serial), c.hex) << c.serial;
    EXPECT_EQ(serial_decimal(c.serial), c.decimal) << c.serial;
  }
}

TEST(VolumeRules, FactChoiceAndDriveTypes) {
  EXPECT_EQ(volume_fact(1), VolumeFact::Serial);
  EXPECT_EQ(volume_fact(2), VolumeFact::Label);
  for (int other : {3, 0, 7, -1}) EXPECT_EQ(volume_fact(other), VolumeFact::FileSystem) << other;
  const std::int16_t codes[] = {0, 0, 1, 2, 3, 4, 5, 0, 0};
  for (std::uint32_t type = 0; type < std::size(codes); ++type) EXPECT_EQ(drive_type_code(type), codes[type]) << type;
  EXPECT_EQ(drive_type_code(0xFFFFFFFF), 0);
}

}  // namespace
