#include "frame/server_identity.h"

#include <gtest/gtest.h>

namespace {

using frame::KeyOwner;
using frame::other_bitness_reading;

TEST(OtherBitnessReading, RedirectedFoldersTable) {
  struct Case {
    const char16_t* path;
    bool self_is_64bit;
    const char16_t* expected;
  };
  const Case cases[] = {
      // System32 is another folder for the other bitness, in any letter case.
      {u"C:\\Windows\\System32\\Lirrow.dll", true, u"C:\\Windows\\SysWOW64\\Lirrow.dll"},
      {u"C:\\Windows\\System32\\Lirrow.dll", false, u"C:\\Windows\\Sysnative\\Lirrow.dll"},
      {u"c:\\WINDOWS\\system32\\sub\\Lirrow.dll", false, u"C:\\Windows\\Sysnative\\sub\\Lirrow.dll"},
      {u"\\\\?\\C:\\Windows\\System32\\Lirrow.dll", true, u"C:\\Windows\\SysWOW64\\Lirrow.dll"},
      // Read the same by both: outside System32, SysWOW64 itself, the
      // exempt subfolders, a folder whose name only starts like System32.
      {u"C:\\Windows\\SysWOW64\\Lirrow.dll", true, u""},
      {u"C:\\Windows\\SysWOW64\\Lirrow.dll", false, u""},
      {u"C:\\Suite\\x64\\Lirrow.dll", true, u""},
      {u"C:\\Program Files\\Suite\\System32\\Lirrow.dll", false, u""},
      {u"C:\\Windows\\System32x\\Lirrow.dll", true, u""},
      {u"C:\\Windows\\System32", true, u""},
      {u"C:\\Windows\\System32\\drivers\\etc\\Lirrow.dll", false, u""},
      {u"C:\\Windows\\System32\\spool\\Lirrow.dll", true, u""},
      {u"C:\\Windows\\System32\\DriverStore\\Lirrow.dll", false, u""},
      {u"D:\\Windows\\System32\\Lirrow.dll", true, u""},
      {u"", true, u""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(other_bitness_reading(c.path, u"C:\\Windows", c.self_is_64bit), c.expected)
        << std::string(c.path, c.path + std::char_traits<char16_t>::length(c.path)) << " 64-bit=" << c.self_is_64bit;
  // A redirected subfolder of System32 other than the exempt ones is redirected.
  EXPECT_EQ(other_bitness_reading(u"C:\\Windows\\System32\\drivers\\Lirrow.dll", u"C:\\Windows", true),
            u"C:\\Windows\\SysWOW64\\drivers\\Lirrow.dll");
  EXPECT_EQ(other_bitness_reading(u"C:\\Windows\\System32\\Lirrow.dll", u"", true), u"");
}

TEST(ClassKeyOwner, NeitherBitnessTakesTheOthersKey) {
  struct Case {
    frame::ServerFacts facts;
    KeyOwner expected;
  };
  // shared_view, names_me, read_differently, other_reading_names_me, names_other_bitness
  const Case cases[] = {
      // The x86 DLL, per user, reads System32\X.dll (the x64 registration) as
      // its own SysWOW64\X.dll: the x64 loader's file is the x64 DLL.
      {{true, true, true, false, true}, KeyOwner::other_bitness},
      // The same in the machine's classes, where each bitness has its own
      // view: only this bitness's hosts read the key.
      {{false, true, true, false, true}, KeyOwner::mine},
      // Per user, a redirected path that no registration of the other
      // bitness names, or that both loaders read as this DLL: ours.
      {{true, true, true, false, false}, KeyOwner::mine},
      {{true, true, true, true, true}, KeyOwner::mine},
      // A path read the same by both loaders: this file or not.
      {{true, true, false, false, false}, KeyOwner::mine},
      {{true, false, false, false, true}, KeyOwner::other_bitness},
      {{false, false, false, false, true}, KeyOwner::other_bitness},
      // Another copy of this bitness: nobody's that we may remove.
      {{true, false, false, false, false}, KeyOwner::someone_else},
      {{false, false, true, false, false}, KeyOwner::someone_else},
  };
  for (const Case& c : cases) {
    const frame::ServerFacts& f = c.facts;
    EXPECT_EQ(frame::class_key_owner(f), c.expected) << f.shared_view << f.names_me << f.read_differently
                                                     << f.other_reading_names_me << f.names_other_bitness;
  }
}

}  // namespace
