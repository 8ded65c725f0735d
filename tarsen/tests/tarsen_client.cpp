#include <initguid.h>

#include "tarsen_client.h"

namespace tarsen_test {

std::wstring dll_path() {
  std::string unix_path = SUITE_DIST_DIR "/Tarsen.dll";
  return L"Z:" + std::wstring(unix_path.begin(), unix_path.end());
}

std::wstring helper_path() {
  std::string unix_path = HELPER_PATH;
  return L"Z:" + std::wstring(unix_path.begin(), unix_path.end());
}

HMODULE dll_module() {
  static HMODULE module = LoadLibraryW(dll_path().c_str());
  return module;
}

frame::ComPtr<_Tarsen> create_tarsen() {
  frame::ComPtr<_Tarsen> result;
  HMODULE module = dll_module();
  EXPECT_NE(module, nullptr);
  if (!module) return result;
  using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
  auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
  frame::ComPtr<IClassFactory> factory;
  EXPECT_EQ(get(CLSID_Tarsen, IID_IClassFactory, reinterpret_cast<void**>(factory.put())), S_OK);
  if (!factory) return result;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID__Tarsen, reinterpret_cast<void**>(result.put())), S_OK);
  return result;
}

void TarsenTest::SetUp() {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  tarsen = create_tarsen();
  ASSERT_TRUE(tarsen);
}

void TarsenTest::TearDown() {
  tarsen.reset();
  CoUninitialize();
}

PageLetters page_letters() {
  wchar_t expected[16] = {};
  if (GetEnvironmentVariableW(L"SUITE_EXPECT_ACP", expected, 16)) {
    EXPECT_EQ(GetACP(), std::stoul(expected));
  }
  // 932 and 936 hold a letter whose second byte is a backslash.
  switch (GetACP()) {
    case 1252: return {L"\u00e9", L"\u0416"};
    case 1251: return {L"\u0416", L"\u00e9"};
    case 932: return {L"\u8868", L"\uD55C"};
    case 936: return {L"\u4E57", L"\uD55C"};
    case CP_UTF8: return {L"\u0416", L"\xD800", false};
    default: ADD_FAILURE() << "no letters for code page " << GetACP(); return {L"e", L"e"};
  }
}

std::wstring from_ansi(std::string_view bytes) {
  std::wstring result(bytes.size(), L'\0');
  int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), result.data(),
                                   static_cast<int>(result.size()));
  result.resize(static_cast<size_t>(length > 0 ? length : 0));
  return result;
}

}  // namespace tarsen_test
