// Self-registration, for the machine (DllRegisterServer) or for the user
// (DllInstall "user"). Both bitnesses of a library may be registered side by
// side: the CLSID and Interface keys live in each bitness's own registry
// view, while the ProgID and the type library's keys are shared. So
// unregistration removes what is its own and a shared key only when nothing
// registered still needs it, and a copy of the DLL that is not the registered
// one removes nothing at all. "Its own" is decided by the file's identity, not
// by the text of its path: the registry may name the file by another spelling
// than the one this DLL was loaded by.
#include "registration.h"

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "owners.h"
#include "server.h"
#include "server_identity.h"

namespace frame {

namespace {

constexpr wchar_t kAutomationMarshaller[] = L"{00020424-0000-0000-C000-000000000046}";
constexpr bool kIs64Bit = sizeof(void*) == 8;
// This DLL's registry view and the other bitness's (the same on a system
// without the 32-bit subsystem, where the flag is ignored).
constexpr REGSAM kOwnView = kIs64Bit ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
constexpr REGSAM kOtherView = kIs64Bit ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
constexpr const wchar_t* kOwnPlatform = kIs64Bit ? L"win64" : L"win32";
constexpr const wchar_t* kOtherPlatform = kIs64Bit ? L"win32" : L"win64";

std::wstring guid_text(const GUID& guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

// The type library's version as its registry key names it (hexadecimal).
std::wstring typelib_version_key(const LibraryIdentity& library) {
  wchar_t text[16] = {};
  swprintf(text, 16, L"%x.%x", library.major_version, library.minor_version);
  return text;
}

bool same_text(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// A path without the \\?\ prefix, full and in its long form where the file
// exists: the text by which a file that is gone is compared.
std::wstring plain_path(std::wstring path) {
  if (path.rfind(L"\\\\?\\UNC\\", 0) == 0)
    path = L"\\\\" + path.substr(8);
  else if (path.rfind(L"\\\\?\\", 0) == 0)
    path = path.substr(4);
  std::wstring full(32768, L'\0'), long_form(32768, L'\0');
  DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length == 0 || length >= full.size()) return path;
  full.resize(length);
  length = GetLongPathNameW(full.c_str(), long_form.data(), static_cast<DWORD>(long_form.size()));
  return length > 0 && length < long_form.size() ? long_form.substr(0, length) : full;
}

// Whether two paths name the same file. Both files there: the same volume and
// file index, whatever the spelling (a short name, other letter case, the
// \\?\ prefix, another drive letter for the same folder), while a copy of the
// same name elsewhere is another file. A file that is gone: the same full
// long path.
bool same_file(const std::wstring& a, const std::wstring& b) {
  auto identity = [](const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
    Handle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file && GetFileInformationByHandle(file.get(), &info);
  };
  if (a.empty() || b.empty()) return false;
  BY_HANDLE_FILE_INFORMATION first{}, second{};
  if (identity(a, first) && identity(b, second))
    return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber && first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
  return same_text(plain_path(a), plain_path(b));
}

// The path by which this process opens the file that the other bitness's
// loader reads from `path`; empty where that loader reads it as we do (no
// redirected folder, or 32-bit Windows, which has one bitness only).
std::wstring other_bitness_path(const std::wstring& path) {
  BOOL wow64 = FALSE;
  if (path.empty() || (!kIs64Bit && (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64))) return {};
  wchar_t windows[MAX_PATH + 1] = {};
  const UINT length = GetSystemWindowsDirectoryW(windows, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return {};
  std::wstring folder(windows, length);
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  const std::wstring full = plain_path(path);
  const std::u16string reading = other_bitness_reading(
      std::u16string_view(reinterpret_cast<const char16_t*>(full.data()), full.size()),
      std::u16string_view(reinterpret_cast<const char16_t*>(folder.data()), folder.size()), kIs64Bit);
  return std::wstring(reinterpret_cast<const wchar_t*>(reading.data()), reading.size());
}

// Whose a class key's server path is. The user's classes may be one view
// for both bitnesses, and a path under System32 names the x64 file for a
// 64-bit host and the x86 file for a 32-bit one: the x86 DLL must not take
// the x64 registration of System32\X.dll for its own SysWOW64\X.dll.
KeyOwner server_owner(Scope scope, const std::wstring& server, const std::wstring& path, const std::wstring& other_entry) {
  const std::wstring other_reading = other_bitness_path(server);
  const std::wstring other_entry_reading = other_bitness_path(other_entry);
  ServerFacts facts{};
  facts.shared_view = scope == Scope::user;
  facts.names_me = same_file(server, path);
  facts.read_differently = !other_reading.empty();
  facts.other_reading_names_me = facts.read_differently && same_file(other_reading, path);
  facts.names_other_bitness =
      !other_entry.empty() && same_file(other_reading.empty() ? server : other_reading,
                                        other_entry_reading.empty() ? other_entry : other_entry_reading);
  return class_key_owner(facts);
}

// The classes' root of one scope: HKLM\Software\Classes for the machine (not
// the merged HKEY_CLASSES_ROOT, whose writes could land in the user's part),
// HKCU\Software\Classes for the user.
struct ClassesRoot {
  HKEY hive;
  std::wstring path(const std::wstring& key) const { return L"Software\\Classes\\" + key; }

  // The text of a value, or nothing when the key or the value is missing.
  std::wstring read(REGSAM view, const std::wstring& key, const wchar_t* name = nullptr) const {
    RegKey handle;
    if (RegOpenKeyExW(hive, path(key).c_str(), 0, KEY_QUERY_VALUE | view, handle.put()) != ERROR_SUCCESS) return {};
    wchar_t buffer[2048] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t), type = 0;
    if (RegQueryValueExW(handle.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
      return {};
    return buffer;
  }

  bool exists(REGSAM view, const std::wstring& key) const {
    RegKey handle;
    return RegOpenKeyExW(hive, path(key).c_str(), 0, KEY_READ | view, handle.put()) == ERROR_SUCCESS;
  }

  std::vector<std::wstring> subkeys(REGSAM view, const std::wstring& key) const {
    std::vector<std::wstring> names;
    RegKey handle;
    if (RegOpenKeyExW(hive, path(key).c_str(), 0, KEY_READ | view, handle.put()) != ERROR_SUCCESS) return names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
      DWORD length = std::size(name);
      if (RegEnumKeyExW(handle.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      names.emplace_back(name, length);
    }
    return names;
  }

  // Removes `key` with the subkeys we write under it; a key that still has
  // subkeys of someone else's stays. Missing keys are no failure.
  LSTATUS remove(REGSAM view, const std::wstring& key, std::initializer_list<const wchar_t*> own_subkeys = {}) const {
    for (const wchar_t* subkey : own_subkeys) {
      LSTATUS status = RegDeleteKeyExW(hive, path(key + L"\\" + subkey).c_str(), view, 0);
      if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return status;
    }
    if (!subkeys(view, key).empty()) return ERROR_SUCCESS;
    LSTATUS status = RegDeleteKeyExW(hive, path(key).c_str(), view, 0);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
  }
};

ClassesRoot classes_root(Scope scope) { return {scope == Scope::machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER}; }

// Writes registry values in this DLL's own view and remembers what it
// changed, so that a registration that fails half-way can be undone: the keys
// it created go again and the values it overwrote get their old data back.
class RegistryWriter {
 public:
  explicit RegistryWriter(const ClassesRoot& root) : root_(root) {}
  RegistryWriter(const RegistryWriter&) = delete;
  RegistryWriter& operator=(const RegistryWriter&) = delete;
  ~RegistryWriter() {
    if (!committed_) roll_back();
  }

  LSTATUS set(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    RegKey handle;
    LSTATUS status = create(key, handle);
    if (status != ERROR_SUCCESS) return status;
    OldValue old{key, name ? name : L"", false, 0, {}};
    DWORD size = 0;
    if (RegQueryValueExW(handle.get(), name, nullptr, &old.type, nullptr, &size) == ERROR_SUCCESS) {
      old.existed = true;
      old.data.resize(size);
      RegQueryValueExW(handle.get(), name, nullptr, &old.type, old.data.data(), &size);
    }
    status = RegSetValueExW(handle.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    if (status == ERROR_SUCCESS) old_values_.push_back(std::move(old));
    return status;
  }

  void commit() { committed_ = true; }

 private:
  struct OldValue {
    std::wstring key, name;
    bool existed;
    DWORD type;
    std::vector<BYTE> data;
  };

  // Opens `key`, creating it one level at a time so that each key that did
  // not exist before is known.
  LSTATUS create(const std::wstring& key, RegKey& handle) {
    size_t end = 0;
    do {
      end = key.find(L'\\', end + 1);
      const std::wstring part = key.substr(0, end);
      DWORD disposition = 0;
      LSTATUS status = RegCreateKeyExW(root_.hive, root_.path(part).c_str(), 0, nullptr, 0,
                                       KEY_READ | KEY_WRITE | kOwnView, nullptr, handle.put(), &disposition);
      if (status != ERROR_SUCCESS) return status;
      if (disposition == REG_CREATED_NEW_KEY) created_.push_back(part);
    } while (end != std::wstring::npos);
    return ERROR_SUCCESS;
  }

  void roll_back() {
    for (auto old = old_values_.rbegin(); old != old_values_.rend(); ++old) {
      RegKey handle;
      if (RegOpenKeyExW(root_.hive, root_.path(old->key).c_str(), 0, KEY_SET_VALUE | kOwnView, handle.put()) != ERROR_SUCCESS)
        continue;
      const wchar_t* name = old->name.empty() ? nullptr : old->name.c_str();
      if (old->existed)
        RegSetValueExW(handle.get(), name, 0, old->type, old->data.data(), static_cast<DWORD>(old->data.size()));
      else
        RegDeleteValueW(handle.get(), name);
    }
    for (auto key = created_.rbegin(); key != created_.rend(); ++key)
      RegDeleteKeyExW(root_.hive, root_.path(*key).c_str(), kOwnView, 0);
  }

  const ClassesRoot& root_;
  std::vector<std::wstring> created_;
  std::vector<OldValue> old_values_;
  bool committed_ = false;
};

struct TypeLibraryFacts {
  std::wstring description;  // the help string, or the name when it has none
  std::wstring flags;
};

HRESULT read_type_library(const std::wstring& path, TypeLibraryFacts& facts) {
  ComPtr<ITypeLib> type_library;
  HRESULT status = LoadTypeLibEx(path.c_str(), REGKIND_NONE, type_library.put());
  if (FAILED(status)) return status;
  BSTR raw_name = nullptr, raw_help = nullptr;
  status = type_library->GetDocumentation(-1, &raw_name, &raw_help, nullptr, nullptr);
  if (FAILED(status)) return status;
  const std::unique_ptr<OLECHAR, decltype(&SysFreeString)> name(raw_name, SysFreeString), help(raw_help, SysFreeString);
  TLIBATTR* attributes = nullptr;
  status = type_library->GetLibAttr(&attributes);
  if (FAILED(status)) return status;
  facts.flags = std::to_wstring(attributes->wLibFlags);
  type_library->ReleaseTLibAttr(attributes);
  facts.description = std::wstring(text_of(SysStringLen(help.get()) > 0 ? help.get() : name.get()));
  return S_OK;
}

std::wstring folder_of(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

}  // namespace

HRESULT register_library(Scope scope) {
  const LibraryIdentity& library = library_identity();
  const ClassesRoot root = classes_root(scope);
  const std::wstring path = module_path();
  const std::wstring libid = guid_text(*library.libid);
  const std::wstring decimal_version = std::to_wstring(library.major_version) + L"." + std::to_wstring(library.minor_version);
  const std::wstring typelib_key = L"TypeLib\\" + libid + L"\\" + typelib_version_key(library);
  TypeLibraryFacts facts;
  HRESULT status = read_type_library(path, facts);
  if (FAILED(status)) return status;

  struct Value {
    std::wstring key;
    const wchar_t* name;
    std::wstring data;
  };
  std::vector<Value> values;
  for (size_t i = 0; i < library.class_count; ++i) {
    const ClassEntry& entry = library.classes[i];
    const std::wstring clsid = guid_text(*entry.clsid), clsid_key = L"CLSID\\" + clsid;
    const std::wstring iid_key = L"Interface\\" + guid_text(*entry.iid);
    values.insert(values.end(), {
        {clsid_key, nullptr, entry.prog_id},
        {clsid_key + L"\\InprocServer32", nullptr, path},
        {clsid_key + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {clsid_key + L"\\ProgID", nullptr, entry.prog_id},
        {clsid_key + L"\\TypeLib", nullptr, libid},
        {clsid_key + L"\\VERSION", nullptr, decimal_version},
        {entry.prog_id, nullptr, entry.prog_id},
        {std::wstring(entry.prog_id) + L"\\Clsid", nullptr, clsid},
        // Each dual interface goes through the standard automation marshaller.
        {iid_key, nullptr, entry.interface_name},
        {iid_key + L"\\ProxyStubClsid", nullptr, kAutomationMarshaller},
        {iid_key + L"\\ProxyStubClsid32", nullptr, kAutomationMarshaller},
        {iid_key + L"\\TypeLib", nullptr, libid},
        {iid_key + L"\\TypeLib", L"Version", typelib_version_key(library)},
    });
  }
  values.insert(values.end(), {
      {typelib_key, nullptr, facts.description},
      {typelib_key + L"\\0\\" + kOwnPlatform, nullptr, path},
      {typelib_key + L"\\FLAGS", nullptr, facts.flags},
      {typelib_key + L"\\HELPDIR", nullptr, folder_of(path)},
  });

  RegistryWriter writer(root);
  for (const Value& value : values) {
    LSTATUS result = writer.set(value.key, value.name, value.data);
    if (result != ERROR_SUCCESS) return HRESULT_FROM_WIN32(result);
  }
  writer.commit();
  return S_OK;
}

HRESULT unregister_library(Scope scope) {
  const LibraryIdentity& library = library_identity();
  const ClassesRoot root = classes_root(scope);
  const std::wstring path = module_path();
  const std::wstring libid = guid_text(*library.libid);
  const std::wstring version_key = L"TypeLib\\" + libid + L"\\" + typelib_version_key(library);
  const std::wstring other_platform_path = root.read(kOwnView, version_key + L"\\0\\" + kOtherPlatform);

  // Which classes this DLL may remove. Another copy of the same bitness that
  // is registered keeps its registration: we remove nothing. A class whose
  // key names the other bitness's server (where the user's classes are one
  // view for both bitnesses) stays for the other bitness.
  std::vector<bool> own_class(library.class_count, false);
  for (size_t i = 0; i < library.class_count; ++i) {
    const std::wstring server = root.read(kOwnView, L"CLSID\\" + guid_text(*library.classes[i].clsid) + L"\\InprocServer32");
    const KeyOwner owner = server.empty() ? KeyOwner::mine : server_owner(scope, server, path, other_platform_path);
    if (owner == KeyOwner::someone_else) return S_OK;
    own_class[i] = owner == KeyOwner::mine;
  }

  LSTATUS status = ERROR_SUCCESS;
  auto keep_first_failure = [&status](LSTATUS result) {
    if (status == ERROR_SUCCESS) status = result;
  };
  for (size_t i = 0; i < library.class_count; ++i) {
    if (!own_class[i]) continue;
    const ClassEntry& entry = library.classes[i];
    const std::wstring clsid = guid_text(*entry.clsid), clsid_key = L"CLSID\\" + clsid;
    const std::wstring iid_key = L"Interface\\" + guid_text(*entry.iid);
    keep_first_failure(root.remove(kOwnView, clsid_key, {L"InprocServer32", L"ProgID", L"TypeLib", L"VERSION"}));
    if (same_text(root.read(kOwnView, iid_key + L"\\TypeLib"), libid))
      keep_first_failure(root.remove(kOwnView, iid_key, {L"ProxyStubClsid", L"ProxyStubClsid32", L"TypeLib"}));
    // The ProgID is shared by both views: it goes with the last class entry.
    if (same_text(root.read(kOwnView, std::wstring(entry.prog_id) + L"\\Clsid"), clsid) &&
        root.read(kOtherView, clsid_key + L"\\InprocServer32").empty() &&
        root.read(kOwnView, clsid_key + L"\\InprocServer32").empty())
      keep_first_failure(root.remove(kOwnView, entry.prog_id, {L"Clsid"}));
  }

  // Our own platform's entry of the type library, if it names this file; the
  // version and the library keys only when no other entry is left in them.
  const std::wstring own_entry = version_key + L"\\0\\" + kOwnPlatform;
  if (same_file(root.read(kOwnView, own_entry), path)) keep_first_failure(root.remove(kOwnView, own_entry));
  keep_first_failure(root.remove(kOwnView, version_key + L"\\0"));
  bool version_in_use = false;
  for (const std::wstring& subkey : root.subkeys(kOwnView, version_key))
    if (!same_text(subkey, L"FLAGS") && !same_text(subkey, L"HELPDIR")) version_in_use = true;
  if (!version_in_use) keep_first_failure(root.remove(kOwnView, version_key, {L"FLAGS", L"HELPDIR"}));
  keep_first_failure(root.remove(kOwnView, L"TypeLib\\" + libid));
  return HRESULT_FROM_WIN32(status);
}

}  // namespace frame
