// FolderOrFileSize through the vtable: what scripts cannot set up (paths at
// the 259-character limit, hidden system folders, a window message arriving
// during the walk, null strings).
#include <initguid.h>  // this program defines the identities it uses

#include "corvane_client.h"

namespace {

using namespace corvane_test;

std::wstring size_of(_Corvane* corvane, const std::wstring& path, SizeMode mode) {
  Text text(path);
  Result result;
  EXPECT_EQ(corvane->FolderOrFileSize(&text.value, &mode, &result.value), S_OK);
  EXPECT_EQ(text.str(), path);  // never written
  return result.str();
}

class FolderSize : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    corvane = make_corvane();
  }
  void TearDown() override {
    corvane.reset();
    CoUninitialize();
  }
  frame::ComPtr<_Corvane> corvane;
};

TEST_F(FolderSize, HiddenAndSystemFoldersAreWalked) {
  std::wstring folder = fresh_folder(L"corvane_hidden");
  std::wstring inner = folder + L"\\inner";
  ASSERT_TRUE(CreateDirectoryW(inner.c_str(), nullptr));
  ASSERT_TRUE(make_file(inner + L"\\a.bin", 40));
  ASSERT_TRUE(make_file(folder + L"\\b.bin", 2));
  ASSERT_TRUE(SetFileAttributesW(inner.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(SetFileAttributesW((folder + L"\\b.bin").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  ASSERT_EQ(GetFileAttributesW(inner.c_str()), DWORD{FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM});
  EXPECT_EQ(size_of(corvane.get(), folder, Bytes), L"42");
}

// A directory whose listing pattern ("\*.*" appended) takes exactly 259
// characters is listed; one character more and it counts 0. A file's own
// path may be longer: its size comes from its folder's listing.
TEST_F(FolderSize, ThePathLimitBoundsTheWalk) {
  std::wstring folder = fresh_folder(L"corvane_deep");
  std::wstring base = folder;
  while (base.size() < 200) {
    base += L"\\" + std::wstring(20, L'd');
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + base).c_str(), nullptr));
  }
  std::wstring fits = base + L"\\" + std::wstring(255 - base.size() - 1, L'f');
  std::wstring over = base + L"\\" + std::wstring(256 - base.size() - 1, L'o');
  ASSERT_EQ(fits.size(), 255u);
  ASSERT_EQ(over.size(), 256u);
  for (const std::wstring& dir : {fits, over}) ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + dir).c_str(), nullptr));
  ASSERT_TRUE(make_file(L"\\\\?\\" + fits + L"\\" + std::wstring(30, L'x'), 1));
  ASSERT_TRUE(make_file(L"\\\\?\\" + over + L"\\y.bin", 2));
  ASSERT_TRUE(make_file(L"\\\\?\\" + base + L"\\z.bin", 4));
  EXPECT_EQ(size_of(corvane.get(), folder, Bytes), L"5");
  EXPECT_EQ(size_of(corvane.get(), fits, Bytes), L"1");
  EXPECT_EQ(size_of(corvane.get(), over, Bytes), L"0");

  // A file named directly: its path may have at most 259 characters.
  std::wstring file259 = base + L"\\" + std::wstring(259 - base.size() - 1, L'g');
  std::wstring file260 = base + L"\\" + std::wstring(260 - base.size() - 1, L'h');
  ASSERT_TRUE(make_file(L"\\\\?\\" + file259, 8));
  ASSERT_TRUE(make_file(L"\\\\?\\" + file260, 16));
  EXPECT_EQ(size_of(corvane.get(), file259, Bytes), L"8");
  EXPECT_EQ(size_of(corvane.get(), file260, Bytes), L"0");
}

// The walk lets the thread's pending messages through; a handler may call
// into the library again without disturbing the walk in progress.
struct Nested {
  _Corvane* corvane = nullptr;
  std::wstring path;
  std::wstring result;
  bool in_call = false;
  bool handled_in_call = false;
};
Nested* nested_call = nullptr;

LRESULT CALLBACK nested_window(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_APP && nested_call) {
    nested_call->handled_in_call = nested_call->in_call;
    nested_call->result = size_of(nested_call->corvane, nested_call->path, KBytes);
    return 0;
  }
  return DefWindowProcW(window, message, w, l);
}

TEST_F(FolderSize, PendingMessagesAreProcessedDuringTheWalk) {
  std::wstring folder = fresh_folder(L"corvane_pump");
  for (int i = 0; i < 20; ++i) {
    std::wstring sub = folder + L"\\d" + std::to_wstring(i);
    ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
    ASSERT_TRUE(make_file(sub + L"\\f.bin", 100));
  }
  std::wstring other = fresh_folder(L"corvane_pump_other");
  ASSERT_TRUE(make_file(other + L"\\g.bin", 1536));

  WNDCLASSW window_class{};
  window_class.lpfnWndProc = nested_window;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"corvane_nested";
  RegisterClassW(&window_class);
  HWND window = CreateWindowW(L"corvane_nested", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, window_class.hInstance, nullptr);
  ASSERT_NE(window, nullptr);

  Nested state;
  state.corvane = corvane.get();
  state.path = other;
  nested_call = &state;
  ASSERT_TRUE(PostMessageW(window, WM_APP, 0, 0));
  state.in_call = true;
  std::wstring outer = size_of(corvane.get(), folder, Bytes);
  state.in_call = false;
  nested_call = nullptr;
  DestroyWindow(window);

  EXPECT_TRUE(state.handled_in_call);
  EXPECT_EQ(state.result, L"1.5");
  EXPECT_EQ(outer, L"2000");
}

TEST_F(FolderSize, NullStringsAreEmptyPaths) {
  BSTR path = nullptr;
  SizeMode mode = Bytes;
  Result result;
  EXPECT_EQ(corvane->FolderOrFileSize(&path, &mode, &result.value), S_OK);
  EXPECT_EQ(result.str(), L"0");
  EXPECT_EQ(corvane->FolderOrFileSize(&path, &mode, nullptr), E_POINTER);
}

}  // namespace
