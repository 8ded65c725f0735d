// DateFunction, IsLeapYear, TextCode and ANSI2OEM called through the vtable:
// the exact Variant kinds, the statuses and empty results of failed calls, and
// dates that a script cannot pass (outside the Date kind's years).
#include <initguid.h>

#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <cmath>
#include <string>

#include "frame/owners.h"
#include "lirrow_h.h"

namespace {

using frame::Bstr;
using frame::ComPtr;
using frame::Variant;

const std::wstring kLirrowPath = std::wstring(SUITE_DIST_DIR) + L"/Lirrow.dll";

HRESULT error_status(int number) { return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number); }

double today() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  now.wHour = now.wMinute = now.wSecond = now.wMilliseconds = 0;
  double date = 0;
  SystemTimeToVariantTime(&now, &date);
  return date;
}

double date_of(int year, int month, int day) {
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(year);
  time.wMonth = static_cast<WORD>(month);
  time.wDay = static_cast<WORD>(day);
  double date = 0;
  SystemTimeToVariantTime(&time, &date);
  return date;
}

class LirrowCalls : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    ASSERT_NE(module_, nullptr);
    auto get_class_object = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
    ASSERT_NE(get_class_object, nullptr);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(get_class_object(CLSID_Lirrow, IID_IClassFactory, reinterpret_cast<void**>(factory.put())), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID__Lirrow, reinterpret_cast<void**>(lib_.put())), S_OK);
  }
  void TearDown() override {
    lib_.reset();
    CoUninitialize();
  }
  ~LirrowCalls() override { FreeLibrary(module_); }

  // DateFunction with a result location that holds a value before the call.
  HRESULT date_function(int option, double& date, Variant& result) {
    result.clear();
    V_VT(result.get()) = VT_I4;
    V_I4(result.get()) = 12345;
    DateOption value = static_cast<DateOption>(option);
    HRESULT status = lib_->DateFunction(&value, &date, result.get());
    EXPECT_EQ(value, static_cast<DateOption>(option)) << "the option is never written";
    return status;
  }

  HMODULE module_ = LoadLibraryW(kLirrowPath.c_str());
  ComPtr<_Lirrow> lib_;
};

TEST_F(LirrowCalls, DateFunctionResultKinds) {
  const VARTYPE kinds[] = {VT_DATE, VT_DATE, VT_DATE, VT_DATE, VT_DATE, VT_DATE, VT_DATE,
                           VT_DATE, VT_DATE, VT_DATE, VT_I4,   VT_BOOL, VT_DATE, VT_I4};
  for (int option = 0; option < 14; ++option) {
    double date = date_of(2003, 9, 11);
    Variant result;
    EXPECT_EQ(date_function(option, date, result), S_OK) << option;
    EXPECT_EQ(result.type(), kinds[option]) << option;
  }
  for (int option : {14, -1, 0x7FFFFFFF}) {
    double date = date_of(2003, 9, 11);
    Variant result;
    EXPECT_EQ(date_function(option, date, result), S_OK);
    EXPECT_EQ(result.type(), VT_EMPTY);
  }
  Variant result;
  double monday = date_of(2003, 9, 15), sunday = date_of(2003, 9, 14);
  ASSERT_EQ(date_function(IsWorkday, monday, result), S_OK);
  EXPECT_EQ(V_BOOL(result.get()), VARIANT_TRUE);
  ASSERT_EQ(date_function(IsWorkday, sunday, result), S_OK);
  EXPECT_EQ(V_BOOL(result.get()), VARIANT_FALSE);
  ASSERT_EQ(date_function(DayOfYear, sunday, result), S_OK);
  EXPECT_EQ(V_I4(result.get()), 257);
  double may = date_of(2003, 5, 15);
  ASSERT_EQ(date_function(FirstOfQuarter, may, result), S_OK);
  EXPECT_EQ(V_DATE(result.get()), date_of(2003, 4, 1));
}

TEST_F(LirrowCalls, DatesWrittenIntoTheCallersVariable) {
  Variant result;
  double date = 0.5;
  ASSERT_EQ(date_function(FirstOfMonth, date, result), S_OK);
  EXPECT_EQ(date, today());
  date = -0.5;
  ASSERT_EQ(date_function(IsWorkday, date, result), S_OK);
  EXPECT_EQ(date, today());
  date = 0.5;
  ASSERT_EQ(date_function(LastBusDay, date, result), S_OK);
  EXPECT_EQ(date, 0.5);
  EXPECT_EQ(V_DATE(result.get()), date_of(1899, 12, 29));
  // A birth date in the future, however far, counts as today.
  for (double born : {today() + 0.25, 1e10}) {
    date = born;
    ASSERT_EQ(date_function(CalcAge, date, result), S_OK);
    EXPECT_EQ(V_I4(result.get()), 0);
    EXPECT_EQ(date, today());
  }
}

TEST_F(LirrowCalls, FailuresLeaveAnEmptyResult) {
  struct Case {
    int option;
    double date;
    int error;
  };
  const Case cases[] = {
      {FirstOfMonth, 3e9, 6},                      // the rounded date does not fit a Long
      {FirstOfMonth, 3e6, 6},                      // after year 9999
      {StartOfWeek, -1e7, 6},                      // before year 100
      {CalcAge, -1e10, 6},
      {DayOfYear, std::nan(""), 6},
      {LastOfNextMonth, date_of(9999, 12, 1), 5},  // builds January 10000
      {FirstOfPreviousMonth, date_of(100, 1, 20), 5},
      {EndOfWeek, date_of(9999, 12, 31), 6},       // moves into 10000
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.option << " of " << c.date);
    double date = c.date;
    Variant result;
    EXPECT_EQ(date_function(c.option, date, result), error_status(c.error));
    EXPECT_EQ(result.type(), VT_EMPTY);
    if (!std::isnan(c.date)) {
      EXPECT_EQ(date, c.date);
    }
  }
  double date = date_of(9999, 12, 20);
  Variant result;
  ASSERT_EQ(date_function(LastOfMonth, date, result), S_OK);
  EXPECT_EQ(V_DATE(result.get()), date_of(9999, 12, 31));
}

TEST_F(LirrowCalls, IsLeapYear) {
  const short years[] = {2000, 2004, 0, -32768, 1900, 2003, 2100, 32767};
  const short leap[] = {1, 1, 1, 1, 0, 0, 0, 0};
  for (int i = 0; i < 8; ++i) {
    short year = years[i], result = -7;
    EXPECT_EQ(lib_->IsLeapYear(&year, &result), S_OK);
    EXPECT_EQ(result, leap[i]) << years[i];
    EXPECT_EQ(year, years[i]);
  }
}

TEST_F(LirrowCalls, TextCodeAndConversion) {
  Bstr text(std::wstring(32767, L'x'));
  BSTR variable = text.get();
  CodeText code = Dos;
  EXPECT_EQ(lib_->TextCode(&variable, &code), error_status(6));
  EXPECT_EQ(code, 0);
  EXPECT_EQ(variable, text.get());
  BSTR null_text = nullptr;
  EXPECT_EQ(lib_->TextCode(&null_text, &code), S_OK);
  EXPECT_EQ(code, Win);

  BSTR converted = SysAllocString(L"stale");
  EXPECT_EQ(lib_->ANSI2OEM(nullptr, &converted), S_OK);
  EXPECT_EQ(frame::text_of(converted), L"");
  SysFreeString(converted);
  Bstr hello(std::wstring_view(L"Hello\0!", 7));
  converted = nullptr;
  EXPECT_EQ(lib_->ANSI2OEM(hello.get(), &converted), S_OK);
  EXPECT_EQ(frame::text_of(converted), std::wstring_view(L"Hello\0\0", 7));
  SysFreeString(converted);
}

}  // namespace
