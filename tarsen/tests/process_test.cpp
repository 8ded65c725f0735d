// Log-off's neighbours: applets, programs, processes, registered extensions
// and the office check, with the host's list controls stood in for by a
// logging dispatch object.
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <string>

#include "list_box_double.h"
#include "tarsen_client.h"

namespace tarsen_test {
namespace {

using ProcessTest = TarsenTest;

// A child that lives until it is ended (or a minute has passed).
PROCESS_INFORMATION start_helper(const std::wstring& arguments) {
  std::wstring line = L"\"" + helper_path() + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  EXPECT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started));
  return started;
}

std::wstring temp_file(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + name;
}

TEST_F(ProcessTest, ApletListSetsPatternThenSystemFolder) {
  ListBoxDouble box;
  IDispatch* object = &box;
  EXPECT_EQ(tarsen->ApletList(&object), S_OK);
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  std::vector<std::wstring> expected = {L"put Pattern=*.cpl", L"put FileName=" + from_ansi(system)};
  EXPECT_EQ(box.log, expected);
  EXPECT_EQ(object, &box);
  EXPECT_EQ(box.references, 1u);

  ListBoxDouble refusing;
  refusing.refuse = L"FileName";
  IDispatch* refused = &refusing;
  EXPECT_EQ(tarsen->ApletList(&refused), static_cast<HRESULT>(0x800A01B6));  // 438: no such member
  EXPECT_EQ(refusing.pattern, L"*.cpl") << "what was done stays done";

  IDispatch* none = nullptr;
  EXPECT_EQ(tarsen->ApletList(&none), static_cast<HRESULT>(0x800A005B));  // 91: no object
}

TEST_F(ProcessTest, ProcessListFindsAChildAndKillProcessEndsIt) {
  PROCESS_INFORMATION child = start_helper(L"sleep 60000");
  ListBoxDouble box;
  box.sorted = true;
  box.items = {{L"left over", 7}};
  IDispatch* object = &box;
  ASSERT_EQ(tarsen->ProcessList(&object), S_OK);
  ASSERT_FALSE(box.log.empty());
  EXPECT_EQ(box.log[0], L"Clear");
  // Per process: AddItem, NewIndex, ItemData of that index.
  ASSERT_EQ((box.log.size() - 1) % 3, 0u);
  for (size_t i = 1; i < box.log.size(); i += 3) {
    EXPECT_EQ(box.log[i], L"AddItem");
    EXPECT_EQ(box.log[i + 1], L"get NewIndex");
    EXPECT_EQ(box.log[i + 2].rfind(L"put ItemData(", 0), 0u);
  }
  auto shown = box.shown();
  EXPECT_EQ(std::count(shown.begin(), shown.end(), L"left over"), 0);
  EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end(),
                             [](const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) < 0; }));
  auto found = std::find_if(box.items.begin(), box.items.end(),
                            [&](const ListBoxDouble::Item& item) { return item.data == static_cast<long>(child.dwProcessId); });
  ASSERT_NE(found, box.items.end());
  EXPECT_EQ(found->text.substr(0, found->text.find(L'\0')), L"tarsen_test_helper.exe");
  EXPECT_EQ(found->text.size(), 260u) << "the whole name field";

  long id = found->data;
  VARIANT_BOOL ended = 0;
  EXPECT_EQ(tarsen->KillProcess(&id, &ended), S_OK);
  EXPECT_EQ(ended, VARIANT_TRUE);
  EXPECT_EQ(WaitForSingleObject(child.hProcess, 10000), WAIT_OBJECT_0);
  DWORD code = 99;
  GetExitCodeProcess(child.hProcess, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(child.hProcess);
  CloseHandle(child.hThread);

  // An identifier of no process: nothing to end.
  long nobody = -4;
  EXPECT_EQ(tarsen->KillProcess(&nobody, &ended), S_OK);
  EXPECT_EQ(ended, VARIANT_FALSE);
}

TEST_F(ProcessTest, ProcessListStopsAtTheHostsRefusal) {
  ListBoxDouble box;
  box.refuse = L"ItemData";
  box.items = {{L"old", 1}};
  IDispatch* object = &box;
  EXPECT_EQ(tarsen->ProcessList(&object), static_cast<HRESULT>(0x800A01B6));
  std::vector<std::wstring> expected = {L"Clear", L"AddItem", L"get NewIndex"};
  EXPECT_EQ(box.log, expected);
  EXPECT_EQ(box.items.size(), 1u) << "the first process stays in the list";
}

TEST_F(ProcessTest, StartAndWaitReturnsAfterTheProgramEnded) {
  std::wstring marker = temp_file(L"tarsen_start_and_wait.marker");
  DeleteFileW(marker.c_str());
  StringVar line(L"\"" + helper_path() + L"\" sleep 700 \"" + marker + L"\"");
  EXPECT_EQ(tarsen->StartAndWait(line.put()), S_OK);
  EXPECT_NE(GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES) << "the program had finished";
  DeleteFileW(marker.c_str());

  StringVar missing(L"Z:\\no\\such\\program.exe argument");
  EXPECT_EQ(tarsen->StartAndWait(missing.put()), static_cast<HRESULT>(0x800A0035));  // 53
  EXPECT_EQ(missing.text(), L"Z:\\no\\such\\program.exe argument");
}

TEST_F(ProcessTest, ApletShellStartsTheControlPanelRunner) {
  // The applet does not exist: the runner starts and ends by itself.
  auto runners = [] {
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
      if (_wcsicmp(entry.szExeFile, L"rundll32.exe") == 0) ids.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return ids;
  };
  auto before = runners();
  StringVar name(L"tarsen_no_such_applet.cpl");
  EXPECT_EQ(tarsen->ApletShell(name.put()), S_OK);
  auto after = runners();
  std::vector<DWORD> started;
  for (DWORD id : after)
    if (std::find(before.begin(), before.end(), id) == before.end()) started.push_back(id);
  // Already gone is fine too: it found no applet to show.
  for (DWORD id : started) {
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id);
    if (process && WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 0);
    if (process) CloseHandle(process);
  }
  EXPECT_EQ(name.text(), L"tarsen_no_such_applet.cpl");
}

// Runs once per code page (the CodePage* runs). A command line reaches the
// program as 8-bit text: a letter that the code page lacks would reach it as
// "?", and "del a?cde.txt" deletes every name of that shape. Such a command
// is not run at all; the caller's variable keeps its text.
using CodePageProcessTest = TarsenTest;

TEST_F(CodePageProcessTest, CommandsThePageCannotHoldAreNotRun) {
  PageLetters letters = page_letters();
  std::wstring folder = temp_file(L"tarsen_commands");
  CreateDirectoryW(folder.c_str(), nullptr);
  auto at = [&](const std::wstring& name) { return folder + L"\\" + name; };
  auto make = [&](const std::wstring& name) {
    HANDLE file = CreateFileW(at(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << "cannot make the test file";
    CloseHandle(file);
  };
  auto exists = [&](const std::wstring& name) { return GetFileAttributesW(at(name).c_str()) != INVALID_FILE_ATTRIBUTES; };
  std::wstring odd = L"a" + letters.lacking + L"cde.txt", kept = L"a" + letters.held + L"cde.txt";
  std::vector<std::wstring> neighbours = {L"abcde.txt", L"azcde.txt", L"keep1.txt", kept};
  if (letters.lacking_nameable) neighbours.push_back(odd);
  for (const auto& name : neighbours) make(name);

  // Deleting the name the page lacks: refused as a program that cannot be
  // started (error 53), and every file is still there.
  std::wstring command = L"cmd /c del \"" + at(odd) + L"\"";
  StringVar line(command);
  EXPECT_EQ(tarsen->StartAndWait(line.put()), static_cast<HRESULT>(0x800A0035));
  EXPECT_EQ(line.text(), command);
  for (size_t i = 0; i < neighbours.size(); ++i) EXPECT_TRUE(exists(neighbours[i])) << "file " << i << " deleted";

  // The name the page holds (in 932 and 936 a letter whose second byte is a
  // backslash) is deleted, and nothing else.
  StringVar held_line(L"cmd /c del \"" + at(kept) + L"\"");
  EXPECT_EQ(tarsen->StartAndWait(held_line.put()), S_OK);
  EXPECT_EQ(held_line.text(), L"cmd /c del \"" + at(kept) + L"\"");
  EXPECT_FALSE(exists(kept));
  for (const auto& name : neighbours) {
    if (name != kept) {
      EXPECT_TRUE(exists(name)) << "a neighbour was deleted";
    }
  }

  // An applet whose name the page lacks is not started either.
  StringVar applet(L"x" + letters.lacking + L".cpl");
  EXPECT_EQ(tarsen->ApletShell(applet.put()), static_cast<HRESULT>(0x800A0035));
  EXPECT_EQ(applet.text(), L"x" + letters.lacking + L".cpl");

  for (const auto& name : neighbours) DeleteFileW(at(name).c_str());
  RemoveDirectoryW(folder.c_str());
}

// Extension keys are listed as they are named, also where the code page
// lacks a letter of the name or spells it in two bytes.
TEST_F(CodePageProcessTest, ExtensionsComeBackExactly) {
  page_letters();
  const wchar_t* key = L".TARSEN\u0416\u8868\u00e9";
  HKEY created = nullptr;
  ASSERT_EQ(RegCreateKeyW(HKEY_CLASSES_ROOT, key, &created), ERROR_SUCCESS);
  RegCloseKey(created);
  ListBoxDouble box;
  IDispatch* object = &box;
  EXPECT_EQ(tarsen->GetRegystredFileTypes(&object), S_OK);
  RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
  auto shown = box.shown();
  EXPECT_EQ(std::count(shown.begin(), shown.end(), L"tarsen\u0436\u8868\u00e9"), 1);
  EXPECT_GT(shown.size(), 10u);
}

// Keys under the classes root, removed again when the test ends.
class ClassesKeys {
 public:
  ~ClassesKeys() {
    for (const auto& key : keys_) RegDeleteTreeA(HKEY_CLASSES_ROOT, key.c_str());
  }
  void add(const std::string& key, const std::string* value, DWORD bytes = 0) {
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, key.c_str(), &created), ERROR_SUCCESS);
    if (value)
      RegSetValueExA(created, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                     bytes ? bytes : static_cast<DWORD>(value->size() + 1));
    RegCloseKey(created);
    keys_.push_back(key.substr(0, key.find('\\')));
  }

 private:
  std::vector<std::string> keys_;
};

TEST_F(ProcessTest, OfficeComponentsReadTheCurrentVersionKeys) {
  ClassesKeys keys;
  std::string word = "Word.Document.8", only_nul, long_value(300, 'x');
  keys.add("Word.Document\\CurVer", &word);
  keys.add("Excel.Sheet\\CurVer", &only_nul, 1);
  keys.add("Access.Database\\CurVer", &long_value);
  keys.add("PowerPoint.Slide\\CurVer", nullptr);
  struct Case { LONG component; VARIANT_BOOL present; };
  const Case cases[] = {{1, VARIANT_TRUE}, {2, VARIANT_FALSE}, {3, VARIANT_FALSE}, {4, VARIANT_FALSE},
                        {0, VARIANT_FALSE}, {5, VARIANT_FALSE}, {-1, VARIANT_FALSE}};
  for (const auto& c : cases) {
    auto component = static_cast<MSOffise>(c.component);
    VARIANT_BOOL present = 7;
    EXPECT_EQ(tarsen->MSOfficeComponents(&component, &present), S_OK);
    EXPECT_EQ(present, c.present) << c.component;
  }
  // 254 characters and the NUL fit the buffer; 255 and the NUL do not.
  std::string fits(254, 'y'), too_long(255, 'y');
  keys.add("Excel.Sheet\\CurVer", &fits);
  auto excel = static_cast<MSOffise>(2);
  VARIANT_BOOL present = 0;
  EXPECT_EQ(tarsen->MSOfficeComponents(&excel, &present), S_OK);
  EXPECT_EQ(present, VARIANT_TRUE);
  keys.add("Excel.Sheet\\CurVer", &too_long);
  EXPECT_EQ(tarsen->MSOfficeComponents(&excel, &present), S_OK);
  EXPECT_EQ(present, VARIANT_FALSE);
}

TEST_F(ProcessTest, RegisteredExtensionsAreAppendedLowerCased) {
  ClassesKeys keys;
  keys.add(".TARSENTEST", nullptr);
  keys.add("tarsentestfile", nullptr);
  ListBoxDouble box;
  box.items = {{L"kept", 3}};
  IDispatch* object = &box;
  ASSERT_EQ(tarsen->GetRegystredFileTypes(&object), S_OK);
  // Our own walk of the classes root gives the expected items, in order.
  std::vector<std::wstring> expected = {L"kept"};
  char name[256];
  for (DWORD index = 0; RegEnumKeyA(HKEY_CLASSES_ROOT, index, name, sizeof name) == ERROR_SUCCESS; ++index) {
    if (name[0] != '.') continue;
    std::wstring extension = from_ansi(name + 1);
    CharLowerBuffW(extension.data(), static_cast<DWORD>(extension.size()));
    expected.push_back(extension);
  }
  EXPECT_EQ(box.shown(), expected);
  EXPECT_NE(std::find(expected.begin(), expected.end(), L"tarsentest"), expected.end());
  EXPECT_EQ(std::find(expected.begin(), expected.end(), L"tarsentestfile"), expected.end());
  EXPECT_EQ(std::count(box.log.begin(), box.log.end(), L"Clear"), 0);
  EXPECT_GT(expected.size(), 10u);
}

}  // namespace
}  // namespace tarsen_test
