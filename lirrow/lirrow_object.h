// The class Lirrow: its members, each running in the method frame. Bodies are
// grouped by concern in text_methods.cpp, codepage_methods.cpp and
// calendar_methods.cpp.
#pragma once

#include "frame/com_object.h"
#include "lirrow_h.h"

namespace lirrow {

class LirrowObject final : public frame::ComObject<LirrowObject, _Lirrow> {
 public:
  STDMETHODIMP FindAndReplace(BSTR* SourceText, BSTR* ReplaceThis, BSTR* WithThis, BSTR* result) override;
  STDMETHODIMP StringCount(BSTR* SourceText, BSTR* FindExpression, short* result) override;
  STDMETHODIMP TextCode(BSTR* SourceText, CodeText* result) override;
  STDMETHODIMP ANSI2OEM(BSTR SourceText, BSTR* result) override;
  STDMETHODIMP DateFunction(DateOption* FunctionType, DATE* dteDate, VARIANT* result) override;
  STDMETHODIMP IsLeapYear(short* dteYear, short* result) override;
};

}  // namespace lirrow
