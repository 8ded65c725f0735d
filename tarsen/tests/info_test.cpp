// The system facts against what the platform itself reports.
#include <shlobj.h>

#include <cmath>

#include "tarsen_client.h"

namespace tarsen_test {
namespace {

std::wstring system_dirs(_Tarsen* tarsen, LONG mode, short slash) {
  const short given_slash = slash;
  auto folder = static_cast<SystemFolders>(mode);
  StringVar result;
  EXPECT_EQ(tarsen->GetSystemDirs(&folder, &slash, result.put()), S_OK) << mode;
  EXPECT_EQ(folder, static_cast<SystemFolders>(mode)) << "Mode is not written";
  EXPECT_EQ(slash, given_slash) << "Slash is not written";
  return result.text();
}

std::wstring cut(const char* buffer) { return from_ansi(buffer); }

using InfoTest = TarsenTest;

TEST_F(InfoTest, EverySpecialFolderWithEachSlash) {
  const int csidl[] = {25, 0, 6, 23, 2, 24, 7, 22, 11, 20, 19, 5, 27, 8, 9, 21};
  for (LONG mode = 0; mode < 16; ++mode) {
    // The shell's own answer for that folder's item list (empty when it has none).
    std::wstring expected;
    ITEMIDLIST* list = nullptr;
    if (SHGetSpecialFolderLocation(nullptr, csidl[mode], &list) == S_OK) {
      wchar_t path[MAX_PATH] = {};
      SHGetPathFromIDListW(list, path);
      expected = path;
      CoTaskMemFree(list);
    }
    EXPECT_EQ(system_dirs(tarsen.get(), mode, 1), expected + L"\\") << mode;
    EXPECT_EQ(system_dirs(tarsen.get(), mode, 0), expected) << mode;
    EXPECT_EQ(system_dirs(tarsen.get(), mode, -1), expected) << mode;
  }
}

TEST_F(InfoTest, SystemDirectoriesAndModesThatAreNoMember) {
  char windows[MAX_PATH] = {}, system[MAX_PATH] = {}, temp[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  GetSystemDirectoryA(system, MAX_PATH);
  GetTempPathA(MAX_PATH, temp);
  struct Case { LONG mode; std::wstring path; };
  const Case cases[] = {{18, cut(windows)}, {19, cut(system)}, {16, cut(temp)}};
  for (const auto& c : cases) {
    ASSERT_FALSE(c.path.empty());
    EXPECT_EQ(system_dirs(tarsen.get(), c.mode, 1), c.path + L"\\") << c.mode;
    EXPECT_EQ(system_dirs(tarsen.get(), c.mode, 0), c.path) << c.mode;
    EXPECT_EQ(system_dirs(tarsen.get(), c.mode, -1), c.path) << c.mode;
    EXPECT_EQ(system_dirs(tarsen.get(), c.mode, 2), c.path) << c.mode;
  }
  std::wstring temp_slashed = system_dirs(tarsen.get(), 16, 1);
  EXPECT_EQ(temp_slashed.substr(temp_slashed.size() - 2), L"\\\\");
  for (LONG mode : {17, -1, 20, 1000})
    for (short slash : {1, 0, -1}) EXPECT_EQ(system_dirs(tarsen.get(), mode, slash), L"") << mode << " " << slash;
}

// Runs once per code page (the CodePage* runs). A folder path comes back
// as it is: never as a "?" text where the code page lacks a letter of it,
// and never cut or lost where it takes more bytes than characters.
using CodePageInfoTest = TarsenTest;

TEST_F(CodePageInfoTest, FolderPathsComeBackExactly) {
  PageLetters letters = page_letters();
  wchar_t previous[MAX_PATH] = {};
  DWORD had = GetEnvironmentVariableW(L"TMP", previous, MAX_PATH);
  // 200 characters: in a double-byte or UTF-8 code page more than the 256
  // bytes an 8-bit buffer would have.
  for (std::wstring name : {L"C:\\t" + letters.lacking, L"C:\\" + std::wstring(200, letters.held[0])}) {
    ASSERT_TRUE(SetEnvironmentVariableW(L"TMP", name.c_str()));
    EXPECT_EQ(system_dirs(tarsen.get(), 16, 0), name + L"\\") << name.size();
    EXPECT_EQ(system_dirs(tarsen.get(), 16, 1), name + L"\\\\") << name.size();
  }
  SetEnvironmentVariableW(L"TMP", had ? previous : nullptr);
}

TEST_F(InfoTest, WindowsTypeStateAndUptime) {
  short type = -5;
  EXPECT_EQ(tarsen->WindowsType(&type), S_OK);
  EXPECT_EQ(type, 2);
  short state = -5;
  EXPECT_EQ(tarsen->WindowsWorkState(&state), S_OK);
  int metric = GetSystemMetrics(SM_CLEANBOOT);
  EXPECT_EQ(state, metric == 1 ? 2 : metric == 2 ? 3 : 1);
  ULONGLONG before = GetTickCount64();
  long seconds = -5;
  EXPECT_EQ(tarsen->WorkTime(&seconds), S_OK);
  ULONGLONG after = GetTickCount64();
  EXPECT_GE(seconds, static_cast<long>((before + 500) / 1000));
  EXPECT_LE(seconds, static_cast<long>((after + 500) / 1000));
}

TEST_F(InfoTest, WorkRegionEdges) {
  RECT area{};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
  struct Case { short mode; long expected; };
  const Case cases[] = {{1, area.bottom}, {2, area.right}, {3, 0}, {0, 0}, {-1, 0}};
  for (const auto& c : cases) {
    short mode = c.mode, edge = -5;
    EXPECT_EQ(tarsen->WindowsWorkRegion(&mode, &edge), S_OK);
    EXPECT_EQ(edge, c.expected) << c.mode;
    EXPECT_EQ(mode, c.mode);
  }
}

TEST_F(InfoTest, ComputerAndUserName) {
  char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof computer;
  ASSERT_TRUE(GetComputerNameA(computer, &size));
  StringVar name;
  EXPECT_EQ(tarsen->GetComputerName(name.put()), S_OK);
  EXPECT_EQ(name.text(), cut(computer));
  EXPECT_FALSE(name.text().empty());

  char user[256] = {};
  DWORD length = sizeof user;
  ASSERT_TRUE(GetUserNameA(user, &length));
  StringVar user_name;
  EXPECT_EQ(tarsen->GetUserName(user_name.put()), S_OK);
  EXPECT_EQ(user_name.text(), cut(user));
  EXPECT_FALSE(user_name.text().empty());
}

double memory(_Tarsen* tarsen, LONG mode) {
  auto which = static_cast<mMemory>(mode);
  double figure = -5;
  EXPECT_EQ(tarsen->MemoryWork(&which, &figure), S_OK) << mode;
  return figure;
}

TEST_F(InfoTest, MemoryFigures) {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  ASSERT_TRUE(GlobalMemoryStatusEx(&status));
  const double mb = 1048576.0;
  // Totals do not move while the test runs; each figure is its field in
  // megabytes, two decimals.
  double physical = memory(tarsen.get(), 7), page_file = memory(tarsen.get(), 4);
  EXPECT_NEAR(physical, status.ullTotalPhys / mb, 0.005);
  EXPECT_NEAR(page_file, status.ullTotalPageFile / mb, 0.005);
  EXPECT_NEAR(physical * 100, std::round(physical * 100), 1e-6) << "two decimals";
  EXPECT_EQ(memory(tarsen.get(), 6), physical + page_file);
  EXPECT_GT(physical, 0);
  // The available figures move: the sum must hold for one of a few tries.
  bool sum_held = false;
  for (int attempt = 0; attempt < 20 && !sum_held; ++attempt) {
    double page = memory(tarsen.get(), 2), phys = memory(tarsen.get(), 3);
    double both = memory(tarsen.get(), 1);
    double page_again = memory(tarsen.get(), 2), phys_again = memory(tarsen.get(), 3);
    sum_held = page == page_again && phys == phys_again && both == page + phys;
  }
  EXPECT_TRUE(sum_held);
  double percent = memory(tarsen.get(), 5);
  EXPECT_GE(percent, 0);
  EXPECT_LE(percent, 100);
  EXPECT_EQ(percent, std::floor(percent));
  double expected = (memory(tarsen.get(), 1) / memory(tarsen.get(), 6)) * 100;
  EXPECT_NEAR(percent, expected, 1.0);
  for (LONG mode : {0, 8, -1, 100}) EXPECT_EQ(memory(tarsen.get(), mode), 0) << mode;
}

}  // namespace
}  // namespace tarsen_test
