// The file queries and file operations through the vtable: what scripts
// cannot arrange (files locked by another handle, set file times, files
// beyond 2 GiB, test modules with odd version data, the recycle bin).
#include <initguid.h>  // this program defines the identities it uses

#include "corvane_client.h"
#include "dialog_watcher.h"

#include <shellapi.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>


namespace {

using namespace corvane_test;

constexpr HRESULT kPathFileAccess = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 75);
constexpr HRESULT kPermissionDenied = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 70);
constexpr HRESULT kFileNotFound = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 53);

class FileMethods : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    corvane = make_corvane();
    folder = fresh_folder(L"corvane_file_methods");
  }
  void TearDown() override {
    corvane.reset();
    CoUninitialize();
  }

  std::wstring at(const std::wstring& name) const { return folder + L"\\" + name; }

  static void write(const std::wstring& path, const std::string& bytes) {
    frame::Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  }
  static std::string read(const std::wstring& path) {
    frame::Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    std::string bytes(4096, '\0');
    DWORD got = 0;
    if (!file || !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) return "<unreadable>";
    bytes.resize(got);
    return bytes;
  }
  static bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

  // FileIdentify's status and result.
  std::pair<HRESULT, VARIANT_BOOL> identify(const std::wstring& a, const std::wstring& b) {
    Text first(a), second(b);
    VARIANT_BOOL same = 7;
    HRESULT status = corvane->FileIdentify(&first.value, &second.value, &same);
    return {status, same};
  }
  VARIANT_BOOL move(const std::wstring& from, const std::wstring& to, VARIANT_BOOL rewrite) {
    Text source(from), destination(to);
    VARIANT_BOOL moved = 7;
    EXPECT_EQ(corvane->MoveFiles(&source.value, &destination.value, &rewrite, &moved), S_OK);
    return moved;
  }
  VARIANT_BOOL remove(const std::wstring& path, VARIANT_BOOL recycle, VARIANT_BOOL confirm) {
    Text text(path);
    VARIANT_BOOL done = 7;
    EXPECT_EQ(corvane->DeleteFolderOrFile(&text.value, &recycle, &confirm, &done), S_OK);
    return done;
  }

  frame::ComPtr<_Corvane> corvane;
  std::wstring folder;
};

// Names that the running ANSI code page holds and lacks: 1252 holds U+00E9
// and lacks U+0416, 1251 the other way round; the double-byte 932 and 936
// hold a letter whose second byte is a backslash and lack a Hangul letter.
// UTF-8 holds every character: what it lacks is a lone surrogate, which no
// file can be named with here. A character the page lacks would become "?",
// a pattern that names the neighbours xa.txt and xb.txt.
class CodePageNames : public FileMethods {
 protected:
  void SetUp() override {
    FileMethods::SetUp();
    // The test runs once per code page; the runner says which it set up.
    wchar_t expected[16] = {};
    if (GetEnvironmentVariableW(L"SUITE_EXPECT_ACP", expected, 16)) {
      ASSERT_EQ(GetACP(), std::stoul(expected));
    }
    switch (GetACP()) {
      case 1252: held = L"\u00e9"; lacking = L"\u0416"; break;
      case 1251: held = L"\u0416"; lacking = L"\u00e9"; break;
      case 932: held = L"\u8868"; lacking = L"\uD55C"; break;
      case 936: held = L"\u4E57"; lacking = L"\uD55C"; break;
      case CP_UTF8: held = L"\u0416\u00e9\u8868"; lacking = L"\xD800"; break;
      default: FAIL() << "no names for code page " << GetACP();
    }
    for (const wchar_t* name : {L"xa.txt", L"xb.txt"}) write(at(name), "same");
    // A name with a lone surrogate cannot be made: the neighbours still can.
    lacking_made = GetACP() != CP_UTF8;
    if (lacking_made) write(at(L"x" + lacking + L".txt"), "same");
    write(at(L"x" + held + L".txt"), "held");
  }
  // Every file of the folder is still there with its content.
  void expect_neighbours_intact() {
    EXPECT_EQ(read(at(L"xa.txt")), "same");
    EXPECT_EQ(read(at(L"xb.txt")), "same");
    if (lacking_made) {
      EXPECT_EQ(read(at(L"x" + lacking + L".txt")), "same");
    }
  }
  VARIANT_BOOL copy(const std::wstring& from, const std::wstring& to) {
    Text source(from), destination(to);
    VARIANT_BOOL rewrite = VARIANT_FALSE, copied = 7;
    EXPECT_EQ(corvane->CopyFiles(&source.value, &destination.value, &rewrite, &copied), S_OK);
    EXPECT_EQ(source.str(), from);
    EXPECT_EQ(destination.str(), to);
    return copied;
  }
  // A one-path query: its status, its result as text, and the variable after it.
  template <class Call>
  std::tuple<HRESULT, std::wstring, std::wstring> ask(const std::wstring& path, Call call) {
    Text text(path);
    VARIANT answer;
    VariantInit(&answer);
    HRESULT status = call(&text.value, &answer);
    VariantChangeType(&answer, &answer, 0, VT_BSTR);
    std::wstring shown = V_VT(&answer) == VT_BSTR ? std::wstring(frame::text_of(V_BSTR(&answer))) : L"<none>";
    VariantClear(&answer);
    return {status, shown, text.str()};
  }
  std::wstring held, lacking;
  bool lacking_made = false;
};

TEST_F(CodePageNames, QueriesOfANameThePageLacksFindNothing) {
  std::wstring module = at(L"m" + lacking + L".dll");
  if (lacking_made) {
    ASSERT_TRUE(CopyFileW(dist_path(L"Corvane.dll").c_str(), module.c_str(), FALSE));
  }
  ASSERT_TRUE(CopyFileW(dist_path(L"Corvane.dll").c_str(), at(L"ma.dll").c_str(), FALSE));
  auto exist = [&](BSTR* path, VARIANT* answer) {
    V_VT(answer) = VT_BOOL;
    return corvane->FolderOrFileExist(path, &V_BOOL(answer));
  };
  auto text_answer = [&](HRESULT (STDMETHODCALLTYPE _Corvane::*method)(BSTR*, BSTR*)) {
    return [this, method](BSTR* path, VARIANT* answer) {
      V_VT(answer) = VT_BSTR;
      V_BSTR(answer) = nullptr;
      return (corvane.get()->*method)(path, &V_BSTR(answer));
    };
  };
  auto size = [&](BSTR* path, VARIANT* answer) {
    SizeMode bytes = Bytes;
    V_VT(answer) = VT_BSTR;
    V_BSTR(answer) = nullptr;
    return corvane->FolderOrFileSize(path, &bytes, &V_BSTR(answer));
  };
  auto identical = [&](BSTR* path, VARIANT* answer) {
    Text same(at(L"xa.txt"));
    V_VT(answer) = VT_BOOL;
    return corvane->FileIdentify(path, &same.value, &V_BOOL(answer));
  };
  using Answer = std::tuple<HRESULT, std::wstring, std::wstring>;
  std::wstring name = at(L"x" + lacking + L".txt");
  // The variable keeps the caller's text: "?" written back would be a pattern.
  EXPECT_EQ(ask(name, exist), Answer(S_OK, L"0", name));
  EXPECT_EQ(ask(name, text_answer(&_Corvane::DOSPath)), Answer(S_OK, L"", name));
  EXPECT_EQ(ask(name, size), Answer(S_OK, L"0", name));
  EXPECT_EQ(ask(name, identical), Answer(S_OK, L"0", name));
  EXPECT_EQ(ask(name, text_answer(&_Corvane::FolderOrFileTimeCreate)), Answer(kFileNotFound, L"", name));
  EXPECT_EQ(ask(module, text_answer(&_Corvane::GetDllDescription)), Answer(S_OK, L"", module));
  expect_neighbours_intact();

  // A folder the page lacks, named by the caller, measures nothing. Inside a
  // tree the walk lists exact names: such a folder counts as itself, and so
  // does "s\u0101", whose best-fit 8-bit look-alike is its neighbour "sa".
  std::wstring tree = at(L"tree"), odd_folder = tree + L"\\s" + lacking;
  for (const std::wstring& sub : {tree, tree + L"\\sa", tree + L"\\s" + held, tree + L"\\s\u0101"})
    ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
  if (lacking_made) {
    ASSERT_TRUE(CreateDirectoryW(odd_folder.c_str(), nullptr));
    write(odd_folder + L"\\f.bin", "seven b");
  }
  write(tree + L"\\sa\\f.bin", "eleven byte");
  write(tree + L"\\s" + held + L"\\f.bin", "three");
  write(tree + L"\\s\u0101\\f.bin", std::string(100, 'x'));
  EXPECT_EQ(ask(odd_folder, size), Answer(S_OK, L"0", odd_folder));
  EXPECT_EQ(ask(tree, size), Answer(S_OK, lacking_made ? L"123" : L"116", tree));

  // The same questions about a name the page holds are answered.
  std::wstring kept = at(L"x" + held + L".txt");
  EXPECT_EQ(ask(kept, exist), Answer(S_OK, L"-1", kept));
  EXPECT_EQ(ask(kept, size), Answer(S_OK, L"4", kept));
  auto [status, short_form, variable] = ask(kept, text_answer(&_Corvane::DOSPath));
  EXPECT_EQ(variable, kept);
  EXPECT_EQ(read(short_form), "held") << short_form;
  EXPECT_NE(std::get<1>(ask(kept, text_answer(&_Corvane::FolderOrFileTimeCreate))), L"");
  std::wstring held_module = at(L"m" + held + L".dll");
  ASSERT_TRUE(CopyFileW(dist_path(L"Corvane.dll").c_str(), held_module.c_str(), FALSE));
  EXPECT_EQ(std::get<1>(ask(held_module, text_answer(&_Corvane::GetDllDescription))), L"ActiveX DLL");
  write(at(L"y" + held + L".txt"), "same");
  EXPECT_EQ(std::get<1>(ask(at(L"y" + held + L".txt"), identical)), L"-1");
}

TEST_F(CodePageNames, OperationsOnANameThePageLacksTouchNothing) {
  std::wstring name = at(L"x" + lacking + L".txt");
  EXPECT_EQ(copy(name, at(L"copy.txt")), VARIANT_FALSE);
  EXPECT_EQ(copy(at(L"xa.txt"), name), VARIANT_FALSE);
  EXPECT_EQ(move(name, at(L"moved.txt"), VARIANT_TRUE), VARIANT_FALSE);
  EXPECT_EQ(move(at(L"xa.txt"), name, VARIANT_TRUE), VARIANT_FALSE);
  EXPECT_EQ(move(at(L"xa.txt"), name, VARIANT_FALSE), VARIANT_FALSE);
  for (VARIANT_BOOL recycle : {VARIANT_FALSE, VARIANT_TRUE}) {
    Text text(name);
    VARIANT_BOOL no = VARIANT_FALSE, done = 7;
    EXPECT_EQ(corvane->DeleteFolderOrFile(&text.value, &recycle, &no, &done), S_OK);
    EXPECT_EQ(done, VARIANT_FALSE) << recycle;
    EXPECT_EQ(text.str(), name);
  }
  EXPECT_FALSE(exists(at(L"copy.txt")));
  EXPECT_FALSE(exists(at(L"moved.txt")));
  expect_neighbours_intact();

  // A relative path is recycled by its absolute form, which a current
  // directory the page lacks would turn into a pattern as well.
  if (!lacking_made) return;
  std::wstring odd_folder = at(L"d" + lacking), neighbour_folder = at(L"da");
  ASSERT_TRUE(CreateDirectoryW(odd_folder.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(neighbour_folder.c_str(), nullptr));
  write(odd_folder + L"\\inner.txt", "inner");
  write(neighbour_folder + L"\\inner.txt", "neighbour");
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(odd_folder.c_str()));
  EXPECT_EQ(remove(L"inner.txt", VARIANT_TRUE, VARIANT_FALSE), VARIANT_FALSE);
  SetCurrentDirectoryW(previous);
  EXPECT_EQ(read(odd_folder + L"\\inner.txt"), "inner");
  EXPECT_EQ(read(neighbour_folder + L"\\inner.txt"), "neighbour");
}

// The platform's path limit counts characters: a path of fewer than 260
// characters that a double-byte or UTF-8 code page spells in more than 260
// bytes is measured, walked and read like any other.
TEST_F(CodePageNames, LongPathsAreCountedInCharacters) {
  std::wstring deep = folder, level(40, held.back());
  for (int i = 0; i < 4; ++i) {
    deep += L"\\" + level;
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr)) << i;
  }
  std::wstring module = deep + L"\\m.dll";
  ASSERT_LT(module.size() + 4, 260u);
  ASSERT_TRUE(CopyFileW(dist_path(L"Corvane.dll").c_str(), module.c_str(), FALSE));
  write(deep + L"\\f.txt", "seven b");
  frame::Handle file(CreateFileW(module.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  LARGE_INTEGER module_size{};
  ASSERT_TRUE(GetFileSizeEx(file.get(), &module_size));
  auto size_of = [&](const std::wstring& path) {
    Text text(path);
    SizeMode bytes = Bytes;
    Result result;
    EXPECT_EQ(corvane->FolderOrFileSize(&text.value, &bytes, &result.value), S_OK);
    return result.str();
  };
  EXPECT_EQ(size_of(deep + L"\\f.txt"), L"7");
  EXPECT_EQ(size_of(folder + L"\\" + level), std::to_wstring(module_size.QuadPart + 7));
  Text path(module);
  Result description;
  EXPECT_EQ(corvane->GetDllDescription(&path.value, &description.value), S_OK);
  EXPECT_EQ(description.str(), L"ActiveX DLL");
  EXPECT_EQ(path.str(), module);

  // A copy to a new name is written under a temporary name beside it, made
  // in characters as well, and leaves no other file behind.
  std::wstring copied = deep + L"\\c.txt";
  EXPECT_EQ(copy(deep + L"\\f.txt", copied), VARIANT_TRUE);
  EXPECT_EQ(read(copied), "seven b");
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  frame::FindHandle listing(FindFirstFileW((deep + L"\\*").c_str(), &found));
  for (bool more = bool(listing); more; more = FindNextFileW(listing.get(), &found)) names.push_back(found.cFileName);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L".", L"..", L"c.txt", L"f.txt", L"m.dll"}));
}

TEST_F(CodePageNames, OperationsOnANameThePageHoldsAreDone) {
  std::wstring name = at(L"x" + held + L".txt");
  EXPECT_EQ(copy(name, at(L"c" + held + L".txt")), VARIANT_TRUE);
  EXPECT_EQ(read(at(L"c" + held + L".txt")), "held");
  EXPECT_EQ(move(at(L"c" + held + L".txt"), at(L"m" + held + L".txt"), VARIANT_TRUE), VARIANT_TRUE);
  EXPECT_EQ(read(at(L"m" + held + L".txt")), "held");
  EXPECT_EQ(remove(at(L"m" + held + L".txt"), VARIANT_FALSE, VARIANT_FALSE), VARIANT_TRUE);
  EXPECT_FALSE(exists(at(L"m" + held + L".txt")));
  EXPECT_EQ(remove(name, VARIANT_TRUE, VARIANT_FALSE), VARIANT_TRUE);
  EXPECT_FALSE(exists(name));
  expect_neighbours_intact();
  // Wildcards the caller wrote are still the caller's patterns.
  write(at(L"t1.tmp"), "1");
  write(at(L"t" + held + L".tmp"), "2");
  EXPECT_EQ(remove(at(L"*.tmp"), VARIANT_TRUE, VARIANT_FALSE), VARIANT_TRUE);
  EXPECT_FALSE(exists(at(L"t1.tmp")));
  EXPECT_FALSE(exists(at(L"t" + held + L".tmp")));
  expect_neighbours_intact();
}

TEST_F(FileMethods, TimeTextOfTheLastWrite) {
  auto set_local_time = [](const std::wstring& path, WORD hour, WORD minute, WORD second, WORD ms) {
    SYSTEMTIME local{2024, 3, 5, 15, hour, minute, second, ms};
    FILETIME local_file, utc;
    SystemTimeToFileTime(&local, &local_file);
    LocalFileTimeToFileTime(&local_file, &utc);
    frame::Handle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file && SetFileTime(file.get(), nullptr, nullptr, &utc);
  };
  // The host's own text of a date: short date, a blank, long time; the date
  // alone at midnight.
  auto host_text = [](WORD hour, WORD minute, WORD second) {
    SYSTEMTIME local{2024, 3, 5, 15, hour, minute, second, 0};
    double date = 0;
    SystemTimeToVariantTime(&local, &date);
    frame::Bstr text;
    BSTR raw = nullptr;
    VarBstrFromDate(date, LOCALE_USER_DEFAULT, 0, &raw);
    text = frame::Bstr(frame::text_of(raw));
    SysFreeString(raw);
    return std::wstring(text.view());
  };
  auto time_text = [&](const std::wstring& path) {
    Text text(path);
    Result result;
    EXPECT_EQ(corvane->FolderOrFileTimeCreate(&text.value, &result.value), S_OK);
    EXPECT_EQ(text.str(), path);
    return result.str();
  };

  std::wstring file = at(L"timed.txt");
  write(file, "x");
  struct Case {
    WORD hour, minute, second, ms;
  };
  for (Case c : {Case{13, 5, 9, 0}, Case{0, 0, 0, 0}, Case{0, 0, 0, 500}, Case{0, 0, 1, 0}, Case{23, 59, 59, 999}}) {
    ASSERT_TRUE(set_local_time(file, c.hour, c.minute, c.second, c.ms));
    EXPECT_EQ(time_text(file), host_text(c.hour, c.minute, c.second)) << c.hour << ":" << c.minute << ":" << c.second;
  }
  ASSERT_TRUE(set_local_time(file, 0, 0, 0, 0));
  EXPECT_EQ(time_text(file).find(L':'), std::wstring::npos);

  std::wstring directory = at(L"timed");
  ASSERT_TRUE(CreateDirectoryW(directory.c_str(), nullptr));
  ASSERT_TRUE(set_local_time(directory, 8, 30, 0, 0));
  EXPECT_EQ(time_text(directory), host_text(8, 30, 0));

  Text missing(at(L"none.txt"));
  Result result;
  EXPECT_EQ(corvane->FolderOrFileTimeCreate(&missing.value, &result.value), kFileNotFound);
  EXPECT_EQ(result.value, nullptr);
}

TEST_F(FileMethods, IdentityOfFilesOpenElsewhere) {
  write(at(L"a.bin"), std::string(30000, 'a'));
  write(at(L"b.bin"), std::string(30000, 'a'));
  {
    // Another program writing to the file, sharing read and write.
    frame::Handle writer(CreateFileW(at(L"b.bin").c_str(), GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer);
    EXPECT_EQ(identify(at(L"a.bin"), at(L"b.bin")), std::make_pair(S_OK, VARIANT_TRUE));
  }
  {
    // A program that shares nothing: the open's error, then a clean next call.
    frame::Handle owner(CreateFileW(at(L"b.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(owner);
    EXPECT_EQ(identify(at(L"a.bin"), at(L"b.bin")), std::make_pair(kPermissionDenied, VARIANT_FALSE));
  }
  EXPECT_EQ(identify(at(L"a.bin"), at(L"b.bin")), std::make_pair(S_OK, VARIANT_TRUE));
  // A directory cannot be opened as a file, as first or second path.
  EXPECT_EQ(identify(folder, at(L"a.bin")), std::make_pair(kPathFileAccess, VARIANT_FALSE));
  EXPECT_EQ(identify(at(L"a.bin"), folder), std::make_pair(kPathFileAccess, VARIANT_FALSE));
  // A missing first file does not hide the second one's error.
  EXPECT_EQ(identify(at(L"none.bin"), folder), std::make_pair(kPathFileAccess, VARIANT_FALSE));
  EXPECT_FALSE(exists(at(L"none.bin")));
}

TEST_F(FileMethods, IdentityBeyondTwoGibibytes) {
  // Sparse files past the 32-bit signed range, differing after 2 GiB.
  const LONGLONG length = (2LL << 30) + 4096;
  ASSERT_TRUE(make_file(at(L"big1.bin"), length));
  ASSERT_TRUE(make_file(at(L"big2.bin"), length));
  {
    frame::Handle file(CreateFileW(at(L"big2.bin").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER position;
    position.QuadPart = (2LL << 30) + 100;
    ASSERT_TRUE(SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.get(), "x", 1, &written, nullptr));
  }
  EXPECT_EQ(identify(at(L"big1.bin"), at(L"big2.bin")), std::make_pair(S_OK, VARIANT_FALSE));
  // Lengths that agree in their low 32 bits only.
  ASSERT_TRUE(make_file(at(L"small.bin"), 4096));
  ASSERT_TRUE(make_file(at(L"wrap.bin"), (4LL << 30) + 4096));
  EXPECT_EQ(identify(at(L"small.bin"), at(L"wrap.bin")), std::make_pair(S_OK, VARIANT_FALSE));
}

TEST_F(FileMethods, DescriptionsOfTestModules) {
  struct Case {
    const wchar_t* module;
    const wchar_t* description;
  };
  const Case cases[] = {
      {L"list_order.dll", L"German table"},           // the list's order, not the tables'
      {L"missing_first.dll", L"Second entry"},        // a listed table that is missing is passed over
      {L"fallback.dll", L"Fallback table"},           // then the US English table
      {L"lowercase.dll", L"Lower-case table name"},   // table names match in any case
      {L"no_list.dll", L""},                          // no translation list: no description
      {L"no_table.dll", L""},                         // neither a listed table nor the fallback
      {L"none.dll", L""},                             // no version data at all
      {L"absent.dll", L""},                           // no file
  };
  for (const Case& c : cases) {
    std::wstring path = L"Z:" CORVANE_PROBE_DIR_W L"/";
    path += c.module;
    for (wchar_t& ch : path)
      if (ch == L'/') ch = L'\\';
    Text text(path);
    Result result;
    EXPECT_EQ(corvane->GetDllDescription(&text.value, &result.value), S_OK);
    EXPECT_EQ(result.str(), c.description) << c.module;
    EXPECT_EQ(text.str(), path);
  }
}

TEST_F(FileMethods, ShortFormsLongerThanTheBuffer) {
  // Components that are already short, nested until the path has 256 to 258
  // characters: the short form is the path itself and does not fit 256.
  std::wstring path = fresh_folder(L"CVSHORT");
  ASSERT_EQ(path.find(L'~'), std::wstring::npos);
  while (path.size() < 247) {
    path += L"\\ABCDEFGH";
    ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
  }
  path += L"\\" + std::wstring(std::min<size_t>(8, 257 - path.size()), L'F');
  ASSERT_LE(path.size(), 258u);
  ASSERT_GE(path.size(), 256u);
  write(path, "short");
  Text text(path);
  Result result;
  ASSERT_EQ(corvane->DOSPath(&text.value, &result.value), S_OK);
  EXPECT_EQ(result.str(), path);
}

TEST_F(FileMethods, MovingOntoTheSameFileDeletesNothing) {
  write(at(L"same.txt"), "keep");
  EXPECT_EQ(move(at(L"same.txt"), at(L"SAME.TXT"), VARIANT_TRUE), VARIANT_FALSE);
  EXPECT_EQ(move(at(L"same.txt"), at(L"same.txt"), VARIANT_TRUE), VARIANT_FALSE);

  write(at(L"A long name.text"), "keep too");
  Text long_name(at(L"A long name.text"));
  Result short_name;
  ASSERT_EQ(corvane->DOSPath(&long_name.value, &short_name.value), S_OK);
  ASSERT_NE(short_name.str(), L"");
  EXPECT_EQ(move(at(L"A long name.text"), short_name.str(), VARIANT_TRUE), VARIANT_FALSE);
  EXPECT_EQ(read(at(L"same.txt")), "keep");
  EXPECT_EQ(read(at(L"A long name.text")), "keep too");
}

TEST_F(FileMethods, AFailedMoveKeepsTheDestination) {
  write(at(L"target.txt"), "target");
  EXPECT_EQ(move(at(L"missing.txt"), at(L"target.txt"), VARIANT_TRUE), VARIANT_FALSE);
  EXPECT_EQ(read(at(L"target.txt")), "target");

  write(at(L"locked.txt"), "locked");
  {
    frame::Handle owner(CreateFileW(at(L"locked.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(owner);
    EXPECT_EQ(move(at(L"locked.txt"), at(L"target.txt"), VARIANT_TRUE), VARIANT_FALSE);
  }
  EXPECT_EQ(read(at(L"target.txt")), "target");
  EXPECT_EQ(read(at(L"locked.txt")), "locked");

  // ReWrite must be exactly -1: 1 keeps the destination and the move fails.
  EXPECT_EQ(move(at(L"locked.txt"), at(L"target.txt"), 1), VARIANT_FALSE);
  EXPECT_EQ(read(at(L"target.txt")), "target");
  EXPECT_EQ(move(at(L"locked.txt"), at(L"target.txt"), VARIANT_TRUE), VARIANT_TRUE);
  EXPECT_EQ(read(at(L"target.txt")), "locked");
  EXPECT_FALSE(exists(at(L"locked.txt")));

  // A read-only destination stays, though this process may write to it.
  write(at(L"read-only.txt"), "read-only");
  ASSERT_TRUE(SetFileAttributesW(at(L"read-only.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(move(at(L"target.txt"), at(L"read-only.txt"), VARIANT_TRUE), VARIANT_FALSE);
  EXPECT_EQ(read(at(L"read-only.txt")), "read-only");
  EXPECT_TRUE(GetFileAttributesW(at(L"read-only.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(read(at(L"target.txt")), "locked");
  SetFileAttributesW(at(L"read-only.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileMethods, DirectDeleteTellsWhatIsLeft) {
  write(at(L"locked.txt"), "locked");
  {
    frame::Handle owner(CreateFileW(at(L"locked.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(owner);
    EXPECT_EQ(remove(at(L"locked.txt"), VARIANT_FALSE, VARIANT_FALSE), VARIANT_FALSE);
    // Nor does the recycle bin take it.
    EXPECT_EQ(remove(at(L"locked.txt"), VARIANT_TRUE, VARIANT_FALSE), VARIANT_FALSE);
    EXPECT_EQ(read(at(L"locked.txt")), "locked");
  }
  EXPECT_EQ(remove(at(L"locked.txt"), VARIANT_FALSE, VARIANT_FALSE), VARIANT_TRUE);
  EXPECT_FALSE(exists(at(L"locked.txt")));
  EXPECT_EQ(remove(at(L"locked.txt"), VARIANT_FALSE, VARIANT_FALSE), VARIANT_TRUE);
}

// The recycle bin of this prefix is the trash under the Unix home: files/
// holds the items, info/ a record of each one's origin.
class RecycleBin : public FileMethods {
 protected:
  void SetUp() override {
    FileMethods::SetUp();
    wchar_t home[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"WINEHOMEDIR", home, MAX_PATH), 4u);
    std::wstring unix_home = home + 4;  // after "\??\"
    // The shell keeps its trash there only when the data folder exists.
    CreateDirectoryW((unix_home + L"\\.local").c_str(), nullptr);
    CreateDirectoryW((unix_home + L"\\.local\\share").c_str(), nullptr);
    trash = unix_home + L"\\.local\\share\\Trash";
  }
  bool in_trash(const std::wstring& name) const { return exists(trash + L"\\files\\" + name); }
  std::string trash_record(const std::wstring& name) const { return read(trash + L"\\info\\" + name + L".trashinfo"); }
  std::wstring trash;
};

TEST_F(RecycleBin, AFileAndAFolderGoAndComeBack) {
  write(at(L"recycled_file.txt"), "round trip");
  std::wstring tree = at(L"recycled_tree");
  ASSERT_TRUE(CreateDirectoryW(tree.c_str(), nullptr));
  write(tree + L"\\inner.txt", "inner");

  EXPECT_EQ(remove(at(L"recycled_file.txt"), VARIANT_TRUE, VARIANT_FALSE), VARIANT_TRUE);
  EXPECT_EQ(remove(tree, VARIANT_TRUE, VARIANT_FALSE), VARIANT_TRUE);
  EXPECT_FALSE(exists(at(L"recycled_file.txt")));
  EXPECT_FALSE(exists(tree));
  ASSERT_TRUE(in_trash(L"recycled_file.txt"));
  ASSERT_TRUE(in_trash(L"recycled_tree"));
  EXPECT_NE(trash_record(L"recycled_file.txt").find("corvane_file_methods/recycled_file.txt"), std::string::npos);

  // Back from the bin, contents intact.
  ASSERT_TRUE(MoveFileW((trash + L"\\files\\recycled_file.txt").c_str(), at(L"recycled_file.txt").c_str()));
  ASSERT_TRUE(MoveFileW((trash + L"\\files\\recycled_tree").c_str(), tree.c_str()));
  DeleteFileW((trash + L"\\info\\recycled_file.txt.trashinfo").c_str());
  DeleteFileW((trash + L"\\info\\recycled_tree.trashinfo").c_str());
  EXPECT_EQ(read(at(L"recycled_file.txt")), "round trip");
  EXPECT_EQ(read(tree + L"\\inner.txt"), "inner");
}

TEST_F(RecycleBin, RelativePathsAndEmbeddedNuls) {
  write(at(L"relative.txt"), "relative");
  write(at(L"first.txt"), "first");
  write(at(L"second.txt"), "second");
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
  EXPECT_EQ(remove(L"relative.txt", VARIANT_TRUE, VARIANT_FALSE), VARIANT_TRUE);
  SetCurrentDirectoryW(previous);
  EXPECT_FALSE(exists(at(L"relative.txt")));
  EXPECT_TRUE(in_trash(L"relative.txt"));

  // A NUL ends the path: the second name is not a second item.
  std::wstring two = at(L"first.txt") + L'\0' + at(L"second.txt");
  EXPECT_EQ(remove(two, VARIANT_TRUE, VARIANT_FALSE), VARIANT_TRUE);
  EXPECT_FALSE(exists(at(L"first.txt")));
  EXPECT_TRUE(exists(at(L"second.txt")));
}

TEST_F(RecycleBin, ConfirmationOnlyWhenAsked) {
  write(at(L"asked.txt"), "asked");
  {
    // The user's No leaves the file in its place: False.
    DialogWatcher watcher(DialogWatcher::refuse);
    EXPECT_EQ(remove(at(L"asked.txt"), VARIANT_TRUE, VARIANT_TRUE), VARIANT_FALSE);
    watcher.stop();
    EXPECT_TRUE(watcher.seen());
  }
  EXPECT_TRUE(exists(at(L"asked.txt")));
  {
    DialogWatcher watcher(DialogWatcher::agree);
    EXPECT_EQ(remove(at(L"asked.txt"), VARIANT_TRUE, VARIANT_TRUE), VARIANT_TRUE);
    watcher.stop();
    EXPECT_TRUE(watcher.seen());
  }
  EXPECT_FALSE(exists(at(L"asked.txt")));
  write(at(L"unasked.txt"), "unasked");
  {
    DialogWatcher watcher(DialogWatcher::refuse);
    EXPECT_EQ(remove(at(L"unasked.txt"), VARIANT_TRUE, VARIANT_FALSE), VARIANT_TRUE);
    watcher.stop();
    EXPECT_FALSE(watcher.seen());
  }
  EXPECT_FALSE(exists(at(L"unasked.txt")));
}

// A folder with a file held open inside, sent unasked: no dialog of any kind
// (an "in use" box would hang a script), and the answer says where the folder
// is: in place on Windows (False), in the bin under Wine (True).
TEST_F(RecycleBin, AFolderWithAHeldFileShowsNoDialog) {
  // An earlier run's folder in the bin would give this one another name.
  auto forget = [&] {
    DeleteFileW((trash + L"\\files\\held_tree\\held.txt").c_str());
    RemoveDirectoryW((trash + L"\\files\\held_tree").c_str());
    DeleteFileW((trash + L"\\info\\held_tree.trashinfo").c_str());
  };
  forget();
  std::wstring tree = at(L"held_tree");
  ASSERT_TRUE(CreateDirectoryW(tree.c_str(), nullptr));
  write(tree + L"\\held.txt", "held inside");
  VARIANT_BOOL answer = 7;
  {
    frame::Handle holder(CreateFileW((tree + L"\\held.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    DialogWatcher watcher(DialogWatcher::refuse, std::chrono::seconds(5));
    answer = remove(tree, VARIANT_TRUE, VARIANT_FALSE);
    watcher.stop();
    EXPECT_FALSE(watcher.seen()) << watcher.texts();
  }
  ASSERT_NE(answer, 7);
  EXPECT_EQ(answer == VARIANT_TRUE, !exists(tree));
  std::wstring now_at = answer == VARIANT_TRUE ? trash + L"\\files\\held_tree" : tree;
  EXPECT_EQ(read(now_at + L"\\held.txt"), "held inside");
  forget();
}

}  // namespace
