// The component server seen by a C++ client: class objects, lifetime,
// registration, the method frame through the vtable and error information.
#include <initguid.h>

#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>
#include <cguid.h>

#include <cstdio>
#include <functional>
#include <string>

#include "frame/owners.h"
#include "lirrow_h.h"

namespace {

using frame::Bstr;
using frame::ComPtr;

// The four exports of a server DLL, loaded by path.
struct Server {
  explicit Server(const std::wstring& path) : module(LoadLibraryW(path.c_str())) {
    get_class_object = reinterpret_cast<decltype(get_class_object)>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    can_unload_now = reinterpret_cast<decltype(can_unload_now)>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    register_server = reinterpret_cast<decltype(register_server)>(reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
    unregister_server = reinterpret_cast<decltype(unregister_server)>(reinterpret_cast<void*>(GetProcAddress(module, "DllUnregisterServer")));
  }
  ~Server() { FreeLibrary(module); }
  HMODULE module;
  HRESULT(STDAPICALLTYPE* get_class_object)(REFCLSID, REFIID, void**) = nullptr;
  HRESULT(STDAPICALLTYPE* can_unload_now)() = nullptr;
  HRESULT(STDAPICALLTYPE* register_server)() = nullptr;
  HRESULT(STDAPICALLTYPE* unregister_server)() = nullptr;
};

const std::wstring kLirrowPath = std::wstring(SUITE_DIST_DIR) + L"/Lirrow.dll";

class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    ASSERT_NE(server.module, nullptr);
    ASSERT_TRUE(server.get_class_object && server.can_unload_now && server.register_server && server.unregister_server);
  }
  void TearDown() override { CoUninitialize(); }

  ComPtr<IClassFactory> factory() {
    ComPtr<IClassFactory> result;
    EXPECT_EQ(server.get_class_object(CLSID_Lirrow, IID_IClassFactory, reinterpret_cast<void**>(result.put())), S_OK);
    return result;
  }
  ComPtr<_Lirrow> create() {
    ComPtr<_Lirrow> result;
    EXPECT_EQ(factory()->CreateInstance(nullptr, IID__Lirrow, reinterpret_cast<void**>(result.put())), S_OK);
    return result;
  }

  Server server{kLirrowPath};
};

std::wstring read_value(const std::wstring& key, const wchar_t* name = nullptr) {
  wchar_t buffer[1024] = {};
  DWORD size = sizeof buffer;
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
    return L"<missing>";
  return buffer;
}

bool key_exists(const std::wstring& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

TEST_F(ServerTest, ClassObjectsForKnownClassesOnly) {
  ComPtr<IUnknown> object;
  IUnknown* sentinel = reinterpret_cast<IUnknown*>(0x1234);
  IUnknown* raw = sentinel;
  EXPECT_EQ(server.get_class_object(IID__Lirrow, IID_IClassFactory, reinterpret_cast<void**>(&raw)), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(raw, nullptr);
  EXPECT_EQ(server.get_class_object(CLSID_Lirrow, IID_IUnknown, reinterpret_cast<void**>(object.put())), S_OK);
  EXPECT_EQ(server.get_class_object(CLSID_Lirrow, IID_IDispatch, reinterpret_cast<void**>(&raw)), E_NOINTERFACE);
}

TEST_F(ServerTest, AggregationIsRefused) {
  ComPtr<_Lirrow> outer = create();
  ComPtr<IUnknown> inner;
  EXPECT_EQ(factory()->CreateInstance(outer.get(), IID_IUnknown, reinterpret_cast<void**>(inner.put())), CLASS_E_NOAGGREGATION);
  EXPECT_FALSE(inner);
}

TEST_F(ServerTest, UnloadOnlyWithoutInstancesOrLocks) {
  EXPECT_EQ(server.can_unload_now(), S_OK);
  {
    ComPtr<_Lirrow> first = create();
    ComPtr<_Lirrow> second = create();
    EXPECT_EQ(server.can_unload_now(), S_FALSE);
    first.reset();
    EXPECT_EQ(server.can_unload_now(), S_FALSE);
  }
  EXPECT_EQ(server.can_unload_now(), S_OK);
  ComPtr<IClassFactory> held = factory();
  held->LockServer(TRUE);
  EXPECT_EQ(server.can_unload_now(), S_FALSE);
  held->LockServer(FALSE);
  EXPECT_EQ(server.can_unload_now(), S_OK);
}

TEST_F(ServerTest, InterfacesAnswered) {
  ComPtr<_Lirrow> lirrow = create();
  for (const IID* iid : {&IID_IUnknown, &IID_IDispatch, &IID__Lirrow, &IID_ISupportErrorInfo}) {
    ComPtr<IUnknown> answer;
    EXPECT_EQ(lirrow->QueryInterface(*iid, reinterpret_cast<void**>(answer.put())), S_OK);
  }
  ComPtr<IUnknown> none;
  EXPECT_EQ(lirrow->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(none.put())), E_NOINTERFACE);
  ComPtr<ISupportErrorInfo> support;
  lirrow->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(support.put()));
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID__Lirrow), S_OK);
}

TEST_F(ServerTest, RegistrationWritesAndRemovesEverything) {
  const std::wstring clsid = L"CLSID\\{AC63C352-843F-408C-B60C-ED2ACC3147D4}";
  const std::wstring libid = L"TypeLib\\{04F423AA-1FF4-4A8E-9D5C-BBC7373B35DA}";
  const std::wstring iid = L"Interface\\{649B234E-BEC2-4750-86A1-3C962892EECA}";
  ASSERT_EQ(server.register_server(), S_OK);
  ASSERT_EQ(server.register_server(), S_OK);  // twice does no harm
  std::wstring path = read_value(clsid + L"\\InprocServer32"), expected = kLirrowPath;
  for (auto& c : expected) c = c == L'/' ? L'\\' : c;
  EXPECT_EQ(CompareStringOrdinal(path.c_str(), -1, expected.c_str(), -1, TRUE), CSTR_EQUAL) << path;
  EXPECT_EQ(read_value(clsid + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
  EXPECT_EQ(read_value(clsid + L"\\ProgID"), L"Lirrow.Lirrow");
  EXPECT_EQ(read_value(clsid + L"\\TypeLib"), L"{04F423AA-1FF4-4A8E-9D5C-BBC7373B35DA}");
  EXPECT_EQ(read_value(L"Lirrow.Lirrow\\Clsid"), L"{AC63C352-843F-408C-B60C-ED2ACC3147D4}");
  const std::wstring own_entry = libid + (sizeof(void*) == 8 ? L"\\4.0\\0\\win64" : L"\\4.0\\0\\win32");
  const std::wstring other_entry = libid + (sizeof(void*) == 8 ? L"\\4.0\\0\\win32" : L"\\4.0\\0\\win64");
  EXPECT_TRUE(key_exists(own_entry));
  EXPECT_EQ(read_value(iid), L"_Lirrow");
  EXPECT_EQ(read_value(iid + L"\\ProxyStubClsid32"), L"{00020424-0000-0000-C000-000000000046}");
  EXPECT_EQ(read_value(iid + L"\\TypeLib"), L"{04F423AA-1FF4-4A8E-9D5C-BBC7373B35DA}");

  // The other bitness's registration (left by its own run of these tests)
  // keeps the keys that both halves share.
  const bool other_half = key_exists(other_entry);
  ASSERT_EQ(server.unregister_server(), S_OK);
  ASSERT_EQ(server.unregister_server(), S_OK);
  for (const auto& key : {clsid, iid, own_entry}) EXPECT_FALSE(key_exists(key)) << key;
  for (const auto& key : {libid, std::wstring(L"Lirrow.Lirrow")}) EXPECT_EQ(key_exists(key), other_half) << key;

  // Leave the library registered for the script tests that follow.
  ASSERT_EQ(server.register_server(), S_OK);
  CLSID from_prog_id{};
  EXPECT_EQ(CLSIDFromProgID(L"Lirrow.Lirrow", &from_prog_id), S_OK);
  EXPECT_TRUE(IsEqualCLSID(from_prog_id, CLSID_Lirrow));
}

TEST_F(ServerTest, VtableCallsAndTheMethodFrame) {
  ComPtr<_Lirrow> lirrow = create();
  Bstr source(L"abcabc"), what(L"b"), with(L"x");
  BSTR source_raw = source.get(), what_raw = what.get(), with_raw = with.get();
  BSTR result = reinterpret_cast<BSTR>(0x1);  // an out location holds garbage by convention
  ASSERT_EQ(lirrow->FindAndReplace(&source_raw, &what_raw, &with_raw, &result), S_OK);
  Bstr owned_result;
  *reinterpret_cast<BSTR*>(&owned_result) = result;
  EXPECT_EQ(owned_result.view(), L"axcaxc");
  EXPECT_EQ(source_raw, source.get());  // inputs are not written

  // Null strings are empty texts.
  BSTR null_text = nullptr;
  short count = 99;
  EXPECT_EQ(lirrow->StringCount(&null_text, &null_text, &count), S_OK);
  EXPECT_EQ(count, -1);
  EXPECT_EQ(lirrow->FindAndReplace(&null_text, &null_text, &null_text, &result), S_OK);
  EXPECT_EQ(SysStringLen(result), 0u);
  SysFreeString(result);

  // A null result pointer is refused before the body runs.
  EXPECT_EQ(lirrow->StringCount(&source_raw, &what_raw, nullptr), E_POINTER);
  EXPECT_EQ(lirrow->FindAndReplace(&source_raw, &what_raw, &with_raw, nullptr), E_POINTER);
}

TEST_F(ServerTest, ErrorsCarryNumberAndTextOnBothPaths) {
  ComPtr<_Lirrow> lirrow = create();
  Bstr many(std::wstring(32768, L'x')), x(L"x");
  BSTR many_raw = many.get(), x_raw = x.get();
  short count = 1234;
  SetErrorInfo(0, nullptr);
  EXPECT_EQ(lirrow->StringCount(&many_raw, &x_raw, &count), static_cast<HRESULT>(0x800A0006));
  EXPECT_EQ(count, 0);  // the preset, not a partial count
  ComPtr<IErrorInfo> info;
  ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
  Bstr description, source;
  info->GetDescription(reinterpret_cast<BSTR*>(&description));
  info->GetSource(reinterpret_cast<BSTR*>(&source));
  EXPECT_EQ(description.view(), L"Overflow");
  EXPECT_EQ(source.view(), L"Lirrow.Lirrow");

  // The same call late-bound.
  ComPtr<IDispatch> dispatch;
  lirrow->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.put()));
  VARIANT args[2];
  V_VT(&args[1]) = VT_BSTR;
  V_BSTR(&args[1]) = many.get();
  V_VT(&args[0]) = VT_BSTR;
  V_BSTR(&args[0]) = x.get();
  DISPPARAMS params{args, nullptr, 2, 0};
  EXCEPINFO exception{};
  frame::Variant result;
  EXPECT_EQ(dispatch->Invoke(0x60030001, IID_NULL, 0, DISPATCH_METHOD, &params, result.get(), &exception, nullptr), DISP_E_EXCEPTION);
  EXPECT_EQ(exception.scode, static_cast<SCODE>(0x800A0006));
  EXPECT_STREQ(exception.bstrDescription, L"Overflow");
  EXPECT_STREQ(exception.bstrSource, L"Lirrow.Lirrow");
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrHelpFile);
}

TEST_F(ServerTest, CreatedByProgIdThroughTheRegistry) {
  CLSID clsid{};
  ASSERT_EQ(CLSIDFromProgID(L"Lirrow.Lirrow", &clsid), S_OK);
  ComPtr<IDispatch> object;
  ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(object.put())), S_OK);
  ComPtr<ITypeInfo> info;
  EXPECT_EQ(object->GetTypeInfo(0, 0, info.put()), S_OK);
  UINT count = 0;
  EXPECT_EQ(object->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
}

}  // namespace

namespace {

TEST_F(ServerTest, BadInputNeverCrashes) {
  ComPtr<_Lirrow> lirrow = create();
  ComPtr<IDispatch> dispatch;
  lirrow->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.put()));
  auto call = [&](VARIANT source, VARIANT what, VARIANT with, frame::Variant& result, EXCEPINFO& exception) {
    VARIANT args[] = {with, what, source};
    DISPPARAMS params{args, nullptr, 3, 0};
    return dispatch->Invoke(0x60030000, IID_NULL, 0, DISPATCH_METHOD, &params, result.get(), &exception, nullptr);
  };
  auto text = [](BSTR value) {
    VARIANT v;
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = value;
    return v;
  };
  // A 100 MB text is searched and rebuilt.
  Bstr huge(std::wstring(50'000'000, L'a')), a(L"a"), bb(L"bb"), empty;
  frame::Variant result;
  EXCEPINFO exception{};
  ASSERT_EQ(call(text(huge.get()), text(a.get()), text(bb.get()), result, exception), S_OK);
  EXPECT_EQ(SysStringLen(V_BSTR(result.get())), 100'000'000u);
  result.clear();
  // A result too large for memory is error 7, not a crash.
  Bstr million(std::wstring(1'000'000, L'a')), long_with(std::wstring(3000, L'b'));
  EXPECT_EQ(call(text(million.get()), text(a.get()), text(long_with.get()), result, exception), DISP_E_EXCEPTION);
  EXPECT_EQ(exception.scode, static_cast<SCODE>(0x800A0007));
  EXPECT_STREQ(exception.bstrDescription, L"Out of memory");
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrSource);
  // Empty is the empty text; Null and an object without a value are type mismatches.
  VARIANT nothing;
  V_VT(&nothing) = VT_EMPTY;
  EXPECT_EQ(call(nothing, nothing, nothing, result, exception), S_OK);
  EXPECT_EQ(SysStringLen(V_BSTR(result.get())), 0u);
  result.clear();
  VARIANT null_value;
  V_VT(&null_value) = VT_NULL;
  EXPECT_EQ(call(null_value, nothing, nothing, result, exception), DISP_E_TYPEMISMATCH);
  VARIANT object;
  V_VT(&object) = VT_DISPATCH;
  V_DISPATCH(&object) = dispatch.get();
  HRESULT status = call(object, nothing, nothing, result, exception);
  EXPECT_TRUE(status == DISP_E_TYPEMISMATCH || status == DISP_E_MEMBERNOTFOUND) << std::hex << status;
}

}  // namespace

namespace {

// Malformed calls on every method of the frame's IUnknown, IDispatch,
// ISupportErrorInfo and IClassFactory and on DllGetClassObject. Each runs in
// a child process, so a crash fails its own row and not the whole run; the
// child's exit code is the status it got, or kLeftObject when a refused call
// left something in its out-pointer.
constexpr HRESULT kLeftObject = static_cast<HRESULT>(0xE0DE0001);

// A null reference to an interface identity, as a C caller can pass one.
// (read through a volatile, so the compiler cannot reason the call away).
const IID& null_iid() {
  static const IID* volatile none = nullptr;
  return *none;
}

struct MalformedCall {
  const char* what;
  HRESULT expected;
  std::function<HRESULT(ComPtr<IDispatch>&, ComPtr<IClassFactory>&, HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**))> call;
};

// The status, or kLeftObject when a failed call did not clear `object`.
HRESULT cleared(HRESULT status, void* object) { return FAILED(status) && object ? kLeftObject : status; }

VARIANT text_argument(const wchar_t* text) {
  VARIANT v;
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = const_cast<BSTR>(text);  // only read
  return v;
}

const DISPID kStringCount = 0x60030001;

const MalformedCall kMalformedCalls[] = {
    {"QueryInterface, null out-pointer", E_POINTER, [](auto& d, auto&, auto) { return d->QueryInterface(IID_IUnknown, nullptr); }},
    {"QueryInterface, unknown interface", E_NOINTERFACE, [](auto& d, auto&, auto) {
       void* p = &d;
       const HRESULT status = d->QueryInterface(IID_IClassFactory, &p);
       return cleared(status, p);
     }},
    {"QueryInterface, null interface identity", E_INVALIDARG, [](auto& d, auto&, auto) {
       void* p = &d;
       const HRESULT status = d->QueryInterface(null_iid(), &p);
       return cleared(status, p);
     }},
    {"GetTypeInfoCount, null out-pointer", E_POINTER, [](auto& d, auto&, auto) { return d->GetTypeInfoCount(nullptr); }},
    {"GetTypeInfo, null out-pointer", E_POINTER, [](auto& d, auto&, auto) { return d->GetTypeInfo(0, 0, nullptr); }},
    {"GetTypeInfo, index 1", DISP_E_BADINDEX, [](auto& d, auto&, auto) {
       ITypeInfo* info = reinterpret_cast<ITypeInfo*>(&d);
       const HRESULT status = d->GetTypeInfo(1, 0, &info);
       return cleared(status, info);
     }},
    {"GetIDsOfNames, null rgDispId", E_POINTER, [](auto& d, auto&, auto) {
       LPOLESTR names[] = {const_cast<LPOLESTR>(L"StringCount")};
       return d->GetIDsOfNames(IID_NULL, names, 1, 0, nullptr);
     }},
    {"GetIDsOfNames, null rgszNames with a count of 1", E_INVALIDARG, [](auto& d, auto&, auto) {
       DISPID id = 0;
       return d->GetIDsOfNames(IID_NULL, nullptr, 1, 0, &id);
     }},
    {"GetIDsOfNames, a count of 0", E_INVALIDARG, [](auto& d, auto&, auto) {
       LPOLESTR names[] = {const_cast<LPOLESTR>(L"StringCount")};
       DISPID id = 0;
       return d->GetIDsOfNames(IID_NULL, names, 0, 0, &id);
     }},
    {"GetIDsOfNames, a null name", E_INVALIDARG, [](auto& d, auto&, auto) {
       LPOLESTR names[] = {const_cast<LPOLESTR>(L"StringCount"), nullptr};
       DISPID ids[2] = {};
       return d->GetIDsOfNames(IID_NULL, names, 2, 0, ids);
     }},
    {"GetIDsOfNames, unknown interface", DISP_E_UNKNOWNINTERFACE, [](auto& d, auto&, auto) {
       LPOLESTR names[] = {const_cast<LPOLESTR>(L"StringCount")};
       DISPID id = 0;
       return d->GetIDsOfNames(IID_IDispatch, names, 1, 0, &id);
     }},
    {"GetIDsOfNames, null interface identity", E_INVALIDARG, [](auto& d, auto&, auto) {
       LPOLESTR names[] = {const_cast<LPOLESTR>(L"StringCount")};
       DISPID id = 0;
       return d->GetIDsOfNames(null_iid(), names, 1, 0, &id);
     }},
    {"Invoke, null pDispParams", E_INVALIDARG, [](auto& d, auto&, auto) {
       return d->Invoke(kStringCount, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr);
     }},
    {"Invoke, cArgs 2 with null rgvarg", E_INVALIDARG, [](auto& d, auto&, auto) {
       DISPPARAMS params{nullptr, nullptr, 2, 0};
       return d->Invoke(kStringCount, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
     }},
    {"Invoke, cNamedArgs 1 with null rgdispidNamedArgs", E_INVALIDARG, [](auto& d, auto&, auto) {
       VARIANT args[] = {text_argument(L"b"), text_argument(L"abc")};
       DISPPARAMS params{args, nullptr, 2, 1};
       return d->Invoke(kStringCount, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
     }},
    {"Invoke, cNamedArgs larger than cArgs", DISP_E_BADPARAMCOUNT, [](auto& d, auto&, auto) {
       VARIANT args[] = {text_argument(L"b"), text_argument(L"abc")};
       DISPID named[] = {0, 1, 2};
       DISPPARAMS params{args, named, 1, 3};
       return d->Invoke(kStringCount, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
     }},
    {"Invoke, more arguments than parameters", DISP_E_BADPARAMCOUNT, [](auto& d, auto&, auto) {
       VARIANT args[] = {text_argument(L"b"), text_argument(L"abc"), text_argument(L"x"), text_argument(L"y")};
       DISPPARAMS params{args, nullptr, 4, 0};
       return d->Invoke(kStringCount, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
     }},
    {"Invoke, a null by-reference argument", E_INVALIDARG, [](auto& d, auto&, auto) {
       VARIANT args[] = {text_argument(L"b"), text_argument(L"abc")};
       V_VT(&args[0]) = VT_BYREF | VT_BSTR;
       V_BSTRREF(&args[0]) = nullptr;
       DISPPARAMS params{args, nullptr, 2, 0};
       UINT arg_error = 99;
       HRESULT status = d->Invoke(kStringCount, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, &arg_error);
       return arg_error == 0 ? status : E_FAIL;
     }},
    {"Invoke, a Variant reference to a null reference", E_INVALIDARG, [](auto& d, auto&, auto) {
       VARIANT inner;
       V_VT(&inner) = VT_BYREF | VT_VARIANT;
       V_VARIANTREF(&inner) = nullptr;
       VARIANT args[] = {text_argument(L"b"), text_argument(L"abc")};
       V_VT(&args[1]) = VT_BYREF | VT_VARIANT;
       V_VARIANTREF(&args[1]) = &inner;
       DISPPARAMS params{args, nullptr, 2, 0};
       return d->Invoke(kStringCount, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
     }},
    {"Invoke, a Variant that refers to itself", E_INVALIDARG, [](auto& d, auto&, auto) {
       VARIANT args[] = {text_argument(L"b"), text_argument(L"abc")};
       V_VT(&args[1]) = VT_BYREF | VT_VARIANT;
       V_VARIANTREF(&args[1]) = &args[1];
       DISPPARAMS params{args, nullptr, 2, 0};
       return d->Invoke(kStringCount, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
     }},
    {"Invoke, an unknown kind of value", DISP_E_TYPEMISMATCH, [](auto& d, auto&, auto) {
       VARIANT args[] = {text_argument(L"b"), text_argument(L"abc")};
       V_VT(&args[0]) = 0x7FF;
       DISPPARAMS params{args, nullptr, 2, 0};
       return d->Invoke(kStringCount, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
     }},
    {"Invoke, unknown interface", DISP_E_UNKNOWNINTERFACE, [](auto& d, auto&, auto) {
       DISPPARAMS params{};
       return d->Invoke(kStringCount, IID_IDispatch, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
     }},
    {"Invoke, null interface identity", E_INVALIDARG, [](auto& d, auto&, auto) {
       DISPPARAMS params{};
       return d->Invoke(kStringCount, null_iid(), 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
     }},
    {"Invoke, unknown DISPID", DISP_E_MEMBERNOTFOUND, [](auto& d, auto&, auto) {
       DISPPARAMS params{};
       return d->Invoke(0x12345, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
     }},
    {"Invoke, no invoke kind", DISP_E_MEMBERNOTFOUND, [](auto& d, auto&, auto) {
       DISPPARAMS params{};
       return d->Invoke(kStringCount, IID_NULL, 0, 0, &params, nullptr, nullptr, nullptr);
     }},
    {"InterfaceSupportsErrorInfo, null interface identity", E_INVALIDARG, [](auto& d, auto&, auto) {
       ComPtr<ISupportErrorInfo> support;
       d->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(support.put()));
       return support->InterfaceSupportsErrorInfo(null_iid());
     }},
    {"a method's null result pointer", E_POINTER, [](auto& d, auto&, auto) {
       ComPtr<_Lirrow> lirrow;
       d->QueryInterface(IID__Lirrow, reinterpret_cast<void**>(lirrow.put()));
       BSTR text = nullptr;
       return lirrow->StringCount(&text, &text, nullptr);
     }},
    {"CreateInstance, null out-pointer", E_POINTER, [](auto&, auto& f, auto) { return f->CreateInstance(nullptr, IID_IUnknown, nullptr); }},
    {"CreateInstance, an outer object", CLASS_E_NOAGGREGATION, [](auto& d, auto& f, auto) {
       void* p = &f;
       const HRESULT status = f->CreateInstance(d.get(), IID_IUnknown, &p);
       return cleared(status, p);
     }},
    {"CreateInstance, unknown interface", E_NOINTERFACE, [](auto&, auto& f, auto) {
       void* p = &f;
       const HRESULT status = f->CreateInstance(nullptr, IID_IClassFactory, &p);
       return cleared(status, p);
     }},
    {"CreateInstance, null interface identity", E_INVALIDARG, [](auto&, auto& f, auto) {
       void* p = &f;
       const HRESULT status = f->CreateInstance(nullptr, null_iid(), &p);
       return cleared(status, p);
     }},
    {"class object QueryInterface, null out-pointer", E_POINTER, [](auto&, auto& f, auto) { return f->QueryInterface(IID_IUnknown, nullptr); }},
    {"class object QueryInterface, unknown interface", E_NOINTERFACE, [](auto&, auto& f, auto) {
       void* p = &f;
       const HRESULT status = f->QueryInterface(IID_IDispatch, &p);
       return cleared(status, p);
     }},
    {"class object QueryInterface, null interface identity", E_INVALIDARG, [](auto&, auto& f, auto) {
       void* p = &f;
       const HRESULT status = f->QueryInterface(null_iid(), &p);
       return cleared(status, p);
     }},
    {"LockServer(FALSE) without a lock", E_UNEXPECTED, [](auto&, auto& f, auto) { return f->LockServer(FALSE); }},
    {"DllGetClassObject, null out-pointer", E_POINTER, [](auto&, auto&, auto get) { return get(CLSID_Lirrow, IID_IClassFactory, nullptr); }},
    {"DllGetClassObject, unknown class", CLASS_E_CLASSNOTAVAILABLE, [](auto& d, auto&, auto get) {
       void* p = &d;
       const HRESULT status = get(IID__Lirrow, IID_IClassFactory, &p);
       return cleared(status, p);
     }},
    {"DllGetClassObject, unknown interface", E_NOINTERFACE, [](auto& d, auto&, auto get) {
       void* p = &d;
       const HRESULT status = get(CLSID_Lirrow, IID_IDispatch, &p);
       return cleared(status, p);
     }},
    {"DllGetClassObject, null class identity", E_INVALIDARG, [](auto& d, auto&, auto get) {
       void* p = &d;
       const HRESULT status = get(null_iid(), IID_IClassFactory, &p);
       return cleared(status, p);
     }},
    {"DllGetClassObject, null interface identity", E_INVALIDARG, [](auto& d, auto&, auto get) {
       void* p = &d;
       const HRESULT status = get(CLSID_Lirrow, null_iid(), &p);
       return cleared(status, p);
     }},
};

using MalformedCallTest = ServerTest;

TEST_F(MalformedCallTest, EachAnswersItsStatusAndNeverCrashes) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  for (const MalformedCall& row : kMalformedCalls) {
    SCOPED_TRACE(row.what);
    EXPECT_EXIT(
        {
          ComPtr<IClassFactory> class_object = factory();
          ComPtr<IDispatch> dispatch;
          class_object->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(dispatch.put()));
          const HRESULT status = row.call(dispatch, class_object, server.get_class_object);
          std::fflush(nullptr);
          TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
        },
        ::testing::ExitedWithCode(static_cast<int>(row.expected)), "")
        << row.what;
  }
}

}  // namespace
