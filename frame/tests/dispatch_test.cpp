// Late-bound calls through the frame's IDispatch, driven on the probe server:
// coercion, by-reference write-back, counts, named arguments, errors.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>
#include <cguid.h>

#include <string>
#include <utility>
#include <vector>

#include "frame/owners.h"
#include <initguid.h>

#include "frameprobe_h.h"

namespace {

using frame::Bstr;
using frame::ComPtr;
using frame::Variant;

constexpr DISPID kShout = 0x60030000, kTwice = 0x60030001, kSetDate = 0x60030002, kFail = 0x60030003,
                 kMix = 0x60030004, kFlip = 0x60030005, kFill = 0x60030006, kToInteger = 0x60030007,
                 kKind = 0x60030008, kLevel = 0x68030000, kAnsi = 0x60030009;

// Arguments are given first to last; DISPPARAMS wants them last to first.
struct Call {
  HRESULT status = E_FAIL;
  Variant result;
  EXCEPINFO exception{};
  UINT arg_error = 12345;
  ~Call() {
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
  }
};

class DispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    module_ = LoadLibraryW((std::wstring(PROBE_DIR) + L"/FrameProbe.dll").c_str());
    ASSERT_NE(module_, nullptr);
    auto get_class_object = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(get_class_object(CLSID_Probe, IID_IClassFactory, reinterpret_cast<void**>(factory.put())), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(probe_.put())), S_OK);
  }
  void TearDown() override {
    probe_.reset();
    FreeLibrary(module_);
    CoUninitialize();
  }

  void invoke(Call& call, DISPID id, std::vector<VARIANT> args, WORD flags = DISPATCH_METHOD,
              std::vector<DISPID> named = {}) {
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    // Named arguments come first in rgvarg, in the order of rgdispidNamedArgs.
    if (!named.empty()) reversed = args;
    DISPPARAMS params{reversed.data(), named.empty() ? nullptr : named.data(), static_cast<UINT>(args.size()),
                      static_cast<UINT>(named.size())};
    call.status = probe_->Invoke(id, IID_NULL, 0, flags, &params, call.result.get(), &call.exception, &call.arg_error);
  }

  static VARIANT by_ref(VARIANT* target) {
    VARIANT v;
    V_VT(&v) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&v) = target;
    return v;
  }
  static VARIANT of(long value) {
    VARIANT v;
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    return v;
  }
  static VARIANT of(double value) {
    VARIANT v;
    V_VT(&v) = VT_R8;
    V_R8(&v) = value;
    return v;
  }
  static VARIANT of(BSTR borrowed) {
    VARIANT v;
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = borrowed;
    return v;
  }

  HMODULE module_ = nullptr;
  ComPtr<IDispatch> probe_;
};

TEST_F(DispatchTest, NamesResolveCaseInsensitivelyWithParameters) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(L"sHoUt"), const_cast<LPOLESTR>(L"TEXT")};
  DISPID ids[2] = {};
  EXPECT_EQ(probe_->GetIDsOfNames(IID_NULL, names, 2, 0, ids), S_OK);
  EXPECT_EQ(ids[0], kShout);
  EXPECT_EQ(ids[1], 0);
  // Spelled as declared (the common case, answered from the frame's own table)
  // and otherwise, a property's name, and a parameter's name on its own.
  for (auto [name, id] : {std::pair{L"Shout", kShout}, std::pair{L"shout", kShout}, std::pair{L"Level", kLevel},
                          std::pair{L"LEVEL", kLevel}}) {
    LPOLESTR one[] = {const_cast<LPOLESTR>(name)};
    EXPECT_EQ(probe_->GetIDsOfNames(IID_NULL, one, 1, 0, ids), S_OK) << name;
    EXPECT_EQ(ids[0], id) << name;
  }
  LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"NoSuchMember")};
  EXPECT_EQ(probe_->GetIDsOfNames(IID_NULL, unknown, 1, 0, ids), DISP_E_UNKNOWNNAME);
  LPOLESTR parameter[] = {const_cast<LPOLESTR>(L"Text")};
  EXPECT_EQ(probe_->GetIDsOfNames(IID_NULL, parameter, 1, 0, ids), DISP_E_UNKNOWNNAME);
  Call call;
  invoke(call, 0x60039999, {});
  EXPECT_EQ(call.status, DISP_E_MEMBERNOTFOUND);
}

TEST_F(DispatchTest, ScriptVariablesReceiveWhatTheMethodWrites) {
  // A script variable holding text: the method appends "!".
  Variant text;
  V_VT(text.get()) = VT_BSTR;
  V_BSTR(text.get()) = SysAllocString(L"abc");
  {
    Call call;
    invoke(call, kShout, {by_ref(text.get())});
    ASSERT_EQ(call.status, S_OK);
    EXPECT_STREQ(V_BSTR(call.result.get()), L"abc");
    EXPECT_EQ(text.type(), VT_BSTR);
    EXPECT_STREQ(V_BSTR(text.get()), L"abc!");
  }
  // A variable of another kind is coerced, and written back when changed.
  Variant number;
  V_VT(number.get()) = VT_I2;
  V_I2(number.get()) = 21;
  {
    Call call;
    invoke(call, kTwice, {by_ref(number.get())});
    ASSERT_EQ(call.status, S_OK);
    EXPECT_EQ(V_I4(call.result.get()), 21);
    EXPECT_EQ(number.type(), VT_I4);
    EXPECT_EQ(V_I4(number.get()), 42);
  }
  // An Empty variable becomes the date the method wrote.
  Variant empty;
  {
    Call call;
    invoke(call, kSetDate, {by_ref(empty.get())});
    ASSERT_EQ(call.status, S_OK);
    EXPECT_EQ(empty.type(), VT_DATE);
    EXPECT_EQ(V_DATE(empty.get()), 1.5);
  }
  // A variable the method does not change keeps its own kind.
  Variant digits;
  V_VT(digits.get()) = VT_I4;
  V_I4(digits.get()) = 7;
  {
    Call call;
    invoke(call, kMix, {by_ref(digits.get()), of(1.0), of(1.0), of(static_cast<BSTR>(nullptr)), of(1L), of(1L), of(0L), of(1.0)});
    ASSERT_EQ(call.status, S_OK);
    EXPECT_EQ(digits.type(), VT_I4);
  }
  // The 8-bit round trip writes its text back even when the text is the same.
  {
    Call call;
    invoke(call, kAnsi, {by_ref(digits.get())});
    ASSERT_EQ(call.status, S_OK);
    EXPECT_EQ(digits.type(), VT_BSTR);
    EXPECT_STREQ(V_BSTR(digits.get()), L"7");
  }
}

TEST_F(DispatchTest, TypedReferencesAndValues) {
  // A reference of exactly the declared kind is used in place.
  long value = 5;
  VARIANT exact;
  V_VT(&exact) = VT_BYREF | VT_I4;
  V_I4REF(&exact) = &value;
  Call first;
  invoke(first, kTwice, {exact});
  EXPECT_EQ(value, 10);
  // A reference of another kind gets the result converted to its kind.
  double wide = 2.0;
  VARIANT other;
  V_VT(&other) = VT_BYREF | VT_R8;
  V_R8REF(&other) = &wide;
  Call second;
  invoke(second, kTwice, {other});
  EXPECT_EQ(wide, 4.0);
  // A value is the method's own copy.
  VARIANT literal = of(7L);
  Call third;
  invoke(third, kTwice, {literal});
  EXPECT_EQ(V_I4(&literal), 7);
  EXPECT_EQ(V_I4(third.result.get()), 7);
  // Booleans travel as 16-bit -1 / 0.
  VARIANT_BOOL flag = VARIANT_FALSE;
  VARIANT flag_ref;
  V_VT(&flag_ref) = VT_BYREF | VT_BOOL;
  V_BOOLREF(&flag_ref) = &flag;
  Call fourth;
  invoke(fourth, kFlip, {flag_ref});
  EXPECT_EQ(flag, VARIANT_TRUE);
  EXPECT_EQ(V_VT(fourth.result.get()), VT_BOOL);
  EXPECT_EQ(V_BOOL(fourth.result.get()), VARIANT_TRUE);
}

TEST_F(DispatchTest, EveryByValueKindArrivesIntact) {
  Bstr text(L"d"), number_text(L"2.5");
  VARIANT small;
  V_VT(&small) = VT_I2;
  V_I2(&small) = -3;
  VARIANT date;
  V_VT(&date) = VT_DATE;
  V_DATE(&date) = 37875.25;
  Call call;
  invoke(call, kMix, {of(-7L), of(number_text.get()), of(0.25), of(text.get()), small, of(200L), of(1L), date});
  ASSERT_EQ(call.status, S_OK);
  EXPECT_STREQ(V_BSTR(call.result.get()), L"-7|2.500000|0.250000|d|-3|200|-1|37875.250000");
  // A null string is the empty text.
  Call with_null;
  invoke(with_null, kMix, {of(1L), of(1.0), of(1.0), of(static_cast<BSTR>(nullptr)), small, of(1L), of(0L), date});
  ASSERT_EQ(with_null.status, S_OK);
  EXPECT_STREQ(V_BSTR(with_null.result.get()), L"1|1.000000|1.000000||-3|1|0|37875.250000");
}

TEST_F(DispatchTest, NamedArgumentsInAnyOrder) {
  // Mix(A..H) with H, G, F named and the rest positional.
  Bstr text(L"n");
  VARIANT small;
  V_VT(&small) = VT_I2;
  V_I2(&small) = 4;
  std::vector<VARIANT> args = {of(3.0) /*H*/, of(0L) /*G*/, of(9L) /*F*/, small /*E*/, of(text.get()) /*D*/,
                               of(0.5) /*C*/, of(1.5) /*B*/, of(2L) /*A*/};
  std::vector<DISPID> named = {7, 6, 5};
  DISPPARAMS params{args.data(), named.data(), 8, 3};
  Call call;
  call.status = probe_->Invoke(kMix, IID_NULL, 0, DISPATCH_METHOD, &params, call.result.get(), &call.exception, &call.arg_error);
  ASSERT_EQ(call.status, S_OK);
  EXPECT_STREQ(V_BSTR(call.result.get()), L"2|1.500000|0.500000|n|4|9|0|3.000000");
}

TEST_F(DispatchTest, CountsKindsAndMissingArguments) {
  Call too_many;
  invoke(too_many, kTwice, {of(1L), of(2L)});
  EXPECT_EQ(too_many.status, DISP_E_BADPARAMCOUNT);
  Call too_few;
  invoke(too_few, kTwice, {});
  EXPECT_EQ(too_few.status, DISP_E_BADPARAMCOUNT);
  Bstr word(L"abc");
  Call mismatch;
  invoke(mismatch, kMix, {of(1L), of(word.get()), of(1.0), of(word.get()), of(1L), of(1L), of(0L), of(1.0)});
  EXPECT_EQ(mismatch.status, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(mismatch.arg_error, 6u);  // B, the second argument, sits at index 6 of rgvarg
  VARIANT null_value;
  V_VT(&null_value) = VT_NULL;
  Call null_text;
  invoke(null_text, kShout, {null_value});
  EXPECT_EQ(null_text.status, DISP_E_TYPEMISMATCH);
  Call out_of_range;
  invoke(out_of_range, kTwice, {of(3e9)});
  EXPECT_EQ(out_of_range.status, DISP_E_OVERFLOW);
  VARIANT omitted;
  V_VT(&omitted) = VT_ERROR;
  V_ERROR(&omitted) = DISP_E_PARAMNOTFOUND;
  Call missing;
  invoke(missing, kTwice, {omitted});
  EXPECT_EQ(missing.status, DISP_E_PARAMNOTOPTIONAL);
  // A null result location is accepted.
  VARIANT args[] = {of(2L)};
  DISPPARAMS params{args, nullptr, 1, 0};
  EXPECT_EQ(probe_->Invoke(kTwice, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), S_OK);
}

TEST_F(DispatchTest, MethodErrorsBecomeExceptions) {
  struct Case {
    long number;
    const wchar_t* text;
  } cases[] = {{5, L"Invalid procedure call or argument"}, {6, L"Overflow"}, {7, L"Out of memory"},
               {11, L"Division by zero"}, {13, L"Type mismatch"}, {53, L"File not found"}};
  for (const auto& c : cases) {
    Call call;
    invoke(call, kFail, {of(c.number)});
    EXPECT_EQ(call.status, DISP_E_EXCEPTION);
    EXPECT_EQ(call.exception.scode, static_cast<SCODE>(0x800A0000 | c.number));
    EXPECT_STREQ(call.exception.bstrDescription, c.text);
    EXPECT_STREQ(call.exception.bstrSource, L"FrameProbe.Probe");
    EXPECT_EQ(call.result.type(), VT_EMPTY);
  }
  Call tie;
  invoke(tie, kToInteger, {of(2.5)});
  EXPECT_EQ(V_I2(tie.result.get()), 2);
  Call overflow;
  invoke(overflow, kToInteger, {of(32767.5)});
  EXPECT_EQ(overflow.exception.scode, static_cast<SCODE>(0x800A0006));
}

TEST_F(DispatchTest, PropertiesLetAndGet) {
  VARIANT value = of(77L);
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{&value, &put, 1, 1};
  EXPECT_EQ(probe_->Invoke(kLevel, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr), S_OK);
  Call get;
  invoke(get, kLevel, {}, DISPATCH_PROPERTYGET | DISPATCH_METHOD);
  EXPECT_EQ(V_I4(get.result.get()), 77);
}

TEST_F(DispatchTest, ArraysAndVariantsByReference) {
  Variant empty;
  Call fill;
  invoke(fill, kFill, {by_ref(empty.get())});
  ASSERT_EQ(fill.status, S_OK);
  // A script variable receives the table as the scripts' own array of Variants.
  ASSERT_EQ(empty.type(), VT_ARRAY | VT_VARIANT);
  LONG upper = -1, index = 2;
  Variant element;
  SafeArrayGetUBound(V_ARRAY(empty.get()), 1, &upper);
  SafeArrayGetElement(V_ARRAY(empty.get()), &index, element.get());
  EXPECT_EQ(upper, 2);
  EXPECT_EQ(V_VT(element.get()), VT_I4);
  EXPECT_EQ(V_I4(element.get()), 30);
  // A compiled client's Long array is used in place.
  SAFEARRAY* longs = SafeArrayCreateVector(VT_I4, 0, 1);
  VARIANT typed;
  V_VT(&typed) = VT_BYREF | VT_ARRAY | VT_I4;
  V_ARRAYREF(&typed) = &longs;
  Call in_place;
  invoke(in_place, kFill, {typed});
  ASSERT_EQ(in_place.status, S_OK);
  LONG value = 0, first = 0;
  SafeArrayGetElement(longs, &first, &value);
  EXPECT_EQ(value, 10);
  SafeArrayDestroy(longs);
  // A Variant parameter receives the caller's variable itself.
  Variant small;
  V_VT(small.get()) = VT_I2;
  V_I2(small.get()) = 1;
  Call kind;
  invoke(kind, kKind, {by_ref(small.get())});
  EXPECT_STREQ(V_BSTR(kind.result.get()), L"2");
  EXPECT_EQ(small.type(), VT_EMPTY);
}

// Runs once per code page (the frame_codepage_* runs). A character the page
// lacks becomes its default character, not a look-alike, and the count is
// in bytes: the double-byte pages and UTF-8 spell a letter in two or three.
TEST_F(DispatchTest, EightBitRoundTripReachesTheCallersVariable) {
  wchar_t expected_page[16] = {};
  if (GetEnvironmentVariableW(L"SUITE_EXPECT_ACP", expected_page, 16)) {
    ASSERT_EQ(GetACP(), std::stoul(expected_page));
  }
  // A Cyrillic letter, a Latin letter with macron, a CJK letter whose second
  // byte in 932 is a backslash, and a Hangul letter.
  const wchar_t* text = L"a\x0434z\x0101\x8868\xD55C";
  struct Case {
    UINT page;
    const wchar_t* back;
    long bytes;
  };
  const Case cases[] = {{1252, L"a?z???", 6},
                        {1251, L"a\x0434z???", 6},
                        {932, L"a\x0434z?\x8868?", 8},
                        {936, L"a\x0434z\x0101\x8868?", 9},
                        {CP_UTF8, text, 12}};
  const Case* expected = nullptr;
  for (const Case& c : cases)
    if (c.page == GetACP()) expected = &c;
  ASSERT_NE(expected, nullptr) << "no case for code page " << GetACP();

  Variant variable;
  V_VT(variable.get()) = VT_BSTR;
  V_BSTR(variable.get()) = SysAllocString(text);
  Call call;
  invoke(call, kAnsi, {by_ref(variable.get())});
  ASSERT_EQ(call.status, S_OK);
  EXPECT_STREQ(V_BSTR(variable.get()), expected->back);
  EXPECT_EQ(V_I4(call.result.get()), expected->bytes);
}

}  // namespace
