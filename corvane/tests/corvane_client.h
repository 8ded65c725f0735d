// Test programs call Corvane.dll of this build through its vtable, loaded
// straight from dist/ (no registration needed).
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>

#include "corvane_h.h"
#include "frame/owners.h"

namespace corvane_test {

inline std::wstring dist_path(const wchar_t* file) {
  std::wstring path = L"Z:" SUITE_DIST_DIR_W L"/";
  path += file;
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

// A fresh instance of the class, from the DLL's own class object.
inline frame::ComPtr<_Corvane> make_corvane() {
  static HMODULE module = LoadLibraryW(dist_path(L"Corvane.dll").c_str());
  EXPECT_NE(module, nullptr);
  using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
  auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
  frame::ComPtr<IClassFactory> factory;
  EXPECT_EQ(get(CLSID_Corvane, IID_IClassFactory, reinterpret_cast<void**>(factory.put())), S_OK);
  frame::ComPtr<_Corvane> object;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID__Corvane, reinterpret_cast<void**>(object.put())), S_OK);
  return object;
}

// Removes a tree (paths beyond 259 characters included: the walk's tests make them).
inline void remove_tree(const std::wstring& path) {
  std::wstring long_path = L"\\\\?\\" + path;
  DWORD attributes = GetFileAttributesW(long_path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesW(long_path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileW(long_path.c_str());
    return;
  }
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    WIN32_FIND_DATAW entry;
    frame::FindHandle listing(FindFirstFileW((long_path + L"\\*").c_str(), &entry));
    if (listing) {
      do {
        std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") remove_tree(path + L"\\" + name);
      } while (FindNextFileW(listing.get(), &entry));
    }
  }
  RemoveDirectoryW(long_path.c_str());
}

inline std::wstring temp_folder() {
  wchar_t temp[MAX_PATH];
  DWORD length = GetTempPathW(MAX_PATH, temp);
  if (length > 0 && temp[length - 1] == L'\\') --length;
  return std::wstring(temp, length);
}

// A folder of the test's own under the prefix's temporary folder, emptied first.
inline std::wstring fresh_folder(const wchar_t* name) {
  std::wstring folder = temp_folder() + L"\\" + name;
  remove_tree(folder);
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

// A file of `bytes` bytes (sparse beyond what is written: only the length is set).
inline bool make_file(const std::wstring& path, LONGLONG bytes) {
  frame::Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER end;
  end.QuadPart = bytes;
  return SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.get());
}

// A caller's string variable.
struct Text {
  BSTR value;
  explicit Text(const std::wstring& text) : value(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~Text() { SysFreeString(value); }
  Text(const Text&) = delete;
  Text& operator=(const Text&) = delete;
  std::wstring str() const { return std::wstring(frame::text_of(value)); }
};

// A result string, freed at the end of the test.
struct Result {
  BSTR value = nullptr;
  Result() = default;
  Result(const Result&) = delete;
  Result& operator=(const Result&) = delete;
  ~Result() { SysFreeString(value); }
  std::wstring str() const { return std::wstring(frame::text_of(value)); }
};

}  // namespace corvane_test
