// WindowsType, WorkTime, WindowsWorkState, WindowsWorkRegion, GetSystemDirs,
// GetComputerName, GetUserName and MemoryWork: one or two platform calls each,
// the conversions in system_facts.cpp.
#include <shlobj.h>
#include <winnetwk.h>

#include <array>
#include <memory>

#include "frame/arguments.h"
#include "frame/thread_block.h"
#include "system_facts.h"
#include "tarsen_object.h"

namespace tarsen {

using frame::value_of;

namespace {

// Scratch records of this module, one copy per thread: nothing is carried
// from one call to the next.
struct Scratch {
  std::array<wchar_t, MAX_PATH + 1> path{};
  MEMORYSTATUSEX memory{};
};
FRAME_PER_THREAD Scratch t_scratch{};

struct TaskMemoryFree {
  void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};
using ItemList = std::unique_ptr<ITEMIDLIST, TaskMemoryFree>;

// The folder getters read the wide forms: a path that the code page cannot
// hold comes back as it is, never as a "?" text that a later call would read
// as a pattern; and a path of MAX_PATH characters fits its buffer whatever
// number of bytes the code page needs for it.

// The path of a shell special folder; the empty text when the shell has none.
std::wstring special_folder_path(int csidl) {
  ITEMIDLIST* raw = nullptr;
  HRESULT status = SHGetSpecialFolderLocation(nullptr, csidl, &raw);
  ItemList list(raw);
  if (status != S_OK) return {};
  auto& buffer = frame::per_thread(t_scratch).path;
  buffer.fill(L'\0');
  SHGetPathFromIDListW(list.get(), buffer.data());
  return std::wstring(frame::wide(trim_at_nul(frame::u16(std::wstring_view(buffer.data(), MAX_PATH)))));
}

// The Windows, system or temporary directory. A call that wrote nothing into
// the 256-character buffer gives the empty text.
std::wstring system_folder_path(FolderSource which) {
  std::wstring buffer(256, L' ');
  switch (which) {
    case FolderSource::Windows: GetWindowsDirectoryW(buffer.data(), 256); break;
    case FolderSource::System: GetSystemDirectoryW(buffer.data(), 256); break;
    case FolderSource::Temp: GetTempPathW(256, buffer.data()); break;
    default: return {};
  }
  size_t end = buffer.find(L'\0');
  return end == std::wstring::npos ? std::wstring() : buffer.substr(0, end);
}

MemoryReading read_memory() {
  MEMORYSTATUSEX& record = frame::per_thread(t_scratch).memory;
  record = {};
  record.dwLength = sizeof record;
  GlobalMemoryStatusEx(&record);
  return {record.ullTotalPhys, record.ullAvailPhys, record.ullTotalPageFile, record.ullAvailPageFile};
}

}  // namespace

STDMETHODIMP TarsenObject::WindowsType(short* result) {
  return run(result, []() -> short {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = 148;
    // The 98 and Me test first, then the NT test on a second reading.
    GetVersionExA(&version);
    if (windows_type_code(version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion) == 1) return 1;
    version = {};
    version.dwOSVersionInfoSize = 148;
    GetVersionExA(&version);
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT ? 2 : 0;
  });
}

STDMETHODIMP TarsenObject::WorkTime(long* result) {
  return run(result, [] { return work_time_seconds(GetTickCount64()); });
}

STDMETHODIMP TarsenObject::WindowsWorkState(short* result) {
  return run(result, [] { return work_state_code(GetSystemMetrics(SM_CLEANBOOT)); });
}

STDMETHODIMP TarsenObject::WindowsWorkRegion(short* Mode, short* result) {
  return run(result, [&] {
    RECT area{};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 1, &area, 0)) area = {};
    return work_region_edge(value_of(Mode), area.bottom, area.right);
  });
}

STDMETHODIMP TarsenObject::GetSystemDirs(SystemFolders* Mode, short* Slash, BSTR* result) {
  return run(result, [&] {
    std::wstring suffix(frame::wide(folder_suffix(value_of(Slash))));
    FolderChoice choice = folder_for_mode(value_of(Mode));
    std::wstring path;
    switch (choice.source) {
      case FolderSource::None: return std::wstring();
      case FolderSource::Special: path = special_folder_path(choice.csidl); break;
      default: path = system_folder_path(choice.source); break;
    }
    return path + suffix;
  });
}

STDMETHODIMP TarsenObject::GetComputerName(BSTR* result) {
  // The names in their wide forms, as the folders: exact, and 255 characters
  // whatever the code page needs in bytes.
  return run(result, []() -> std::wstring {
    std::wstring buffer(255, L'\0');
    DWORD size = 255;
    if (!::GetComputerNameW(buffer.data(), &size)) return {};
    return std::wstring(frame::wide(trim_at_nul(frame::u16(buffer))));
  });
}

STDMETHODIMP TarsenObject::GetUserName(BSTR* result) {
  return run(result, [] {
    std::wstring buffer(255, L' ');
    DWORD length = 255;
    WNetGetUserW(nullptr, buffer.data(), &length);
    // A buffer the call did not write into holds no NUL: no name.
    size_t end = buffer.find(L'\0');
    return end == std::wstring::npos ? std::wstring() : buffer.substr(0, end);
  });
}

STDMETHODIMP TarsenObject::MemoryWork(mMemory* Mode, double* result) {
  return run(result, [&] { return memory_figure(value_of(Mode), read_memory); });
}

}  // namespace tarsen
