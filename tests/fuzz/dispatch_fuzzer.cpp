// The dispatch fuzzer: loads every server DLL of a folder, creates every
// class, reads each class's members from the type library and makes random
// late-bound calls (argument counts, kinds, by-reference mixes, null strings,
// extreme numbers, a host object that fails). It checks that nothing
// crashes, that every status is one the suite documents, that results have
// the declared kind, that no host object is kept after a call, and that the
// process's handle and GDI object counts stay put; at the end every library
// must agree to be unloaded.
//   dispatch_fuzzer [dist folder] [--seed N] [--calls N]
#include <windows.h>
#include <oleauto.h>
#include <objsafe.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "failing_host.h"
#include "process_counts.h"
#include "random_arguments.h"
#include "server_library.h"

using namespace suite_test;
using frame::ComPtr;

namespace {

// Members whose real effect would harm the session running the tests, and
// members that need a tighter leash. Everything else is fuzzed freely.
enum class Treatment { Free, Skip, HostOnly, Bounded };
struct Rule {
  const wchar_t* member;
  Treatment treatment;
  const char* why;
};
const Rule kRules[] = {
    {L"WinLogOff", Treatment::Skip, "logs the user off"},
    {L"ChangeDisplayResolution", Treatment::Skip, "changes the display mode"},
    {L"KillProcess", Treatment::Skip, "ends processes"},
    {L"DeleteFolderOrFile", Treatment::Skip, "deletes files"},
    {L"MoveFiles", Treatment::Skip, "moves files"},
    {L"CopyFiles", Treatment::Skip, "copies files anywhere"},
    {L"ClearGarbage", Treatment::Skip, "empties the recycle bin"},
    {L"ShowGarbage", Treatment::Skip, "starts the file explorer"},
    {L"ChooseFolder", Treatment::Skip, "modal folder dialog"},
    {L"FolderOrFileProperties", Treatment::Skip, "properties dialog"},
    {L"MsgBoxPlus", Treatment::Skip, "modal message box"},
    {L"ObjectMove", Treatment::Skip, "modal move loop"},
    {L"MinimizedAllWindows", Treatment::Skip, "synthesised key presses"},
    {L"LockCursor", Treatment::Skip, "confines the pointer"},
    {L"ClickMouse", Treatment::Skip, "synthesised clicks"},
    {L"MoveMouse", Treatment::Skip, "moves the pointer"},
    {L"CenterMouseOnElement", Treatment::Skip, "moves the pointer"},
    {L"SetKeyboardLanguage", Treatment::Skip, "switches the keyboard layout"},
    {L"SetDiskLabel", Treatment::Skip, "renames volumes"},
    {L"StartAndWait", Treatment::Skip, "starts programs and waits without limit"},
    {L"ApletShell", Treatment::Skip, "opens control-panel applets"},
    {L"FileAssociation", Treatment::Skip, "writes the classes root"},
    {L"DisableWindow", Treatment::Skip, "disables other windows"},
    {L"ChangeWindowCaption", Treatment::Skip, "renames other windows"},
    {L"CloseLock", Treatment::Skip, "changes other windows' menus"},
    {L"SetParentObject", Treatment::Skip, "re-parents other windows"},
    {L"Transparent", Treatment::Skip, "changes other windows' styles"},
    {L"OnTop", Treatment::Skip, "changes other windows' order"},
    {L"MenuColor", Treatment::Skip, "changes other windows' menus"},
    {L"SetCurrentDir", Treatment::Skip, "changes the process's current directory"},
    {L"CursorVisible", Treatment::Skip, "changes the cursor's display count"},
    {L"Draw", Treatment::HostOnly, "only the failing host; each call may show a message box (dismissed)"},
    {L"Gradient", Treatment::HostOnly, "only the failing host"},
    {L"BlendColors", Treatment::Bounded, "small numbers only: a huge step count allocates gigabytes"},
};

const Rule* rule_for(const std::wstring& member) {
  for (const Rule& rule : kRules)
    if (_wcsicmp(rule.member, member.c_str()) == 0) return &rule;
  return nullptr;
}

// A member that shows a message box on every failure costs a dismissal each
// time: it gets only this many calls.
constexpr long kHostOnlyCalls = 150;
constexpr int kRecreateEvery = 997;
constexpr int kBatch = 64;
constexpr double kTimeLimitSeconds = 100;
constexpr DWORD kHungCallMilliseconds = 30000;

// ---- what counts as a documented status ----

// Run-time errors a method may raise: the standard ones, the host's errors
// (91, 438, 450). 51 (internal error) is the frame's report of an unexpected
// exception and therefore a finding.
bool documented_error(SCODE scode) {
  if (HRESULT_FACILITY(scode) != FACILITY_CONTROL || !(scode & 0x80000000)) return false;
  static const int numbers[] = {5, 6, 7, 9, 10, 11, 13, 52, 53, 57, 58, 61, 62, 67, 68, 70, 71, 74, 75, 76, 91, 438, 450};
  const int number = HRESULT_CODE(scode);
  return std::find(std::begin(numbers), std::end(numbers), number) != std::end(numbers);
}

bool documented_dispatch_status(HRESULT status) {
  switch (status) {
    case DISP_E_BADPARAMCOUNT: case DISP_E_TYPEMISMATCH: case DISP_E_PARAMNOTOPTIONAL:
    case DISP_E_PARAMNOTFOUND: case DISP_E_MEMBERNOTFOUND: case DISP_E_UNKNOWNINTERFACE:
    case DISP_E_OVERFLOW: case DISP_E_BADVARTYPE:
    case E_INVALIDARG:  // a malformed argument block
      return true;
    default:
      return false;
  }
}

// ---- resource counts ----

// Both counts must see one more object while one is open, or the leak
// checks below would prove nothing.
bool counts_see_new_objects() {
  const DWORD handles = handle_count();
  frame::Handle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const bool handle_seen = handle_count() == handles + 1;
  const DWORD gdi = gdi_object_count();
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  const bool gdi_seen = gdi_object_count() == gdi + 1;
  DeleteObject(pen);
  return handle_seen && gdi_seen;
}

// ---- the guard thread: dismisses message boxes, stops hung calls ----

struct Guard {
  volatile LONG stop = 0;
  volatile LONG dismissed = 0;
  volatile LONGLONG call_started = 0;  // GetTickCount64 when the current call began, 0 between calls
  char current[512] = {};
};
Guard g_guard;

BOOL CALLBACK dismiss_dialog(HWND window, LPARAM) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t class_name[16] = {};
  if (process == GetCurrentProcessId() && GetClassNameW(window, class_name, 16) && wcscmp(class_name, L"#32770") == 0 &&
      IsWindowVisible(window)) {
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    PostMessageW(window, WM_CLOSE, 0, 0);
    InterlockedIncrement(&g_guard.dismissed);
  }
  return TRUE;
}

DWORD WINAPI guard_thread(void*) {
  while (!g_guard.stop) {
    Sleep(15);
    EnumWindows(dismiss_dialog, 0);
    const LONGLONG started = g_guard.call_started;
    if (started && GetTickCount64() - static_cast<ULONGLONG>(started) > kHungCallMilliseconds) {
      fprintf(stdout, "FAIL hung call: %s\n", g_guard.current);
      fflush(stdout);
      TerminateProcess(GetCurrentProcess(), 4);
    }
  }
  return 0;
}

LONG WINAPI report_crash(EXCEPTION_POINTERS* info) {
  fprintf(stdout, "FAIL crash 0x%08lx at %p during %s\n", info->ExceptionRecord->ExceptionCode,
          info->ExceptionRecord->ExceptionAddress, g_guard.current);
  fflush(stdout);
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_EXECUTE_HANDLER;
}

// ---- the run ----

struct Target {
  const ServerLibrary* library;
  const ClassInfo* info;
  const MemberInfo* member;
  Treatment treatment;
  long quota = 0;
  long done = 0;
  double seconds = 0;
  std::mt19937_64 random;
};

struct ClassInstance {
  const ServerLibrary* library;
  const ClassInfo* info;
  ComPtr<IDispatch> object;
  long calls = 0;
};

class Fuzzer {
 public:
  int failures() const { return failures_; }
  long calls() const { return calls_; }

  void fail(const std::string& what) {
    if (++failures_ <= 25) printf("FAIL %s\n", what.c_str());
  }

  void call(Target& target, ClassInstance& instance, const ArgumentRules& rules, FailingHost& host);
  void print_statuses() const {
    for (const auto& [status, count] : statuses_) printf("  status 0x%08lx: %ld\n", static_cast<unsigned long>(status), count);
  }

 private:
  int failures_ = 0;
  long calls_ = 0;
  std::map<HRESULT, long> statuses_;
};

WORD flags_for(const MemberInfo& member) {
  switch (member.kind) {
    case INVOKE_PROPERTYPUT: return DISPATCH_PROPERTYPUT;
    case INVOKE_PROPERTYPUTREF: return DISPATCH_PROPERTYPUTREF;
    case INVOKE_PROPERTYGET: return DISPATCH_PROPERTYGET | DISPATCH_METHOD;
    default: return DISPATCH_METHOD;
  }
}

void Fuzzer::call(Target& target, ClassInstance& instance, const ArgumentRules& rules, FailingHost& host) {
  std::mt19937_64& random = target.random;
  const MemberInfo& member = *target.member;
  const int odd = std::uniform_int_distribution<int>(0, 99)(random);
  if (odd == 24) {
    // Names resolve whatever their case.
    std::wstring name = member.name;
    for (wchar_t& c : name) c = random() % 2 ? towupper(c) : towlower(c);
    LPOLESTR names[] = {name.data()};
    DISPID id = DISPID_UNKNOWN;
    if (instance.object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id) != S_OK || id != member.id)
      fail(narrow(instance.info->name) + "." + narrow(name) + ": the name does not resolve to its DISPID");
  }
  if (odd == 25) {
    // Malformed name lookups: no place for the answers, no names, no count.
    std::wstring name = member.name;
    LPOLESTR names[] = {name.data()};
    DISPID id = DISPID_UNKNOWN;
    const HRESULT no_ids = instance.object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, nullptr);
    const HRESULT no_names = instance.object->GetIDsOfNames(IID_NULL, nullptr, 1, LOCALE_USER_DEFAULT, &id);
    const HRESULT no_count = instance.object->GetIDsOfNames(IID_NULL, names, 0, LOCALE_USER_DEFAULT, &id);
    if (no_ids != E_POINTER || no_names != E_INVALIDARG || no_count != E_INVALIDARG)
      fail(narrow(instance.info->name) + "." + narrow(member.name) + ": a malformed name lookup was not refused");
  }
  host.set_mode(static_cast<FailingHost::Mode>(random() % 3));

  size_t count = member.params.size();
  if (odd < 12) count = random() % (member.params.size() + 3);
  WORD flags = flags_for(member);
  if (odd >= 12 && odd < 15) flags = static_cast<WORD>(random() % 16);
  DISPID id = member.id;
  if (odd == 15) id = static_cast<DISPID>(random());
  const bool wrong_interface = odd == 16;

  CallArguments arguments(random, member, count, rules);
  std::vector<DISPID> named(arguments.count(), DISPID_PROPERTYPUT);
  DISPPARAMS params{arguments.reversed(), nullptr, arguments.count(), 0};
  // A property's new value travels as the named argument DISPID_PROPERTYPUT.
  if ((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) && params.cArgs > 0 && odd != 17) {
    params.rgdispidNamedArgs = named.data();
    params.cNamedArgs = 1;
  } else if (odd >= 20 && odd < 24 && params.cArgs > 0) {
    // Named arguments: parameter positions, now and then one that is
    // repeated or does not exist.
    params.cNamedArgs = 1 + static_cast<UINT>(random() % params.cArgs);
    for (UINT i = 0; i < params.cNamedArgs; ++i)
      named[i] = odd == 23 ? static_cast<DISPID>(random() % 8) - 2 : static_cast<DISPID>((i + random() % 2) % params.cArgs);
    params.rgdispidNamedArgs = named.data();
  }
  // By-value texts belong to the caller: the call must leave them as they were.
  std::vector<std::pair<BSTR, std::wstring>> by_value_texts;
  for (UINT i = 0; i < params.cArgs; ++i)
    if (V_VT(&params.rgvarg[i]) == VT_BSTR && V_BSTR(&params.rgvarg[i]))
      by_value_texts.emplace_back(V_BSTR(&params.rgvarg[i]), std::wstring(V_BSTR(&params.rgvarg[i]), SysStringLen(V_BSTR(&params.rgvarg[i]))));

  // Malformed argument blocks: arguments counted but absent, more named
  // arguments than arguments, a by-reference argument that names no place.
  // Each must be refused with a status (E_INVALIDARG, DISP_E_BADPARAMCOUNT).
  VARIANT null_reference;
  V_VT(&null_reference) = VT_BYREF | VT_BSTR;
  V_BSTRREF(&null_reference) = nullptr;
  VARIANT saved_first{};
  const bool malformed = odd >= 26 && odd < 30;
  if (odd == 26) params.rgvarg = params.cArgs > 0 ? nullptr : params.rgvarg;
  if (odd == 27) {
    params.cNamedArgs = params.cArgs + 1 + static_cast<UINT>(random() % 3);
    params.rgdispidNamedArgs = random() % 2 ? named.data() : nullptr;
    named.resize(std::max<size_t>(named.size(), params.cNamedArgs), 0);
    if (params.rgdispidNamedArgs) params.rgdispidNamedArgs = named.data();
  }
  if (odd == 28 && params.cArgs > 0) {
    saved_first = params.rgvarg[0];
    params.rgvarg[0] = null_reference;
  }
  VARIANT result;
  VariantInit(&result);
  EXCEPINFO exception{};
  UINT arg_error = 0xFFFFFFFF;
  const bool want_result = odd != 18, want_exception = odd != 19;
  snprintf(g_guard.current, sizeof g_guard.current, "%s.%s #%ld flags %u id 0x%lx %s", narrow(instance.info->name).c_str(),
           narrow(member.name).c_str(), target.done, flags, static_cast<unsigned long>(id), arguments.describe().c_str());
  g_guard.call_started = static_cast<LONGLONG>(GetTickCount64());
  const HRESULT status = instance.object->Invoke(id, wrong_interface ? IID_IDispatch : IID_NULL, LOCALE_USER_DEFAULT, flags,
                                                 odd == 29 ? nullptr : &params, want_result ? &result : nullptr,
                                                 want_exception ? &exception : nullptr, &arg_error);
  if (odd == 28 && params.cArgs > 0) params.rgvarg[0] = saved_first;
  if (odd == 26) params.rgvarg = arguments.reversed();
  const bool refusable = (odd == 26 || odd == 28) ? params.cArgs > 0 : malformed;
  if (refusable && status != E_INVALIDARG && status != DISP_E_BADPARAMCOUNT && status != DISP_E_MEMBERNOTFOUND &&
      status != DISP_E_UNKNOWNINTERFACE)
    fail(std::string(g_guard.current) + ": a malformed argument block was not refused");
  g_guard.call_started = 0;
  ++calls_;
  ++instance.calls;

  HRESULT seen = status;
  if (status == DISP_E_EXCEPTION && want_exception) seen = exception.scode;
  ++statuses_[seen];
  std::string where = g_guard.current;
  for (UINT i = 0, t = 0; i < params.cArgs; ++i) {
    if (V_VT(&params.rgvarg[i]) != VT_BSTR || !V_BSTR(&params.rgvarg[i])) continue;
    const auto& [pointer, text] = by_value_texts[t++];
    if (V_BSTR(&params.rgvarg[i]) != pointer || std::wstring_view(pointer, SysStringLen(pointer)) != text)
      fail(where + ": a by-value text was changed");
  }
  if (status == S_OK) {
    if (want_result && (V_VT(&result) & VT_BYREF)) fail(where + ": a reference as result");
    const VARTYPE expected = member.kind == INVOKE_PROPERTYPUT || member.result == VT_EMPTY ? static_cast<VARTYPE>(VT_EMPTY) : member.result;
    const bool same_member = id == member.id && flags == flags_for(member);
    if (want_result && same_member && expected != VT_VARIANT && V_VT(&result) != expected)
      fail(where + ": result of kind " + std::to_string(V_VT(&result)) + ", declared " + std::to_string(expected));
  } else if (status == DISP_E_EXCEPTION) {
    if (V_VT(&result) != VT_EMPTY) fail(where + ": a failed call left a result");
    if (want_exception) {
      const SCODE scode = exception.scode;
      const bool host_status = arguments.passes_host() && (scode == kHostRaised || scode == kHostRefused);
      if (!documented_error(scode) && scode != E_NOTIMPL && !host_status) {
        char text[32];
        snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(scode));
        fail(where + ": undocumented error status " + text);
      }
      if (documented_error(scode) && (!exception.bstrDescription || !*exception.bstrDescription || !exception.bstrSource))
        fail(where + ": error without source or description");
      SysFreeString(exception.bstrSource);
      SysFreeString(exception.bstrDescription);
      SysFreeString(exception.bstrHelpFile);
    }
  } else if (!documented_dispatch_status(status)) {
    char text[32];
    snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(status));
    fail(where + ": undocumented status " + text);
  }
  VariantClear(&result);
}

}  // namespace

int main(int argc, char** argv) {
  SetUnhandledExceptionFilter(report_crash);
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  std::wstring dist = SUITE_DIST_DIR;
  uint64_t seed = 20261207;
  long target_calls = 120000;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--seed" && i + 1 < argc) seed = std::stoull(argv[++i]);
    else if (arg == "--calls" && i + 1 < argc) target_calls = std::stol(argv[++i]);
    else dist = std::wstring(arg.begin(), arg.end());
  }
  printf("dispatch fuzzer: seed %llu, at least %ld calls, DLLs from %s\n", static_cast<unsigned long long>(seed),
         target_calls, narrow(dist).c_str());
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;

  // A sandbox for the members that take paths: a small tree, also the
  // current directory, so relative paths and the empty path stay inside it.
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring sandbox = std::wstring(temp) + L"suite_fuzz_" + std::to_wstring(GetCurrentProcessId());
  const std::wstring inner = sandbox + L"\\a\\b";
  CreateDirectoryW(sandbox.c_str(), nullptr);
  CreateDirectoryW((sandbox + L"\\a").c_str(), nullptr);
  CreateDirectoryW(inner.c_str(), nullptr);
  const std::wstring file = inner + L"\\file.txt";
  {
    frame::Handle handle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(handle.get(), "fuzz\r\n", 6, &written, nullptr);
  }
  SetCurrentDirectoryW(inner.c_str());

  FailingHost host;
  ArgumentRules rules;
  rules.host = &host;
  rules.texts = {L"", L"a", L"b", L"x", L"abcabc", L"ab", std::wstring(40000, L'x'), std::wstring(3000, L'\0'),
                 L"\x041f\x0440\x0438\x0432\x0435\x0442", L"\x008f\x00e0\x00a8\x00a2\x00a5\x00e2", L"a\0b",
                 std::wstring(1, static_cast<wchar_t>(0xD800)), sandbox, inner, file, L"file.txt", L"..", L"..\\..",
                 L"Q:\\", L"Z:\\no\\such\\file.txt", L"\\\\?\\Q:\\x", L"*", L"*.*", L"?", L"%TEMP%", L"1e309", L"123",
                 L"-1", L"32768", L"2147483648", L"True", L"12/31/9999", L"2026-12-07", L"kernel32.dll",
                 std::wstring(300, L'p'), dist + L"\\Lirrow.dll"};

  // Every library of the folder, with its classes and members.
  std::vector<std::unique_ptr<ServerLibrary>> libraries;
  for (const std::wstring& path : dlls_in(dist)) {
    std::wstring why;
    auto library = ServerLibrary::load(path, why);
    if (!library) {
      printf("skipped %s: %s\n", narrow(path).c_str(), narrow(why).c_str());
      continue;
    }
    libraries.push_back(std::move(library));
  }
  if (libraries.empty()) {
    printf("FAIL no server DLL in %s\n", narrow(dist).c_str());
    return 1;
  }

  Fuzzer fuzzer;
  std::vector<ClassInstance> instances;
  std::vector<Target> targets;
  for (const auto& library : libraries) {
    for (const ClassInfo& info : library->classes()) {
      ClassInstance& instance = instances.emplace_back(ClassInstance{library.get(), &info, {}, 0});
      HRESULT status = library->create(info, IID_IDispatch, reinterpret_cast<void**>(instance.object.put()));
      if (FAILED(status)) {
        fuzzer.fail(narrow(library->name()) + "." + narrow(info.name) + " cannot be created");
        continue;
      }
      // These components delete files and end processes: none may claim to
      // be safe for scripting or initialisation.
      ComPtr<IObjectSafety> safety;
      if (instance.object->QueryInterface(IID_IObjectSafety, reinterpret_cast<void**>(safety.put())) != E_NOINTERFACE)
        fuzzer.fail(narrow(info.name) + " answers IObjectSafety");
      for (const MemberInfo& member : info.members) {
        const Rule* rule = rule_for(member.name);
        const char* kind = member.kind == INVOKE_PROPERTYPUT ? " (let)" : member.kind == INVOKE_PROPERTYGET ? " (get)" : "";
        if (rule && rule->treatment == Treatment::Skip) {
          printf("  skip %s.%s%s: %s\n", narrow(info.name).c_str(), narrow(member.name).c_str(), kind, rule->why);
          continue;
        }
        Target& target = targets.emplace_back();
        target.library = library.get();
        target.info = &info;
        target.member = &member;
        target.treatment = rule ? rule->treatment : Treatment::Free;
        // Each member's calls come from its own generator, so adding a
        // library does not change the calls made to another.
        std::seed_seq sequence{static_cast<uint32_t>(seed), static_cast<uint32_t>(seed >> 32),
                               static_cast<uint32_t>(std::hash<std::wstring>{}(info.name + L"." + member.name)),
                               static_cast<uint32_t>(member.kind)};
        target.random.seed(sequence);
      }
    }
  }
  // Calls are shared out evenly; the members that show message boxes get few.
  long capped = 0, free_members = 0;
  for (Target& target : targets) {
    if (target.treatment == Treatment::HostOnly) capped += kHostOnlyCalls;
    else ++free_members;
  }
  for (Target& target : targets)
    target.quota = target.treatment == Treatment::HostOnly ? kHostOnlyCalls
                                                           : (target_calls - capped + free_members - 1) / std::max(1L, free_members);

  HANDLE guard = CreateThread(nullptr, 0, guard_thread, nullptr, 0, nullptr);
  auto instance_of = [&](const Target& target) -> ClassInstance& {
    for (ClassInstance& instance : instances)
      if (instance.info == target.info) return instance;
    return instances.front();
  };
  auto run_round = [&](long limit_per_member) {
    for (Target& target : targets) {
      ClassInstance& instance = instance_of(target);
      if (!instance.object) continue;
      ArgumentRules member_rules = rules;
      member_rules.bounded = target.treatment == Treatment::Bounded;
      member_rules.host_for_objects = target.treatment == Treatment::HostOnly;
      const auto start = std::chrono::steady_clock::now();
      for (long n = 0; n < limit_per_member && target.done < target.quota; ++n) {
        fuzzer.call(target, instance, member_rules, host);
        ++target.done;
        if (host.references() != 1) {
          fuzzer.fail(std::string(g_guard.current) + ": the host object was kept (" + std::to_string(host.references()) + " references)");
          while (host.references() > 1) host.Release();
        }
        // Fresh instances now and then: creation and destruction are fuzzed too.
        if (instance.calls % kRecreateEvery == 0) {
          instance.object.reset();
          instance.library->create(*instance.info, IID_IDispatch, reinterpret_cast<void**>(instance.object.put()));
          if (!instance.object) return;
        }
      }
      target.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
  };

  // Warm-up: every member a few times, so caches, per-thread values and the
  // platform's lazily made objects exist before the counts are taken.
  const auto begin = std::chrono::steady_clock::now();
  run_round(8);
  Sleep(100);
  if (!counts_see_new_objects()) fuzzer.fail("the handle or GDI count does not see a new object");
  const DWORD handles_before = handle_count(), gdi_before = gdi_object_count();
  bool time_out = false;
  for (bool more = true; more && !time_out;) {
    run_round(kBatch);
    more = false;
    for (const Target& target : targets) more = more || (target.done < target.quota && instance_of(target).object);
    time_out = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count() > kTimeLimitSeconds;
  }
  const long halfway_calls = fuzzer.calls();
  Sleep(100);
  const DWORD handles_after = handle_count(), gdi_after = gdi_object_count();
  g_guard.stop = 1;
  WaitForSingleObject(guard, 5000);
  CloseHandle(guard);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();

  printf("members fuzzed:\n");
  for (const Target& target : targets)
    printf("  %s.%s%s: %ld calls, %.2f s\n", narrow(target.info->name).c_str(), narrow(target.member->name).c_str(),
           target.member->kind == INVOKE_PROPERTYPUT ? " (let)" : target.member->kind == INVOKE_PROPERTYGET ? " (get)" : "",
           target.done, target.seconds);
  printf("statuses (for DISP_E_EXCEPTION the error's scode):\n");
  fuzzer.print_statuses();
  printf("calls: %ld in %.1f s; message boxes dismissed: %ld\n", halfway_calls, seconds, static_cast<long>(g_guard.dismissed));
  printf("process handles: %lu after warm-up, %lu at the end\n", handles_before, handles_after);
  printf("GDI objects: %lu after warm-up, %lu at the end\n", gdi_before, gdi_after);
  if (time_out) fuzzer.fail("the run took longer than its time limit");
  if (fuzzer.calls() < 100000) fuzzer.fail("fewer than 100000 calls: " + std::to_string(fuzzer.calls()));
  // Counts may move by a few through the platform's own bookkeeping; a leak
  // per call would move them by thousands.
  if (handles_after > handles_before + 4) fuzzer.fail("process handles grew by " + std::to_string(handles_after - handles_before));
  if (gdi_after > gdi_before + 4) fuzzer.fail("GDI objects grew by " + std::to_string(gdi_after - gdi_before));

  instances.clear();
  for (const auto& library : libraries) {
    const HRESULT unload = library->can_unload_now();
    printf("%s: DllCanUnloadNow 0x%08lx\n", narrow(library->name()).c_str(), static_cast<unsigned long>(unload));
    if (unload != S_OK) fuzzer.fail(narrow(library->name()) + " refuses to unload after the run");
  }
  libraries.clear();
  SetCurrentDirectoryW(temp);
  DeleteFileW(file.c_str());
  RemoveDirectoryW(inner.c_str());
  RemoveDirectoryW((sandbox + L"\\a").c_str());
  RemoveDirectoryW(sandbox.c_str());
  CoUninitialize();
  printf("dispatch fuzzer: %ld calls, %d failures\n", fuzzer.calls(), fuzzer.failures());
  return fuzzer.failures() == 0 ? 0 : 1;
}
