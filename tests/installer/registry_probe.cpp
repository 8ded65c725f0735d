// Checks the registration of every library of a folder in the registry view of
// the probe's own bitness (built for x64 and x86, each run on its DLLs), in
// the machine's classes (HKLM\Software\Classes), the user's classes
// (HKCU\Software\Classes) or both, each with its uninstaller entry. For a
// scope given a folder: each class, its ProgID, its interface and its type
// library are registered there, the class and the type library entry of this
// bitness with the server in that folder, and no class is marked safe for
// scripting or initialisation. For a scope given "absent": none of those keys
// is left. Prints the ProgIDs it found.
//   registry_probe <folder with the DLLs> <scope>=<installed folder>|absent...
//     scope: machine | user | user-classes (where the user's class keys point,
//     when not the installed folder: Wine keeps one view of the user's classes
//     for both bitnesses, so they name the bitness registered last)
//   registry_probe short <path>
//     prints the short (8.3) form of a path, as the platform gives it
//   registry_probe hold <folder> <release file>
//     a host that keeps every DLL of the folder loaded, with an instance of
//     each class alive, until the release file appears; prints "holding <n>"
//     once they are all loaded (the installer's upgrade and uninstall then
//     meet DLLs in use, as with a host application that is still running)
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

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

// The classes of one scope in this process's own registry view.
struct Classes {
  HKEY hive;
  std::wstring name;

  std::wstring path(const std::wstring& key) const { return L"Software\\Classes\\" + key; }

  // Whether the key is there, as an answer of the registry: true, false
  // for "not found", and a failed check for any other failure.
  bool exists(const std::wstring& key) const {
    frame::RegKey handle;
    const LSTATUS status = RegOpenKeyExW(hive, path(key).c_str(), 0, KEY_READ, handle.put());
    check(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND,
          key + L" cannot be read (error " + std::to_wstring(status) + L", " + name + L")");
    return status == ERROR_SUCCESS;
  }

  std::wstring value(const std::wstring& key, const wchar_t* value_name = nullptr) const {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueW(hive, path(key).c_str(), value_name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
      return L"<missing>";
    return buffer;
  }

  std::vector<std::wstring> subkeys(const std::wstring& key) const {
    std::vector<std::wstring> names;
    frame::RegKey handle;
    if (RegOpenKeyExW(hive, path(key).c_str(), 0, KEY_READ, handle.put()) != ERROR_SUCCESS) return names;
    wchar_t subkey[256];
    for (DWORD i = 0;; ++i) {
      DWORD length = ARRAYSIZE(subkey);
      if (RegEnumKeyExW(handle.get(), i, subkey, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      names.emplace_back(subkey, length);
    }
    return names;
  }
};

bool same_path(const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) == 0; }

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\AutomationComponentSuite";
constexpr wchar_t kSafeForScripting[] = L"{7DD95801-9882-11CF-9FA9-00AA006C42C4}";
constexpr wchar_t kSafeForInitialising[] = L"{7DD95802-9882-11CF-9FA9-00AA006C42C4}";
#ifdef _WIN64
constexpr wchar_t kTypeLibPlatform[] = L"win64";
#else
constexpr wchar_t kTypeLibPlatform[] = L"win32";
#endif

// installed: the folder the DLLs were installed into, empty for "absent";
// class_folder: where the class keys' servers are.
void probe(const Classes& classes, const std::wstring& folder, const std::wstring& installed,
           const std::wstring& class_folder, std::wstring* progids) {
  const bool present = !installed.empty();
  const std::wstring where = L" (" + classes.name + L")";
  const wchar_t* missing = present ? L" missing" : L" left";
  // "Not there" means something only where the same hive answers for a key
  // that is always there (the user's classes root is made by the first
  // registration for the user).
  frame::RegKey software;
  check(RegOpenKeyExW(classes.hive, L"Software", 0, KEY_READ, software.put()) == ERROR_SUCCESS, L"Software not found" + where);
  int libraries = 0;
  for (const std::wstring& path : dlls_in(folder)) {
    std::wstring why;
    auto library = ServerLibrary::load(path, why);
    if (!library) continue;
    ++libraries;
    const std::wstring file = path.substr(path.find_last_of(L"\\/") + 1);
    const std::wstring type_library = L"TypeLib\\" + guid_text(library->libid());
    check(classes.exists(type_library) == present, type_library + missing + where);
    if (present) {
      // The type library's entry of this bitness, under whichever version it has.
      bool found = false;
      for (const std::wstring& version : classes.subkeys(type_library))
        found |= same_path(classes.value(type_library + L"\\" + version + L"\\0\\" + kTypeLibPlatform), installed + L"\\" + file);
      check(found, type_library + L" " + kTypeLibPlatform + L" entry not " + installed + L"\\" + file + where);
    }
    for (const ClassInfo& info : library->classes()) {
      const std::wstring progid = library->name() + L"." + info.name;
      const std::wstring clsid = L"CLSID\\" + guid_text(info.clsid);
      const std::wstring iid = L"Interface\\" + guid_text(info.iid);
      if (progids) *progids += L" " + progid;
      for (const std::wstring& key : {clsid, progid, iid}) check(classes.exists(key) == present, key + missing + where);
      if (!present) continue;
      const std::wstring server = classes.value(clsid + L"\\InprocServer32");
      check(same_path(server, class_folder + L"\\" + file), progid + L" served by " + server + where);
      check(classes.value(clsid + L"\\InprocServer32", L"ThreadingModel") == L"Apartment", progid + L" threading model" + where);
      check(classes.value(progid + L"\\Clsid") == guid_text(info.clsid), progid + L" names its class" + where);
      for (const wchar_t* category : {kSafeForScripting, kSafeForInitialising})
        check(!classes.exists(clsid + L"\\Implemented Categories\\" + category),
              progid + L" is marked safe " + category + where);
    }
  }
  check(libraries > 0, L"no library in " + folder + where);
  // The uninstaller's entry: the machine's lives in the 64-bit view, seen from either bitness.
  frame::RegKey entry;
  const LSTATUS status = RegOpenKeyExW(classes.hive, kUninstallKey, 0, KEY_READ | KEY_WOW64_64KEY, entry.put());
  check(status == (present ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND), L"uninstall entry" + std::wstring(missing) + where);
}

int hold(const std::wstring& folder, const std::wstring& release) {
  std::vector<std::unique_ptr<ServerLibrary>> libraries;
  std::vector<frame::ComPtr<IUnknown>> instances;
  for (const std::wstring& path : dlls_in(folder)) {
    std::wstring why;
    auto library = ServerLibrary::load(path, why);
    if (!library) {
      printf("hold: %s %s\n", narrow(path).c_str(), narrow(why).c_str());
      return 1;
    }
    for (const ClassInfo& info : library->classes()) {
      frame::ComPtr<IUnknown> instance;
      if (FAILED(library->create(info, IID_IUnknown, reinterpret_cast<void**>(instance.put())))) {
        printf("hold: no instance of %s\n", narrow(info.name).c_str());
        return 1;
      }
      instances.push_back(std::move(instance));
    }
    libraries.push_back(std::move(library));
  }
  printf("holding %zu\n", libraries.size());
  fflush(stdout);
  while (GetFileAttributesW(release.c_str()) == INVALID_FILE_ATTRIBUTES) Sleep(100);
  instances.clear();
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: registry_probe <folder> machine|user|user-classes=<installed folder>|absent...\n");
    return 2;
  }
  if (argc == 3 && std::wstring(argv[1]) == L"short") {
    wchar_t short_path[MAX_PATH] = {};
    const DWORD length = GetShortPathNameW(argv[2], short_path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    printf("%s\n", narrow(short_path).c_str());
    return 0;
  }
  if (argc == 4 && std::wstring(argv[1]) == L"hold") {
    CoInitialize(nullptr);
    const int status = hold(argv[2], argv[3]);
    CoUninitialize();
    return status;
  }
  const std::wstring folder = argv[1];
  std::wstring state[3];  // machine, user, user-classes
  const wchar_t* scopes[3] = {L"machine=", L"user=", L"user-classes="};
  for (int i = 2; i < argc; ++i) {
    const std::wstring arg = argv[i];
    bool known = false;
    for (int s = 0; s < 3; ++s) {
      const size_t length = wcslen(scopes[s]);
      if (arg.compare(0, length, scopes[s]) != 0) continue;
      state[s] = arg.substr(length);
      known = true;
    }
    if (!known || arg.back() == L'=') {
      fprintf(stderr, "registry_probe: unknown argument %s\n", narrow(arg).c_str());
      return 2;
    }
  }
  CoInitialize(nullptr);
  std::wstring progids;
  const Classes machine{HKEY_LOCAL_MACHINE, L"machine"}, user{HKEY_CURRENT_USER, L"user"};
  auto installed = [](const std::wstring& s) { return s == L"absent" ? std::wstring() : s; };
  if (!state[0].empty()) probe(machine, folder, installed(state[0]), installed(state[0]), &progids);
  if (!state[1].empty()) {
    const std::wstring class_folder = state[2].empty() ? installed(state[1]) : state[2];
    probe(user, folder, installed(state[1]), class_folder, state[0].empty() ? &progids : nullptr);
  }
  CoUninitialize();
  printf("progids:%s\n", narrow(progids).c_str());
  printf("registry probe: %d passed, %d failed\n", passed, failed);
  return failed == 0 && passed > 0 ? 0 : 1;
}
