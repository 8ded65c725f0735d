// Apartments: every class is apartment-threaded. Two threads, each in its own
// single-threaded apartment, work on instances of the same library at the
// same time and each must keep getting its own answers (module-level scratch
// values exist once per thread); an instance called from another apartment
// goes through the automation marshaller, driven by the type library, and
// behaves there as it does at home, errors included.
#include <initguid.h>

#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>
#include <cguid.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "lirrow_h.h"
#include "server_library.h"

namespace {

using frame::Bstr;
using frame::ComPtr;
using frame::Variant;
using suite_test::ServerLibrary;

// The built DLLs; SUITE_TEST_DIST points the test at another folder.
const std::wstring kDist = [] {
  wchar_t other[MAX_PATH] = {};
  return GetEnvironmentVariableW(L"SUITE_TEST_DIST", other, MAX_PATH) ? std::wstring(other) : std::wstring(SUITE_DIST_DIR);
}();
constexpr int kRounds = 1500;

std::unique_ptr<ServerLibrary> load(const std::wstring& name) {
  std::wstring why;
  const std::wstring path = kDist + L"\\" + name + L".dll";
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return nullptr;
  return ServerLibrary::load(path, why);
}

// One argument as a script passes a literal.
struct Arg {
  std::wstring text;
  long number = 0;
  bool is_text = true;
};
Arg text(std::wstring value) { return Arg{std::move(value), 0, true}; }
Arg number(long value) { return Arg{L"", value, false}; }

struct Outcome {
  HRESULT status = E_FAIL;
  SCODE scode = 0;
  std::wstring description;
  std::wstring result;  // the result as text
};

Outcome call(IDispatch* object, const wchar_t* name, const std::vector<Arg>& args) {
  Outcome outcome;
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  outcome.status = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(outcome.status)) return outcome;
  std::vector<VARIANT> reversed(args.size());
  for (size_t i = 0; i < args.size(); ++i) {
    VARIANT& value = reversed[args.size() - 1 - i];
    VariantInit(&value);
    if (args[i].is_text) {
      V_VT(&value) = VT_BSTR;
      V_BSTR(&value) = SysAllocStringLen(args[i].text.data(), static_cast<UINT>(args[i].text.size()));
    } else {
      V_VT(&value) = VT_I4;
      V_I4(&value) = args[i].number;
    }
  }
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  Variant result;
  EXCEPINFO exception{};
  outcome.status = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.get(), &exception, nullptr);
  for (VARIANT& value : reversed) VariantClear(&value);
  if (outcome.status == DISP_E_EXCEPTION) {
    outcome.scode = exception.scode;
    outcome.description = exception.bstrDescription ? exception.bstrDescription : L"";
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
  }
  if (SUCCEEDED(outcome.status) && SUCCEEDED(VariantChangeType(result.get(), result.get(), 0, VT_BSTR)))
    outcome.result.assign(V_BSTR(result.get()) ? V_BSTR(result.get()) : L"", SysStringLen(V_BSTR(result.get())));
  return outcome;
}

// A thread in a single-threaded apartment of its own.
void in_apartment(const std::function<void()>& body) {
  std::thread thread([&] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    body();
    CoUninitialize();
  });
  thread.join();
}

// Per library, a member whose answer differs between the two threads' inputs;
// GetSystemDirs resolves special folders through module-level scratch values
// (item list, path buffer), one copy per thread.
struct Probe {
  const wchar_t* library;
  const wchar_t* class_name;
  const wchar_t* member;
  std::vector<Arg> first, second;
};
const Probe kProbes[] = {
    {L"Lirrow", L"Lirrow", L"FindAndReplace", {text(L"a-b-c"), text(L"-"), text(L"+")}, {text(L"x.y.z"), text(L"."), text(L"::")}},
    {L"Lirrow", L"Lirrow", L"StringCount", {text(L"a,b,c"), text(L",")}, {text(L"xxxx"), text(L"x")}},
    {L"Tarsen", L"Tarsen", L"GetSystemDirs", {number(9), number(1)}, {number(15), number(0)}},
    {L"Corvane", L"Corvane", L"FolderOrFileExist", {text(L"C:\\windows")}, {text(L"Q:\\nothing")}},
};

TEST(Apartments, TwoThreadsKeepTheirOwnAnswers) {
  int probed = 0;
  for (const Probe& probe : kProbes) {
    auto library = load(probe.library);
    if (!library) continue;  // not built yet
    const suite_test::ClassInfo* info = nullptr;
    for (const auto& candidate : library->classes())
      if (candidate.name == probe.class_name) info = &candidate;
    ASSERT_NE(info, nullptr) << suite_test::narrow(probe.library);

    std::atomic<int> ready{0};
    std::atomic<int> mismatches{0};
    std::atomic<bool> not_built{false};
    auto worker = [&](const std::vector<Arg>& args) {
      CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
      {
        ComPtr<IDispatch> object;
        if (SUCCEEDED(library->create(*info, IID_IDispatch, reinterpret_cast<void**>(object.put())))) {
          const Outcome alone = call(object.get(), probe.member, args);
          if (alone.status == DISP_E_EXCEPTION && alone.scode == E_NOTIMPL) not_built = true;
          ++ready;
          while (ready < 2) SwitchToThread();
          for (int i = 0; i < kRounds && !not_built; ++i) {
            const Outcome now = call(object.get(), probe.member, args);
            if (now.status != alone.status || now.result != alone.result) ++mismatches;
          }
        } else {
          ++mismatches;
          ++ready;
        }
      }
      CoUninitialize();
    };
    std::thread first(worker, std::cref(probe.first)), second(worker, std::cref(probe.second));
    first.join();
    second.join();
    if (not_built) continue;
    ++probed;
    printf("two apartments at once: %s.%s, %d calls each\n", suite_test::narrow(probe.library).c_str(),
           suite_test::narrow(probe.member).c_str(), kRounds);
    EXPECT_EQ(mismatches, 0) << suite_test::narrow(probe.library) << "." << suite_test::narrow(probe.member);
  }
  EXPECT_GT(probed, 0);
  EXPECT_EQ(load(L"Lirrow")->can_unload_now(), S_OK);
}

// Module-level values of one thread are not those of another: an answer
// worked out on one thread does not change when another thread has worked
// on the same library in between.
TEST(Apartments, AnotherThreadLeavesNoTrace) {
  auto library = load(L"Lirrow");
  ASSERT_TRUE(library);
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  {
    ComPtr<IDispatch> mine;
    ASSERT_EQ(library->create(library->classes()[0], IID_IDispatch, reinterpret_cast<void**>(mine.put())), S_OK);
    const Outcome before = call(mine.get(), L"FindAndReplace", {text(L"abcabc"), text(L"b"), text(L"x")});
    in_apartment([&] {
      ComPtr<IDispatch> theirs;
      ASSERT_EQ(library->create(library->classes()[0], IID_IDispatch, reinterpret_cast<void**>(theirs.put())), S_OK);
      EXPECT_EQ(call(theirs.get(), L"FindAndReplace", {text(L"zz"), text(L"z"), text(L"q")}).result, L"qq");
      EXPECT_EQ(call(theirs.get(), L"StringCount", {text(std::wstring(40000, L'x')), text(L"x")}).scode, static_cast<SCODE>(0x800A0006));
    });
    const Outcome after = call(mine.get(), L"FindAndReplace", {text(L"abcabc"), text(L"b"), text(L"x")});
    EXPECT_EQ(before.result, L"axcaxc");
    EXPECT_EQ(after.result, before.result);
  }
  CoUninitialize();
}

// The creating apartment pumps messages while another apartment calls in.
void pump_until(HANDLE done) {
  for (;;) {
    DWORD wait = MsgWaitForMultipleObjects(1, &done, FALSE, 30000, QS_ALLINPUT);
    if (wait != WAIT_OBJECT_0 + 1) return;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
}

TEST(Apartments, CallsThroughTheMarshaller) {
  auto library = load(L"Lirrow");
  ASSERT_TRUE(library);
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  {
    ComPtr<IDispatch> object;
    ASSERT_EQ(library->create(library->classes()[0], IID_IDispatch, reinterpret_cast<void**>(object.put())), S_OK);
    IStream* dispatch_stream = nullptr;
    IStream* vtable_stream = nullptr;
    ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(IID_IDispatch, object.get(), &dispatch_stream), S_OK);
    ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(IID__Lirrow, object.get(), &vtable_stream), S_OK)
        << "the interface's proxy comes from the registered type library";

    frame::Handle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const DWORD home = GetCurrentThreadId();
    std::thread caller([&] {
      CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
      {
        ComPtr<IDispatch> remote;
        ComPtr<_Lirrow> remote_vtable;
        EXPECT_EQ(CoGetInterfaceAndReleaseStream(dispatch_stream, IID_IDispatch, reinterpret_cast<void**>(remote.put())), S_OK);
        EXPECT_EQ(CoGetInterfaceAndReleaseStream(vtable_stream, IID__Lirrow, reinterpret_cast<void**>(remote_vtable.put())), S_OK);
        EXPECT_NE(GetCurrentThreadId(), home);
        if (remote && remote_vtable) {
          EXPECT_NE(static_cast<void*>(remote.get()), static_cast<void*>(object.get())) << "a proxy, not the object";
          // Late-bound through the proxy, success and failure.
          EXPECT_EQ(call(remote.get(), L"FindAndReplace", {text(L"abcabc"), text(L"b"), text(L"x")}).result, L"axcaxc");
          const Outcome overflow = call(remote.get(), L"StringCount", {text(std::wstring(40000, L'x')), text(L"x")});
          EXPECT_EQ(overflow.status, DISP_E_EXCEPTION);
          EXPECT_EQ(overflow.scode, static_cast<SCODE>(0x800A0006));
          EXPECT_EQ(overflow.description, L"Overflow");
          EXPECT_EQ(call(remote.get(), L"NoSuchMember", {}).status, DISP_E_UNKNOWNNAME);

          // Through the vtable proxy: by-reference strings travel both ways and
          // the error status comes back with the preset result. (Wine's
          // marshaller does not carry the error object across; the texts were
          // checked above, where they travel in the late-bound call's EXCEPINFO.)
          Bstr source(L"abcabc"), find(L"b"), with(L"x");
          BSTR a = source.release(), b = find.release(), c = with.release(), result = nullptr;
          EXPECT_EQ(remote_vtable->FindAndReplace(&a, &b, &c, &result), S_OK);
          EXPECT_STREQ(result, L"axcaxc");
          SysFreeString(result);
          Bstr many(std::wstring(40000, L'x'));
          Bstr letter(L"x");
          BSTR text_in = many.release(), x = letter.release();
          short count = 123;
          EXPECT_EQ(remote_vtable->StringCount(&text_in, &x, &count), static_cast<HRESULT>(0x800A0006));
          EXPECT_EQ(count, 0);
          for (BSTR text : {a, b, c, text_in, x}) SysFreeString(text);
        }
      }
      CoUninitialize();
      SetEvent(done.get());
    });
    pump_until(done.get());
    caller.join();
    // At home the instance still answers.
    EXPECT_EQ(call(object.get(), L"FindAndReplace", {text(L"abc"), text(L"c"), text(L"d")}).result, L"abd");
  }
  CoUninitialize();
}

// Instances made on a thread die with their last reference; the library may
// then be unloaded.
TEST(Apartments, NoInstanceOutlivesTheThreads) {
  auto library = load(L"Lirrow");
  ASSERT_TRUE(library);
  in_apartment([&] {
    ComPtr<IDispatch> object;
    ASSERT_EQ(library->create(library->classes()[0], IID_IDispatch, reinterpret_cast<void**>(object.put())), S_OK);
    EXPECT_EQ(library->can_unload_now(), S_FALSE);
  });
  EXPECT_EQ(library->can_unload_now(), S_OK);
}

}  // namespace
