// Load and unload: a host that frees idle libraries loads, uses and frees
// each of them again and again. Every cycle (load the DLL, get its class
// object, create an instance, make a late-bound call that succeeds and one
// whose body raises an error, release, free the DLL) must give back
// everything it took: the heap, the private memory and
// the handle count stay flat over a thousand cycles.
//   SUITE_TEST_DIST points the test at other DLLs, SUITE_UNLOAD_CYCLES
//   changes the number of cycles.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "frame/owners.h"
#include "process_counts.h"

namespace {

using frame::ComPtr;

const std::wstring kDist = [] {
  wchar_t other[MAX_PATH] = {};
  return GetEnvironmentVariableW(L"SUITE_TEST_DIST", other, MAX_PATH) ? std::wstring(other) : std::wstring(SUITE_DIST_DIR);
}();

int cycles() {
  wchar_t text[16] = {};
  return GetEnvironmentVariableW(L"SUITE_UNLOAD_CYCLES", text, 16) ? _wtoi(text) : 1000;
}

// One page of noise per hundred cycles: the platform's own bookkeeping
// (loader lists, caches) moves by a few blocks now and then; a leak per
// cycle moves by its size times the number of cycles.
constexpr int64_t kNoisePerHundredCycles = 4096;
constexpr int kWarmUpCycles = 20;

// One argument as a script passes it: a text, a Long, or a variable that
// holds nothing yet (by reference).
struct Arg {
  std::wstring text;
  long number = 0;
  enum Kind { Text, Long, EmptyVariable } kind = Text;
};
Arg text(std::wstring value) { return Arg{std::move(value)}; }
Arg number(long value) { return Arg{L"", value, Arg::Long}; }
Arg empty_variable() { return Arg{L"", 0, Arg::EmptyVariable}; }

struct Call {
  const wchar_t* method;
  std::vector<Arg> args;
};

// A library, the class created in each cycle, a call that succeeds and a
// call whose body raises an error (the runtime's exception machinery runs).
struct Case {
  const wchar_t* library;
  const wchar_t* clsid;
  Call succeeds, fails;
};

const Case kCases[] = {
    {L"Lirrow", L"{AC63C352-843F-408C-B60C-ED2ACC3147D4}", {L"StringCount", {text(L"abcb"), text(L"b")}},
     {L"StringCount", {text(std::wstring(40000, L'b')), text(L"b")}}},
    {L"Velmora", L"{534F3C90-3B13-4DDE-933C-C4D2C888145C}",
     {L"BlendColors", {number(0), number(255), number(4), empty_variable()}},
     {L"BlendColors", {number(0), number(255), number(600000000), empty_variable()}}},
    {L"Tarsen", L"{05873BC5-B859-4FC8-B6D5-852DAE5EB6CA}", {L"WindowsType", {}},
     {L"StartAndWait", {text(L"Q:\\no\\such\\program.exe")}}},
    {L"Corvane", L"{9EE7DC91-6FB3-40D6-A659-2C5497F9009A}", {L"FolderOrFileExist", {text(L"C:\\")}},
     {L"FolderOrFileTimeCreate", {text(L"Q:\\no\\such\\file.txt")}}},
};

void PrintTo(const Case& c, std::ostream* out) {
  for (const wchar_t* p = c.library; *p; ++p) *out << static_cast<char>(*p);
}

// A late-bound call by name; its status.
HRESULT invoke(IDispatch* object, const Call& call) {
  LPOLESTR name = const_cast<LPOLESTR>(call.method);
  DISPID id = 0;
  if (HRESULT status = object->GetIDsOfNames(IID_NULL, &name, 1, 0, &id); FAILED(status)) return status;
  std::vector<frame::Variant> values(call.args.size()), variables(call.args.size());
  std::vector<VARIANT> reversed;
  for (size_t i = call.args.size(); i-- > 0;) {
    const Arg& arg = call.args[i];
    VARIANT& value = *values[i].get();
    if (arg.kind == Arg::Text) {
      V_VT(&value) = VT_BSTR;
      V_BSTR(&value) = SysAllocString(arg.text.c_str());
    } else if (arg.kind == Arg::Long) {
      V_VT(&value) = VT_I4;
      V_I4(&value) = arg.number;
    }
    VARIANT passed = value;
    if (arg.kind == Arg::EmptyVariable) {
      V_VT(&passed) = VT_BYREF | VT_VARIANT;
      V_VARIANTREF(&passed) = variables[i].get();
    }
    reversed.push_back(passed);
  }
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  frame::Variant result;
  EXCEPINFO exception{};
  HRESULT status = object->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, result.get(), &exception, nullptr);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  return status;
}

// One cycle; false (and why) when a step fails.
bool one_cycle(const Case& c, const std::wstring& path, std::string& why) {
  HMODULE module = LoadLibraryW(path.c_str());
  if (!module) return why = "LoadLibrary failed", false;
  auto get_class_object = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
  auto can_unload_now = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
  CLSID clsid{};
  CLSIDFromString(c.clsid, &clsid);
  {
    ComPtr<IClassFactory> factory;
    ComPtr<IDispatch> object;
    if (!get_class_object || get_class_object(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.put())) != S_OK)
      why = "no class object";
    else if (factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(object.put())) != S_OK)
      why = "no instance";
    else if (invoke(object.get(), c.succeeds) != S_OK)
      why = "the call failed";
    else if (invoke(object.get(), c.fails) != DISP_E_EXCEPTION)
      why = "the failing call did not raise its error";
  }
  if (why.empty() && can_unload_now() != S_OK) why = "DllCanUnloadNow refuses after the release";
  FreeLibrary(module);
  // The x86 library keeps itself loaded (the 32-bit runtime cannot give back
  // what each load registers); the x64 library is really unloaded.
  const bool stays_loaded = sizeof(void*) == 4;
  if ((GetModuleHandleW(path.c_str()) != nullptr) != stays_loaded)
    why = stays_loaded ? "the x86 library was unloaded" : "still loaded after FreeLibrary";
  return why.empty();
}

struct Counts {
  int64_t heap, private_memory;
  DWORD handles;
};

// The least of each count over a few cycles: the platform's heap takes and
// gives back whole 64 KiB regions on its own now and then; a leak raises
// the least value too.
constexpr int kSampleCycles = 10;
Counts counts_over_cycles(const Case& c, const std::wstring& path, std::string& why) {
  Counts least{INT64_MAX, INT64_MAX, MAXDWORD};
  for (int i = 0; i < kSampleCycles && one_cycle(c, path, why); ++i) {
    const suite_test::HeapFigures heaps = suite_test::heap_figures();
    least.heap = std::min(least.heap, static_cast<int64_t>(heaps.busy));
    least.private_memory = std::min(least.private_memory, static_cast<int64_t>(suite_test::private_bytes() - heaps.committed));
    least.handles = std::min(least.handles, suite_test::handle_count());
  }
  return least;
}

class UnloadTest : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  void TearDown() override { CoUninitialize(); }
};

TEST_P(UnloadTest, CyclesLeaveNothingBehind) {
  const Case& c = GetParam();
  const std::wstring path = kDist + L"\\" + c.library + L".dll";
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "not built";
  ASSERT_EQ(GetModuleHandleW(path.c_str()), nullptr);
  std::string why;
  for (int i = 0; i < kWarmUpCycles; ++i) ASSERT_TRUE(one_cycle(c, path, why)) << why;
  // The counting itself must see a block that stays.
  const int64_t seen = static_cast<int64_t>(suite_test::heap_busy_bytes());
  void* probe = HeapAlloc(GetProcessHeap(), 0, 10000);
  EXPECT_GE(static_cast<int64_t>(suite_test::heap_busy_bytes()) - seen, 10000);
  HeapFree(GetProcessHeap(), 0, probe);

  const int n = cycles();
  const Counts before = counts_over_cycles(c, path, why);
  for (int i = 0; i < n && why.empty(); ++i) one_cycle(c, path, why);
  const Counts after = counts_over_cycles(c, path, why);
  ASSERT_TRUE(why.empty()) << why;
  const int64_t heap = after.heap - before.heap, memory = after.private_memory - before.private_memory;
  const int64_t allowed = kNoisePerHundredCycles * ((n + 99) / 100);
  std::printf("%ls %d-bit, %d cycles: heap %+lld bytes (%.1f a cycle), private memory outside the heaps %+lld bytes (%.1f a cycle), "
              "handles %lu -> %lu\n",
              c.library, static_cast<int>(sizeof(void*) * 8), n, static_cast<long long>(heap),
              static_cast<double>(heap) / n, static_cast<long long>(memory), static_cast<double>(memory) / n,
              before.handles, after.handles);
  EXPECT_LE(heap, allowed);
  EXPECT_LE(memory, allowed);
  EXPECT_EQ(after.handles, before.handles);
}

INSTANTIATE_TEST_SUITE_P(Libraries, UnloadTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.library, info.param.library + wcslen(info.param.library)); });

}  // namespace
