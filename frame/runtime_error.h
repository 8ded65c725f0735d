// The host's standard run-time errors, as raised by method bodies and private
// procedures. The method frame turns one into the call's failure status and its
// error information; nothing else returns a status of its own.
#pragma once

#include <string_view>

namespace frame {

struct RuntimeError {
  int number;
};

// Standard message text of a run-time error number ("Overflow" for 6).
std::string_view standard_error_text(int number);

[[noreturn]] inline void raise(int number) { throw RuntimeError{number}; }

inline constexpr int kInvalidCall = 5;
inline constexpr int kOverflow = 6;
inline constexpr int kOutOfMemory = 7;
inline constexpr int kArrayLocked = 10;
inline constexpr int kDivisionByZero = 11;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kFileNotFound = 53;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathFileAccess = 75;
inline constexpr int kPathNotFound = 76;
inline constexpr int kInternalError = 51;

}  // namespace frame
