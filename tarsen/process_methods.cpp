// WinLogOff, ApletList, ApletShell, StartAndWait, GetRegystredFileTypes,
// ProcessList, KillProcess and MSOfficeComponents.
#include <windows.h>
#include <tlhelp32.h>

#include <optional>
#include <string>

// The 8-bit forms of the process walk: the platform's headers map these names
// to the wide forms when building for Unicode.
#undef Process32First
#undef Process32Next
using ProcessEntryA = tagPROCESSENTRY32;
// The records' sizes as 32-bit hosts know them; the x64 build uses the SDK's.
constexpr bool kIs32Bit = sizeof(void*) == 4;
static_assert(sizeof(ProcessEntryA) == (kIs32Bit ? 296 : 304));
static_assert(sizeof(STARTUPINFOA) == (kIs32Bit ? 68 : 104));

#include "frame/ansi_text.h"
#include "frame/arguments.h"
#include "frame/arguments.h"
#include "lower_case.h"
#include "frame/host_object.h"
#include "frame/runtime_error.h"
#include "process_rules.h"
#include "system_facts.h"
#include "tarsen_object.h"

namespace tarsen {

using frame::value_of;

namespace {

using frame::AnsiText;
using frame::HostObject;

// A failure status of one of our own members, called as any client would:
// its run-time error becomes this method's error.
[[noreturn]] void raise_inner_failure(HRESULT status) {
  if (HRESULT_FACILITY(status) == FACILITY_CONTROL) frame::raise(HRESULT_CODE(status));
  throw frame::HostError{status, {}, {}};
}

// Starts a command line without waiting for it; the process and thread
// handles are closed at once. False when the program cannot be started, and
// for a command line that the code page cannot hold: its "?" would reach the
// program (and the files it names) as a pattern.
bool start_program(std::wstring_view command_line, WORD show) {
  std::optional<AnsiText> exact = frame::exact_ansi(command_line);
  if (!exact) return false;
  AnsiText& line = *exact;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = show;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
    return false;
  frame::Handle process(started.hProcess), thread(started.hThread);
  return true;
}

// Text of a registry value: the value without its NUL, or the empty text
// when it cannot be read. The root travels as a Long, as the predefined
// keys do; it is sign-extended back to pointer width.
std::wstring read_registry_text(long root, std::wstring_view sub_key, std::wstring_view value_name) {
  constexpr DWORD kRoom = 255;
  // Everything that can fail on memory is made before the key is opened, so
  // nothing between the open and the close can leave the key open.
  std::string buffer(kRoom, ' ');
  AnsiText key_name(sub_key), name(value_name);
  HKEY key = nullptr;
  if (RegOpenKeyA(frame::handle_of<HKEY>(root), key_name.c_str(), &key) != ERROR_SUCCESS)
    return {};
  DWORD type = REG_EXPAND_SZ, length = kRoom;
  LONG status = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &length);
  std::uint32_t characters = registry_text_length(status, length, kRoom);
  LONG closed = RegCloseKey(key);
  std::wstring text = AnsiText::decode(std::string_view(buffer).substr(0, characters));
  if (closed != ERROR_SUCCESS) {
    std::wstring message = L"RegCloseKey Failed: " + key_name.wide();
    MessageBoxW(nullptr, message.c_str(), nullptr, MB_OK | MB_ICONERROR);
  }
  return text;
}

}  // namespace

STDMETHODIMP TarsenObject::WinLogOff() {
  // Each step runs whatever the one before it answered.
  return run_void([] {
    frame::Handle token;
    OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, token.put());
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    DWORD returned = 0;
    AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, &returned);
    ExitWindowsEx(EWX_LOGOFF, 0);
  });
}

STDMETHODIMP TarsenObject::ApletList(IDispatch** FileListBox) {
  return run_void([&] {
    HostObject box(FileListBox);
    frame::Bstr pattern(L"*.cpl");
    box.put(L"Pattern", HostObject::text_value(pattern.get()));
    // The system directory, asked of this instance through its interface.
    frame::ComPtr<_Tarsen> self(this);
    SystemFolders mode = System32;
    short slash = 0;
    frame::Variant path;  // owns the text the call returns
    V_VT(path.get()) = VT_BSTR;
    V_BSTR(path.get()) = nullptr;
    HRESULT status = self->GetSystemDirs(&mode, &slash, &V_BSTR(path.get()));
    if (FAILED(status)) raise_inner_failure(status);
    box.put(L"FileName", *path.get());
  });
}

STDMETHODIMP TarsenObject::ApletShell(BSTR* FileName) {
  return run_void([&] {
    std::u16string line = applet_command_line(frame::u16(frame::text_of(FileName)));
    if (!start_program(frame::wide(line), SW_SHOWNORMAL)) frame::raise(frame::kFileNotFound);
  });
}

STDMETHODIMP TarsenObject::StartAndWait(BSTR* FilePath) {
  return run_void([&] {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;  // 68 on x86, 104 on x64
    PROCESS_INFORMATION started{};
    // A command line that the code page cannot hold is not run: its "?"
    // would reach the program as a pattern ("del ?????.txt" deletes every
    // five-letter name), and the variable keeps the caller's text.
    std::optional<BOOL> created = frame::with_exact_ansi(FilePath, [&](char* command_line) {
      return CreateProcessA(nullptr, command_line, nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                            &startup, &started);
    });
    frame::Handle process(started.hProcess), thread(started.hThread);
    // Nothing to wait for and no result to report it in: the error says it.
    if (!created || !*created) frame::raise(frame::kFileNotFound);
    // The caller's thread blocks here; its messages wait until the program ends.
    WaitForSingleObject(process.get(), INFINITE);
  });
}

STDMETHODIMP TarsenObject::GetRegystredFileTypes(IDispatch** Box) {
  return run_void([&] {
    HostObject box(Box);
    frame::RegKey classes;
    RegOpenKeyA(HKEY_CLASSES_ROOT, "", classes.put());
    for (std::int32_t index = 0;; ++index) {
      // A key name has up to 255 characters, which a double-byte or UTF-8
      // code page may need twice or three times as many bytes for: the
      // 8-bit walk would end at such a key. The wide form also gives names
      // that the code page cannot hold as they are, not as "?".
      std::wstring buffer(256, L' ');
      if (RegEnumKeyW(classes.get(), static_cast<DWORD>(index), buffer.data(), 256) != ERROR_SUCCESS) break;
      std::wstring name(frame::wide(trim_at_nul(frame::u16(buffer))));
      if (auto extension = extension_of_class_key(frame::u16(name))) {
        frame::Bstr item(lower_case(std::wstring(frame::wide(*extension))));
        box.call(L"AddItem", {HostObject::text_value(item.get())});
      }
      if (index == INT32_MAX) frame::raise(frame::kOverflow);
    }
  });
}

STDMETHODIMP TarsenObject::ProcessList(IDispatch** Box) {
  return run_void([&] {
    HostObject box(Box);
    box.call(L"Clear");
    frame::Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    ProcessEntryA entry{};
    entry.dwSize = sizeof entry;  // 296 on x86, 304 on x64
    for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
      // The whole name field; the list keeps the text before its first NUL.
      frame::Bstr name(AnsiText::decode(std::string_view(entry.szExeFile, sizeof entry.szExeFile)));
      box.call(L"AddItem", {HostObject::text_value(name.get())});
      long index = box.get_long(L"NewIndex");
      box.put(L"ItemData", HostObject::long_value(index), HostObject::long_value(static_cast<long>(entry.th32ProcessID)));
    }
  });
}

STDMETHODIMP TarsenObject::KillProcess(long* ListItem, VARIANT_BOOL* result) {
  return run(result, [&] {
    frame::Handle process(OpenProcess(0x1F0FFF, TRUE, static_cast<DWORD>(value_of(ListItem))));
    // A process that cannot be opened or ended is reported as false.
    if (!process) return false;
    return TerminateProcess(process.get(), 0) != FALSE;
  });
}

STDMETHODIMP TarsenObject::MSOfficeComponents(MSOffise* Component, VARIANT_BOOL* result) {
  return run(result, [&] {
    auto key = office_version_key(value_of(Component));
    if (!key) return false;
    std::wstring key_name(key->begin(), key->end());
    return !read_registry_text(frame::long_of(HKEY_CLASSES_ROOT), key_name, L"").empty();
  });
}

}  // namespace tarsen
