// The shell methods through the vtable, their dialogs answered from a
// watcher thread: the folder chooser, emptying and showing the recycle bin,
// the properties dialog, the current directory and file associations.
#include <initguid.h>  // this program defines the identities it uses

#include "corvane_client.h"
#include "dialog_watcher.h"

#include <commctrl.h>
#include <shlobj.h>

#include <utility>

namespace {

using namespace corvane_test;

class ShellMethods : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    corvane = make_corvane();
    folder = fresh_folder(L"corvane_shell");
  }
  void TearDown() override {
    corvane.reset();
    CoUninitialize();
  }
  // The shell header's CSIDL_ macros hide the enumeration's members here.
  std::wstring choose(LONG owner, long where_number) {
    FolderType where = static_cast<FolderType>(where_number);
    Result result;
    EXPECT_EQ(corvane->ChooseFolder(&owner, &where, &result.value), S_OK);
    return result.str();
  }

  frame::ComPtr<_Corvane> corvane;
  std::wstring folder;
};

TEST_F(ShellMethods, ChooseFolderCancelled) {
  DialogWatcher watcher([](HWND dialog) { DialogWatcher::press(dialog, IDCANCEL); });
  EXPECT_EQ(choose(0, CSIDL_DESKTOP), L"");
  watcher.stop();
  ASSERT_TRUE(watcher.seen());
  EXPECT_NE(watcher.texts().find(L"Select a Folder"), std::wstring::npos) << watcher.texts();
}

TEST_F(ShellMethods, ChooseFolderConfirmed) {
  std::wstring picked = folder + L"\\picked";
  ASSERT_TRUE(CreateDirectoryW(picked.c_str(), nullptr));
  // Selects a folder in the dialog's tree and confirms once the tree shows
  // the selection (the dialog may still be filling its tree at first).
  auto select = [](const std::wstring& path, const std::wstring& shown_as) {
    return [path, shown_as](HWND dialog) {
      HWND tree = FindWindowExW(dialog, nullptr, L"SysTreeView32", nullptr);
      for (int attempt = 0; attempt < 50; ++attempt) {
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
        Sleep(100);
        wchar_t text[MAX_PATH] = {};
        TVITEMW item{};
        item.mask = TVIF_TEXT;
        item.hItem = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
        item.pszText = text;
        item.cchTextMax = MAX_PATH;
        if (item.hItem && SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) &&
            std::wstring(text).find(shown_as) != std::wstring::npos)
          break;
      }
      DialogWatcher::press(dialog, IDOK);
    };
  };
  {
    DialogWatcher watcher(select(picked, L"picked"));
    EXPECT_EQ(choose(0, CSIDL_DESKTOP), picked);  // no trailing backslash
    watcher.stop();
    EXPECT_TRUE(watcher.seen());
  }
  {
    // A folder whose name the code page lacks (a Cyrillic and a CJK letter
    // under 1252) comes back as it is, not as a "?" pattern.
    std::wstring odd = folder + L"\\p\u0416\u8868";
    ASSERT_TRUE(CreateDirectoryW(odd.c_str(), nullptr));
    DialogWatcher watcher(select(odd, L"p\u0416\u8868"));
    EXPECT_EQ(choose(0, CSIDL_DESKTOP), odd);
    watcher.stop();
    EXPECT_TRUE(watcher.seen());
  }
  {
    DialogWatcher watcher(select(L"C:\\", L"C:"));
    EXPECT_EQ(choose(0, CSIDL_DRIVES), L"C:\\");  // a drive keeps its backslash
    watcher.stop();
    EXPECT_TRUE(watcher.seen());
  }
}

TEST_F(ShellMethods, ChooseFolderFromAnUnknownRoot) {
  // No special folder has the number 9999: the dialog opens at the desktop.
  DialogWatcher watcher([](HWND dialog) { DialogWatcher::press(dialog, IDCANCEL); });
  EXPECT_EQ(choose(0, 9999), L"");
  watcher.stop();
  EXPECT_TRUE(watcher.seen());
}

TEST_F(ShellMethods, ClearGarbageAsksAndEmpties) {
  wchar_t home[MAX_PATH] = {};
  ASSERT_GT(GetEnvironmentVariableW(L"WINEHOMEDIR", home, MAX_PATH), 4u);
  std::wstring unix_home = home + 4;  // after "\??\"
  CreateDirectoryW((unix_home + L"\\.local").c_str(), nullptr);
  CreateDirectoryW((unix_home + L"\\.local\\share").c_str(), nullptr);
  std::wstring trashed = unix_home + L"\\.local\\share\\Trash\\files\\garbage.txt";

  // One item in the bin, put there through the library.
  ASSERT_TRUE(make_file(folder + L"\\garbage.txt", 10));
  Text path(folder + L"\\garbage.txt");
  VARIANT_BOOL yes = VARIANT_TRUE, no = VARIANT_FALSE, done = 0;
  ASSERT_EQ(corvane->DeleteFolderOrFile(&path.value, &yes, &no, &done), S_OK);
  ASSERT_NE(GetFileAttributesW(trashed.c_str()), INVALID_FILE_ATTRIBUTES);

  LONG owner = 0;
  VARIANT_BOOL cleared = 0;
  {
    DialogWatcher watcher(DialogWatcher::refuse);
    EXPECT_EQ(corvane->ClearGarbage(&owner, &cleared), S_OK);
    watcher.stop();
    EXPECT_TRUE(watcher.seen());
  }
  EXPECT_EQ(cleared, VARIANT_TRUE);
  EXPECT_NE(GetFileAttributesW(trashed.c_str()), INVALID_FILE_ATTRIBUTES);
  {
    DialogWatcher watcher(DialogWatcher::agree);
    EXPECT_EQ(corvane->ClearGarbage(&owner, &cleared), S_OK);
    watcher.stop();
    EXPECT_TRUE(watcher.seen());
  }
  EXPECT_EQ(cleared, VARIANT_TRUE);
  EXPECT_EQ(GetFileAttributesW(trashed.c_str()), INVALID_FILE_ATTRIBUTES);
}

// Counts the processes started from this one: the test process joins a job,
// which every child process it starts also joins.
class StartedProcesses {
 public:
  StartedProcesses() : job_(CreateJobObjectW(nullptr, nullptr)) {
    EXPECT_TRUE(AssignProcessToJobObject(job_.get(), GetCurrentProcess()));
  }
  DWORD total() const {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    QueryInformationJobObject(job_.get(), JobObjectBasicAccountingInformation, &accounting, sizeof accounting, nullptr);
    return accounting.TotalProcesses;
  }

 private:
  frame::Handle job_;
};

TEST_F(ShellMethods, ShowGarbageStartsTheExplorerForModesOneToThree) {
  StartedProcesses started;
  DWORD before = started.total();
  for (long mode : {0L, 4L, -1L}) {
    GarbShowMode show = static_cast<GarbShowMode>(mode);
    VARIANT_BOOL shown = 0;
    EXPECT_EQ(corvane->ShowGarbage(&show, &shown), S_OK);
    EXPECT_EQ(shown, VARIANT_TRUE) << mode;
  }
  EXPECT_EQ(started.total(), before);
  for (long mode : {1L, 2L, 3L}) {
    GarbShowMode show = static_cast<GarbShowMode>(mode);
    VARIANT_BOOL shown = 0;
    EXPECT_EQ(corvane->ShowGarbage(&show, &shown), S_OK);
    EXPECT_EQ(shown, VARIANT_TRUE) << mode;
  }
  EXPECT_EQ(started.total(), before + 3);
}

TEST_F(ShellMethods, PropertiesReturnAtOnce) {
  ASSERT_TRUE(make_file(folder + L"\\shown.txt", 3));
  // Whatever the shell shows is closed again; the call itself does not wait.
  DialogWatcher watcher([](HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); }, std::chrono::seconds(2));
  Text path(folder + L"\\shown.txt");
  LONG owner = 0;
  EXPECT_EQ(corvane->FolderOrFileProperties(&path.value, &owner), S_OK);
  EXPECT_EQ(path.str(), folder + L"\\shown.txt");
  Text missing(folder + L"\\none.txt");
  EXPECT_EQ(corvane->FolderOrFileProperties(&missing.value, &owner), S_OK);
  watcher.stop();
}

TEST_F(ShellMethods, SetCurrentDirChangesOnlyToExistingFolders) {
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  auto current = [] {
    wchar_t now[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, now);
    return std::wstring(now);
  };
  Text target(folder);
  EXPECT_EQ(corvane->SetCurrentDir(&target.value), S_OK);
  EXPECT_EQ(current(), folder);
  Text missing(folder + L"\\none");
  EXPECT_EQ(corvane->SetCurrentDir(&missing.value), S_OK);
  EXPECT_EQ(current(), folder);
  // A folder that the code page cannot name (U+0416 under 1252): nothing
  // changes, and the argument is not written back as a "?" pattern.
  std::wstring odd_folder = folder + L"\\\u0416";
  ASSERT_TRUE(CreateDirectoryW(odd_folder.c_str(), nullptr));
  Text odd(odd_folder);
  EXPECT_EQ(corvane->SetCurrentDir(&odd.value), S_OK);
  EXPECT_EQ(odd.str(), odd_folder);
  EXPECT_EQ(current(), folder);
  SetCurrentDirectoryW(previous);
}

std::wstring default_value(const std::wstring& key) {
  wchar_t value[512] = {};
  LONG size = sizeof value;
  if (RegQueryValueW(HKEY_CLASSES_ROOT, key.c_str(), value, &size) != ERROR_SUCCESS) return L"<missing>";
  return value;
}

// The shell's notices of association changes to a window of this thread,
// which arrive while the thread's messages are pumped.
int association_notices = 0;
LRESULT CALLBACK count_notices(HWND window, UINT message, WPARAM first, LPARAM second) {
  if (message == WM_APP && (second & SHCNE_ASSOCCHANGED)) ++association_notices;
  return DefWindowProcW(window, message, first, second);
}
// The notices that came, waiting up to a second for the first.
int notices_received() {
  for (int i = 0; i < 20 && association_notices == 0; ++i) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(50);
  }
  return std::exchange(association_notices, 0);
}

class FileAssociation : public ShellMethods {
 protected:
  void TearDown() override {
    for (const wchar_t* key : {L"CorvaneEditor", L".cvtest", L"..cvdots", L"CorvaneDots", L"CorvaneLong", L"Corvane?"})
      RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
    ShellMethods::TearDown();
  }
  std::pair<HRESULT, VARIANT_BOOL> associate(const std::wstring& extension, const std::wstring& name,
                                             const std::wstring& program) {
    Text e(extension), n(name), p(program);
    VARIANT_BOOL done = 7;
    HRESULT status = corvane->FileAssociation(&e.value, &n.value, &p.value, &done);
    return {status, done};
  }
};

TEST_F(FileAssociation, ThreeKeysReadBack) {
  EXPECT_EQ(associate(L"cvtest", L"CorvaneEditor", L"C:\\Tools\\ed.exe"), std::make_pair(S_OK, VARIANT_TRUE));
  EXPECT_EQ(default_value(L"CorvaneEditor"), L"CorvaneEditor");
  EXPECT_EQ(default_value(L".cvtest"), L"CorvaneEditor");
  EXPECT_EQ(default_value(L"CorvaneEditor\\shell\\open\\command"), L"C:\\Tools\\ed.exe %1");
  // Written again: the values are overwritten, nothing else changes.
  EXPECT_EQ(associate(L"cvtest", L"CorvaneEditor", L"C:\\Other Tools\\ed2.exe"), std::make_pair(S_OK, VARIANT_TRUE));
  EXPECT_EQ(default_value(L"CorvaneEditor\\shell\\open\\command"), L"C:\\Other Tools\\ed2.exe %1");
}

// Explorer and the open dialogs cache associations: a change is announced,
// and a call that wrote nothing announces nothing.
TEST_F(FileAssociation, TheShellIsToldOfAChange) {
  WNDCLASSW kind{};
  kind.lpfnWndProc = count_notices;
  kind.lpszClassName = L"CorvaneNotices";
  RegisterClassW(&kind);
  HWND window = CreateWindowExW(0, kind.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  SHChangeNotifyEntry everything{nullptr, TRUE};
  ULONG id = SHChangeNotifyRegister(window, SHCNRF_ShellLevel | SHCNRF_InterruptLevel, SHCNE_ASSOCCHANGED, WM_APP, 1,
                                    &everything);
  ASSERT_NE(id, 0u);
  EXPECT_EQ(associate(L"cvtest", L"CorvaneEditor", L"C:\\Tools\\ed.exe"), std::make_pair(S_OK, VARIANT_TRUE));
  EXPECT_GE(notices_received(), 1);
  EXPECT_EQ(associate(L"cvtest", L"", L"x.exe"), std::make_pair(S_OK, VARIANT_FALSE));
  EXPECT_EQ(notices_received(), 0);
  SHChangeNotifyDeregister(id);
  DestroyWindow(window);
}

TEST_F(FileAssociation, ADotGivenMakesTwoDots) {
  EXPECT_EQ(associate(L".cvdots", L"CorvaneDots", L"x.exe"), std::make_pair(S_OK, VARIANT_TRUE));
  EXPECT_EQ(default_value(L"..cvdots"), L"CorvaneDots");
  EXPECT_EQ(default_value(L".cvdots"), L"<missing>");
}

TEST_F(FileAssociation, EmptyNamesWriteNothing) {
  std::wstring root_before = default_value(L"");
  EXPECT_EQ(associate(L"", L"CorvaneEditor", L"x.exe"), std::make_pair(S_OK, VARIANT_FALSE));
  EXPECT_EQ(associate(L"cvtest", L"", L"x.exe"), std::make_pair(S_OK, VARIANT_FALSE));
  EXPECT_EQ(default_value(L"CorvaneEditor"), L"<missing>");
  EXPECT_EQ(default_value(L".cvtest"), L"<missing>");
  EXPECT_EQ(default_value(L""), root_before);
  // A text that the code page cannot hold (U+0416 under 1252) would write
  // under a "?" name that other texts share.
  EXPECT_EQ(associate(L"cvtest", L"Corvane\u0416", L"x.exe"), std::make_pair(S_OK, VARIANT_FALSE));
  EXPECT_EQ(associate(L"cvtest", L"CorvaneEditor", L"C:\\\u0416.exe"), std::make_pair(S_OK, VARIANT_FALSE));
  EXPECT_EQ(default_value(L"Corvane?"), L"<missing>");
  EXPECT_EQ(default_value(L".cvtest"), L"<missing>");
}

TEST_F(FileAssociation, AFailedWriteIsFalseAndTheRestIsStillWritten) {
  // A key name longer than the registry allows: the extension's key fails.
  std::wstring too_long(300, L'x');
  EXPECT_EQ(associate(too_long, L"CorvaneLong", L"y.exe"), std::make_pair(S_OK, VARIANT_FALSE));
  EXPECT_EQ(default_value(L"CorvaneLong"), L"CorvaneLong");
  EXPECT_EQ(default_value(L"CorvaneLong\\shell\\open\\command"), L"y.exe %1");
}

}  // namespace
