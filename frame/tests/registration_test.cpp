// Self-registration seen from the registry: what a failed registration leaves
// (nothing), what unregistration leaves (what others wrote), and the per-user
// registration through DllInstall. Lirrow is the library under test; it is
// registered for the machine again at the end of each test.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "frame/owners.h"

namespace {

const std::wstring kLirrowPath = std::wstring(SUITE_DIST_DIR) + L"/Lirrow.dll";
const std::wstring kClsid = L"CLSID\\{AC63C352-843F-408C-B60C-ED2ACC3147D4}";
const std::wstring kInterface = L"Interface\\{649B234E-BEC2-4750-86A1-3C962892EECA}";
const std::wstring kTypeLib = L"TypeLib\\{04F423AA-1FF4-4A8E-9D5C-BBC7373B35DA}";
const std::wstring kProgId = L"Lirrow.Lirrow";
constexpr REGSAM kOwnView = sizeof(void*) == 8 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
const std::wstring kOwnEntry = sizeof(void*) == 8 ? L"\\4.0\\0\\win64" : L"\\4.0\\0\\win32";
const std::wstring kOtherEntry = sizeof(void*) == 8 ? L"\\4.0\\0\\win32" : L"\\4.0\\0\\win64";

struct Classes {
  HKEY hive;
  std::wstring path(const std::wstring& key) const { return L"Software\\Classes\\" + key; }
  bool exists(const std::wstring& key) const {
    frame::RegKey handle;
    return RegOpenKeyExW(hive, path(key).c_str(), 0, KEY_READ | kOwnView, handle.put()) == ERROR_SUCCESS;
  }
  std::wstring value(const std::wstring& key, const wchar_t* name = nullptr) const {
    frame::RegKey handle;
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    if (RegOpenKeyExW(hive, path(key).c_str(), 0, KEY_READ | kOwnView, handle.put()) != ERROR_SUCCESS ||
        RegQueryValueExW(handle.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
      return L"<missing>";
    return buffer;
  }
  LSTATUS create(const std::wstring& key, DWORD options = 0) const {
    frame::RegKey handle;
    return RegCreateKeyExW(hive, path(key).c_str(), 0, nullptr, options, KEY_WRITE | kOwnView, nullptr, handle.put(), nullptr);
  }
  void set(const std::wstring& key, const std::wstring& data) const {
    frame::RegKey handle;
    ASSERT_EQ(RegCreateKeyExW(hive, path(key).c_str(), 0, nullptr, 0, KEY_WRITE | kOwnView, nullptr, handle.put(), nullptr), ERROR_SUCCESS);
    RegSetValueExW(handle.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  }
  void remove_tree(const std::wstring& key) const {
    frame::RegKey parent;
    const std::wstring full = path(key);
    const size_t cut = full.find_last_of(L'\\');
    if (RegOpenKeyExW(hive, full.substr(0, cut).c_str(), 0, KEY_ALL_ACCESS | kOwnView, parent.put()) == ERROR_SUCCESS)
      RegDeleteTreeW(parent.get(), full.substr(cut + 1).c_str());
  }
};

const Classes kMachine{HKEY_LOCAL_MACHINE};
const Classes kUser{HKEY_CURRENT_USER};

// The other bitness's registration of the library (left by its own test run
// in the same prefix) keeps the keys that both halves share: the ProgID and
// the type library's keys. The tests hold to that and never touch it.
bool other_half_registered() { return kMachine.exists(kTypeLib + kOtherEntry); }

class RegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(module_, nullptr);
    ASSERT_TRUE(register_ && unregister_ && install_);
  }
  void TearDown() override {
    // Whatever a test did, the machine registration is back for the tests
    // that follow and the user's classes hold nothing of ours.
    EXPECT_EQ(install_(FALSE, L"user"), S_OK);
    EXPECT_EQ(register_(), S_OK);
    FreeLibrary(module_);
  }
  template <class F>
  F entry(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

  HMODULE module_ = LoadLibraryW(kLirrowPath.c_str());
  HRESULT(STDAPICALLTYPE* register_)() = entry<decltype(register_)>("DllRegisterServer");
  HRESULT(STDAPICALLTYPE* unregister_)() = entry<decltype(unregister_)>("DllUnregisterServer");
  HRESULT(STDAPICALLTYPE* install_)(BOOL, LPCWSTR) = entry<decltype(install_)>("DllInstall");
};

TEST_F(RegistrationTest, FailureHalfWayLeavesNothingBehind) {
  ASSERT_EQ(unregister_(), S_OK);
  ASSERT_FALSE(kMachine.exists(kClsid));
  // Another copy was registered before, and the interface's key is volatile:
  // no lasting key can be made under it, so the registration fails after the
  // class and ProgID keys were written. The shared keys come out as they went in.
  kMachine.set(kClsid + L"\\InprocServer32", L"C:\\elsewhere\\Lirrow.dll");
  ASSERT_EQ(kMachine.create(kInterface, REG_OPTION_VOLATILE), ERROR_SUCCESS);
  const std::wstring progid_before = kMachine.value(kProgId + L"\\Clsid");
  const bool version_before = kMachine.exists(kTypeLib + L"\\4.0");
  EXPECT_EQ(register_(), HRESULT_FROM_WIN32(ERROR_CHILD_MUST_BE_VOLATILE));
  EXPECT_EQ(kMachine.value(kClsid + L"\\InprocServer32"), L"C:\\elsewhere\\Lirrow.dll");  // restored
  EXPECT_EQ(kMachine.value(kClsid + L"\\InprocServer32", L"ThreadingModel"), L"<missing>");
  for (const std::wstring& key : {kClsid + L"\\ProgID", kClsid + L"\\TypeLib", kInterface + L"\\TypeLib", kTypeLib + kOwnEntry})
    EXPECT_FALSE(kMachine.exists(key)) << key;
  EXPECT_EQ(kMachine.value(kProgId + L"\\Clsid"), progid_before);
  EXPECT_EQ(kMachine.exists(kTypeLib + L"\\4.0"), version_before);
  EXPECT_TRUE(kMachine.exists(kInterface));  // not ours: it stays

  // The other copy's registration is not ours to remove either.
  EXPECT_EQ(unregister_(), S_OK);
  EXPECT_EQ(kMachine.value(kClsid + L"\\InprocServer32"), L"C:\\elsewhere\\Lirrow.dll");
  kMachine.remove_tree(kInterface);
  kMachine.remove_tree(kClsid);
}

TEST_F(RegistrationTest, UnregistrationLeavesWhatOthersWrote) {
  ASSERT_EQ(register_(), S_OK);
  // Another version of the type library, the other bitness's entry of ours
  // (the real one where that half is registered), a category someone added.
  const bool other_half = other_half_registered();
  kMachine.set(kTypeLib + L"\\3.0\\0\\win32", L"C:\\old\\Lirrow.dll");
  if (!other_half) kMachine.set(kTypeLib + kOtherEntry, L"C:\\other\\Lirrow.dll");
  const std::wstring other_entry = kMachine.value(kTypeLib + kOtherEntry);
  kMachine.set(kClsid + L"\\Implemented Categories\\{40FC6ED5-2438-11CF-A3DB-080036F12502}", L"");
  ASSERT_EQ(unregister_(), S_OK);
  EXPECT_EQ(kMachine.value(kTypeLib + L"\\3.0\\0\\win32"), L"C:\\old\\Lirrow.dll");
  EXPECT_EQ(kMachine.value(kTypeLib + kOtherEntry), other_entry);
  EXPECT_FALSE(kMachine.exists(kTypeLib + kOwnEntry));
  EXPECT_TRUE(kMachine.exists(kClsid + L"\\Implemented Categories"));
  EXPECT_EQ(kMachine.value(kClsid + L"\\InprocServer32"), L"<missing>");
  EXPECT_FALSE(kMachine.exists(kInterface));
  kMachine.remove_tree(kTypeLib + L"\\3.0");
  if (!other_half) kMachine.remove_tree(kTypeLib + L"\\4.0");
  kMachine.remove_tree(kClsid);
}

TEST_F(RegistrationTest, PerUserRegistrationTouchesOnlyTheUsersClasses) {
  ASSERT_EQ(register_(), S_OK);
  const std::wstring machine_server = kMachine.value(kClsid + L"\\InprocServer32");
  ASSERT_EQ(install_(FALSE, L"user"), S_OK);  // nothing there: success
  ASSERT_FALSE(kUser.exists(kClsid));

  ASSERT_EQ(install_(TRUE, L"user"), S_OK);
  ASSERT_EQ(install_(TRUE, L"USER"), S_OK);  // twice, and in any case
  std::wstring expected = kLirrowPath;
  for (auto& c : expected) c = c == L'/' ? L'\\' : c;
  EXPECT_EQ(CompareStringOrdinal(kUser.value(kClsid + L"\\InprocServer32").c_str(), -1, expected.c_str(), -1, TRUE), CSTR_EQUAL);
  EXPECT_EQ(kUser.value(kClsid + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
  EXPECT_EQ(kUser.value(kProgId + L"\\Clsid"), L"{AC63C352-843F-408C-B60C-ED2ACC3147D4}");
  EXPECT_EQ(kUser.value(kInterface + L"\\ProxyStubClsid32"), L"{00020424-0000-0000-C000-000000000046}");
  EXPECT_TRUE(kUser.exists(kTypeLib + kOwnEntry));

  // The machine's registration neither moved nor went with the user's.
  EXPECT_EQ(kMachine.value(kClsid + L"\\InprocServer32"), machine_server);
  ASSERT_EQ(install_(FALSE, L"user"), S_OK);
  for (const std::wstring& key : {kClsid, kProgId, kInterface, kTypeLib}) EXPECT_FALSE(kUser.exists(key)) << key;
  EXPECT_EQ(kMachine.value(kClsid + L"\\InprocServer32"), machine_server);
  EXPECT_TRUE(kMachine.exists(kTypeLib + L"\\4.0"));

  // A machine unregistration leaves the user's registration alone too.
  ASSERT_EQ(install_(TRUE, L"user"), S_OK);
  ASSERT_EQ(unregister_(), S_OK);
  EXPECT_TRUE(kUser.exists(kClsid + L"\\InprocServer32"));
  EXPECT_TRUE(kUser.exists(kTypeLib + L"\\4.0"));
}

TEST_F(RegistrationTest, InstallWithAnyOtherCommandLineIsRefused) {
  ASSERT_EQ(unregister_(), S_OK);
  for (const wchar_t* command_line : {static_cast<const wchar_t*>(nullptr), L"", L"machine", L"user ", L"users", L"/user"}) {
    for (BOOL install : {TRUE, FALSE}) {
      EXPECT_EQ(install_(install, command_line), E_INVALIDARG) << (command_line ? command_line : L"(null)");
    }
  }
  const bool other_half = other_half_registered();
  for (const Classes* classes : {&kMachine, &kUser}) {
    for (const std::wstring& key : {kClsid, kInterface}) EXPECT_FALSE(classes->exists(key)) << key;
    for (const std::wstring& key : {kProgId, kTypeLib})
      EXPECT_EQ(classes->exists(key), classes == &kMachine && other_half) << key;
  }
}

}  // namespace
