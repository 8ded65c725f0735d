// FolderOrFileExist, FolderOrFileTimeCreate, FileIdentify, DOSPath and
// GetDllDescription: read-only questions about a path.
#include "corvane_object.h"

namespace corvane {

STDMETHODIMP CorvaneObject::FolderOrFileTimeCreate(BSTR*, BSTR* result) {
  return run(result, []() -> frame::Bstr { frame::not_implemented(); });
}

STDMETHODIMP CorvaneObject::FolderOrFileExist(BSTR*, VARIANT_BOOL* result) {
  return run(result, []() -> bool { frame::not_implemented(); });
}

STDMETHODIMP CorvaneObject::FileIdentify(BSTR*, BSTR*, VARIANT_BOOL* result) {
  return run(result, []() -> bool { frame::not_implemented(); });
}

STDMETHODIMP CorvaneObject::DOSPath(BSTR*, BSTR* result) {
  return run(result, []() -> frame::Bstr { frame::not_implemented(); });
}

STDMETHODIMP CorvaneObject::GetDllDescription(BSTR*, BSTR* result) {
  return run(result, []() -> frame::Bstr { frame::not_implemented(); });
}

}  // namespace corvane
