// Whose registration a class key is, where a path can name two files: on
// 64-bit Windows a 32-bit process's file-system redirection turns
// <Windows>\System32 into <Windows>\SysWOW64, so the same text names the x64
// file for a 64-bit loader and the x86 file for a 32-bit one. Pure: no
// Windows types, tested natively.
#pragma once

#include <string>
#include <string_view>

namespace frame {

// The path by which this process opens the file that a loader of the other
// bitness would load from `path`, or the empty text when that loader reads
// the path as this process does. A 64-bit process reaches the 32-bit
// loader's file under SysWOW64; a 32-bit process reaches the 64-bit loader's
// file under Sysnative (its alias of the real System32). System32's
// subfolders that redirection leaves alone read the same for both.
// `windows_folder` is the Windows folder without a trailing backslash.
std::u16string other_bitness_reading(std::u16string_view path, std::u16string_view windows_folder, bool self_is_64bit);

// What unregistration knows about the server path of one class key.
struct ServerFacts {
  bool shared_view;             // both bitnesses' hosts read this key (the user's classes)
  bool names_me;                // the path, opened by this process, is this DLL
  bool read_differently;        // the other bitness's loader reads the path as another file
  bool other_reading_names_me;  // ... and that file is this DLL all the same
  bool names_other_bitness;     // read by the other bitness's loader, the path is the file its registration names
};

enum class KeyOwner { mine, other_bitness, someone_else };

// A key that both bitnesses read and whose path the other bitness's loader
// takes for its own registered file is the other bitness's, even where this
// process's reading of it happens to be this DLL: neither bitness may remove
// the other's keys.
KeyOwner class_key_owner(const ServerFacts& facts);

}  // namespace frame
