#include "error_report.h"

#include <new>
#include <string_view>

#include "frame/owners.h"
#include "frame/runtime_error.h"
#include "frame/server.h"

namespace velmora {

namespace {

std::wstring widen(std::string_view text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

void check_status(HRESULT status) {
  if (SUCCEEDED(status)) return;
  frame::HostError error{status, {}, {}};
  frame::ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.put()) == S_OK && info) {
    auto read = [&](HRESULT (STDMETHODCALLTYPE IErrorInfo::*getter)(BSTR*)) {
      BSTR value = nullptr;
      std::wstring copy;
      if (SUCCEEDED((info.get()->*getter)(&value))) copy = frame::text_of(value);
      SysFreeString(value);
      return copy;
    };
    error.source = read(&IErrorInfo::GetSource);
    error.description = read(&IErrorInfo::GetDescription);
  }
  throw error;
}

std::wstring current_error_description() {
  try {
    throw;
  } catch (const frame::RuntimeError& error) {
    return widen(frame::standard_error_text(error.number));
  } catch (const frame::HostError& error) {
    if (!error.description.empty()) return error.description;
    if (HRESULT_FACILITY(error.status) == FACILITY_CONTROL)
      return widen(frame::standard_error_text(HRESULT_CODE(error.status)));
    return L"Automation error";
  } catch (const std::bad_alloc&) {
    return widen(frame::standard_error_text(frame::kOutOfMemory));
  } catch (...) {
    return widen(frame::standard_error_text(frame::kInternalError));
  }
}

void show_error_box(const std::wstring& description, const wchar_t* title) {
  MessageBoxW(nullptr, description.c_str(), title, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace velmora
