// Checks the registration of every library of a folder in the registry view of
// the probe's own bitness (built for x64 and x86, each run on its DLLs): with "present", that each class, its ProgID, its interface and
// its type library are registered with the server in the given folder, and
// that no class is marked safe for scripting or initialisation; with "absent",
// that none of those keys is left. Prints the ProgIDs it found.
//   registry_probe <folder with the DLLs> present <installed folder> | absent
#include <windows.h>

#include <cstdio>
#include <string>

#include "server_library.h"

using namespace suite_test;

namespace {

int passed = 0, failed = 0;

void check(bool ok, const std::wstring& what) {
  if (ok) {
    ++passed;
  } else {
    ++failed;
    printf("FAIL %s\n", narrow(what).c_str());
  }
}

bool key_exists(HKEY root, const std::wstring& path, REGSAM view = 0) {
  frame::RegKey key;
  return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, key.put()) == ERROR_SUCCESS;
}

std::wstring value_of(const std::wstring& path, const wchar_t* name = nullptr) {
  wchar_t buffer[1024] = {};
  DWORD size = sizeof buffer;
  if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
    return L"<missing>";
  return buffer;
}

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\AutomationComponentSuite";
constexpr wchar_t kSafeForScripting[] = L"{7DD95801-9882-11CF-9FA9-00AA006C42C4}";
constexpr wchar_t kSafeForInitialising[] = L"{7DD95802-9882-11CF-9FA9-00AA006C42C4}";

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: registry_probe <folder> present <installed folder> | absent\n");
    return 2;
  }
  const std::wstring folder = argv[1];
  const bool present = std::wstring(argv[2]) == L"present";
  const std::wstring installed = argc > 3 ? argv[3] : L"";
  CoInitialize(nullptr);
  std::wstring progids;
  for (const std::wstring& path : dlls_in(folder)) {
    std::wstring why;
    auto library = ServerLibrary::load(path, why);
    if (!library) continue;
    const std::wstring file = path.substr(path.find_last_of(L"\\/") + 1);
    const std::wstring type_library = L"TypeLib\\" + guid_text(library->libid());
    check(key_exists(HKEY_CLASSES_ROOT, type_library) == present, type_library + (present ? L" missing" : L" left"));
    for (const ClassInfo& info : library->classes()) {
      const std::wstring progid = library->name() + L"." + info.name;
      const std::wstring clsid = L"CLSID\\" + guid_text(info.clsid);
      const std::wstring iid = L"Interface\\" + guid_text(info.iid);
      progids += L" " + progid;
      for (const std::wstring& key : {clsid, progid, iid})
        check(key_exists(HKEY_CLASSES_ROOT, key) == present, key + (present ? L" missing" : L" left"));
      if (!present) continue;
      const std::wstring server = value_of(clsid + L"\\InprocServer32");
      check(_wcsicmp(server.c_str(), (installed + L"\\" + file).c_str()) == 0, progid + L" served by " + server);
      check(value_of(clsid + L"\\InprocServer32", L"ThreadingModel") == L"Apartment", progid + L" threading model");
      check(value_of(progid + L"\\Clsid") == guid_text(info.clsid), progid + L" names its class");
      for (const wchar_t* category : {kSafeForScripting, kSafeForInitialising})
        check(!key_exists(HKEY_CLASSES_ROOT, clsid + L"\\Implemented Categories\\" + category),
              progid + L" is marked safe " + category);
    }
  }
  // The uninstaller's entry lives in the 64-bit view, seen from either bitness.
  check(key_exists(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_64KEY) == present, std::wstring(L"uninstall entry ") + (present ? L"missing" : L"left"));
  CoUninitialize();
  printf("progids:%s\n", narrow(progids).c_str());
  printf("registry probe (%s): %d passed, %d failed\n", present ? "present" : "absent", passed, failed);
  return failed == 0 && passed > 0 ? 0 : 1;
}
