// The Windows side of the fault tests (faults_test.sh), which sets the faults
// up and hashes every file outside Wine:
//   fault_client run <operations file>   calls Corvane.dll of this build for each
//       line "label<TAB>method<TAB>argument..." (UTF-8) and prints
//       "label<TAB>answer" (True, False, a size, or the failure status)
//   fault_client hold <release file> <file>...   another program holding files
//       open without sharing: prints "held" and waits until the release
//       file exists
//   fault_client append <release file> <file>   appends 100 bytes every few ms,
//       sharing everything, until the release file exists (at most a minute):
//       prints "appending", then "size <bytes>", the length it wrote
#include <initguid.h>  // this program defines the identities it uses

#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "corvane_h.h"
#include "frame/owners.h"

namespace {

std::wstring from_utf8(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                   static_cast<int>(wide.size()));
  wide.resize(static_cast<size_t>(length > 0 ? length : 0));
  return wide;
}

frame::ComPtr<_Corvane> make_corvane() {
  std::wstring path = L"Z:" SUITE_DIST_DIR_W L"/Corvane.dll";
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  HMODULE module = LoadLibraryW(path.c_str());
  frame::ComPtr<_Corvane> object;
  if (!module) return object;
  using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
  auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
  frame::ComPtr<IClassFactory> factory;
  if (!get || FAILED(get(CLSID_Corvane, IID_IClassFactory, reinterpret_cast<void**>(factory.put())))) return object;
  factory->CreateInstance(nullptr, IID__Corvane, reinterpret_cast<void**>(object.put()));
  return object;
}

struct Text {
  BSTR value;
  explicit Text(const std::string& utf8) {
    std::wstring wide = from_utf8(utf8);
    value = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  }
  ~Text() { SysFreeString(value); }
};

std::string answer_of(HRESULT status, VARIANT_BOOL answer) {
  if (FAILED(status)) {
    char text[32];
    std::snprintf(text, sizeof text, "status %08lx", static_cast<unsigned long>(status));
    return text;
  }
  return answer == VARIANT_TRUE ? "True" : answer == VARIANT_FALSE ? "False" : "other";
}

std::string call(_Corvane* corvane, const std::vector<std::string>& field) {
  const std::string& method = field[1];
  auto flag = [&](size_t i) { return static_cast<VARIANT_BOOL>(std::stoi(field[i])); };
  VARIANT_BOOL answer = 7;
  if ((method == "copy" || method == "move") && field.size() == 5) {
    Text source(field[2]), destination(field[3]);
    VARIANT_BOOL rewrite = flag(4);
    HRESULT status = method == "copy" ? corvane->CopyFiles(&source.value, &destination.value, &rewrite, &answer)
                                      : corvane->MoveFiles(&source.value, &destination.value, &rewrite, &answer);
    return answer_of(status, answer);
  }
  if (method == "delete" && field.size() == 5) {
    Text path(field[2]);
    VARIANT_BOOL recycle = flag(3), confirm = flag(4);
    HRESULT status = corvane->DeleteFolderOrFile(&path.value, &recycle, &confirm, &answer);
    return answer_of(status, answer);
  }
  if (method == "size" && field.size() == 3) {
    Text path(field[2]);
    SizeMode bytes = Bytes;
    BSTR size = nullptr;
    HRESULT status = corvane->FolderOrFileSize(&path.value, &bytes, &size);
    std::string text;
    for (wchar_t c : frame::text_of(size)) text += static_cast<char>(c);
    SysFreeString(size);
    return FAILED(status) ? answer_of(status, 0) : text;
  }
  return "bad line";
}

int run(const char* operations) {
  CoInitialize(nullptr);
  frame::ComPtr<_Corvane> corvane = make_corvane();
  if (!corvane) {
    std::printf("no Corvane\n");
    return 1;
  }
  std::ifstream lines(operations);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty()) continue;
    std::vector<std::string> field;
    std::istringstream parts(line);
    for (std::string part; std::getline(parts, part, '\t');) field.push_back(part);
    if (field.size() < 3) continue;
    std::printf("%s\t%s\n", field[0].c_str(), call(corvane.get(), field).c_str());
    std::fflush(stdout);
  }
  corvane.reset();
  CoUninitialize();
  return 0;
}

int hold(const char* release, char** files, int count) {
  std::vector<frame::Handle> held;
  for (int i = 0; i < count; ++i) {
    held.emplace_back(CreateFileW(from_utf8(files[i]).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  0, nullptr));
    if (!held.back()) {
      std::printf("not held: %s (%lu)\n", files[i], GetLastError());
      return 1;
    }
  }
  std::printf("held\n");
  std::fflush(stdout);
  // At most five minutes: a test that dies must not leave the files held.
  std::wstring flag = from_utf8(release);
  for (int i = 0; i < 6000 && GetFileAttributesW(flag.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(50);
  return 0;
}

int append(const char* release, const char* file) {
  frame::Handle growing(CreateFileW(from_utf8(file).c_str(), FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                    nullptr));
  LARGE_INTEGER size{};
  if (!growing || !GetFileSizeEx(growing.get(), &size)) {
    std::printf("not opened: %s (%lu)\n", file, GetLastError());
    return 1;
  }
  std::string chunk(100, 'a');
  std::wstring flag = from_utf8(release);
  for (int i = 0; i < 12000 && GetFileAttributesW(flag.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) {
    DWORD written = 0;
    if (!WriteFile(growing.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &written, nullptr)) break;
    size.QuadPart += written;
    if (i == 0) {
      std::printf("appending\n");
      std::fflush(stdout);
    }
    Sleep(5);
  }
  std::printf("size %lld\n", static_cast<long long>(size.QuadPart));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "run") return run(argv[2]);
  if (argc >= 4 && std::string(argv[1]) == "hold") return hold(argv[2], argv + 3, argc - 3);
  if (argc == 4 && std::string(argv[1]) == "append") return append(argv[2], argv[3]);
  std::printf("usage: fault_client run <operations> | hold <release file> <file>... | append <release file> <file>\n");
  return 2;
}
