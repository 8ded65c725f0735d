#include <new>
#include <stdexcept>

#include "owners.h"
#include "runtime_error.h"
#include "server.h"

namespace frame {

namespace {

void set_error_info(const ClassEntry& entry, std::wstring_view source, std::wstring_view description) noexcept try {
  ComPtr<ICreateErrorInfo> create;
  if (FAILED(CreateErrorInfo(create.put()))) return;
  std::wstring source_text(source), description_text(description);
  create->SetGUID(*entry.iid);
  create->SetSource(source_text.data());
  create->SetDescription(description_text.data());
  ComPtr<IErrorInfo> info;
  if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(info.put()))))
    SetErrorInfo(0, info.get());
} catch (...) {
  // Without memory for the texts the status alone still tells the error.
}

}  // namespace

__attribute__((noinline)) bool absent(const void* address) noexcept { return address == nullptr; }

HRESULT report_error(const ClassEntry& entry, int number) {
  std::string_view text = standard_error_text(number);
  wchar_t description[128] = {};
  for (size_t i = 0; i < text.size() && i + 1 < std::size(description); ++i) description[i] = text[i];
  set_error_info(entry, entry.prog_id, description);
  return error_status(number);
}

HRESULT report_current_exception(const ClassEntry& entry) noexcept {
  try {
    throw;
  } catch (const RuntimeError& error) {
    return report_error(entry, error.number);
  } catch (const HostError& error) {
    set_error_info(entry, error.source.empty() ? std::wstring_view(entry.prog_id) : error.source, error.description);
    return error.status;
  } catch (const NotImplemented&) {
    set_error_info(entry, entry.prog_id, L"This member is not implemented yet");
    return E_NOTIMPL;
  } catch (const std::bad_alloc&) {
    return report_error(entry, kOutOfMemory);
  } catch (const std::length_error&) {
    return report_error(entry, kOutOfMemory);
  } catch (...) {
    return report_error(entry, kInternalError);
  }
}

}  // namespace frame
