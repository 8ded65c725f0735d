// Test-side access to Tarsen.dll: the library loaded from the build's dist
// folder (no registration needed), an instance through its class object, and
// small helpers for strings and late-bound calls.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/owners.h"
#include "tarsen_h.h"

namespace tarsen_test {

// The DLL's Windows path.
std::wstring dll_path();
HMODULE dll_module();

// The Windows path of the test helper program (tests/test_helper.cpp).
std::wstring helper_path();

// A fresh instance; fails the test when none can be made.
frame::ComPtr<_Tarsen> create_tarsen();

// A caller's string variable (or a result location): owns its BSTR.
class StringVar {
 public:
  StringVar() = default;
  explicit StringVar(std::wstring_view text) : value_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  StringVar(const StringVar&) = delete;
  StringVar& operator=(const StringVar&) = delete;
  ~StringVar() { SysFreeString(value_); }
  BSTR* put() { return &value_; }
  BSTR get() const { return value_; }
  std::wstring text() const { return std::wstring(frame::text_of(value_)); }

 private:
  BSTR value_ = nullptr;
};

// Sets up COM for each test and makes an instance.
class TarsenTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  frame::ComPtr<_Tarsen> tarsen;
};

// A letter that the running ANSI code page holds and one it lacks (a
// character that would reach the platform as "?"), for the tests that run
// once per code page; `lacking_nameable` is false where the lacking one (a
// lone surrogate under UTF-8) cannot be part of a file name. Fails the test
// when the code page is not the one the runner set up (SUITE_EXPECT_ACP).
struct PageLetters {
  std::wstring held, lacking;
  bool lacking_nameable = true;
};
PageLetters page_letters();

// The text that one platform string (ANSI bytes) reads as.
std::wstring from_ansi(std::string_view bytes);

}  // namespace tarsen_test
