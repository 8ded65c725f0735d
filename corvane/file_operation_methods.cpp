// CopyFiles, MoveFiles and DeleteFolderOrFile.
#include "corvane_object.h"

namespace corvane {

STDMETHODIMP CorvaneObject::CopyFiles(BSTR*, BSTR*, VARIANT_BOOL*, VARIANT_BOOL* result) {
  return run(result, []() -> bool { frame::not_implemented(); });
}

STDMETHODIMP CorvaneObject::MoveFiles(BSTR*, BSTR*, VARIANT_BOOL*, VARIANT_BOOL* result) {
  return run(result, []() -> bool { frame::not_implemented(); });
}

STDMETHODIMP CorvaneObject::DeleteFolderOrFile(BSTR*, VARIANT_BOOL*, VARIANT_BOOL*, VARIANT_BOOL* result) {
  return run(result, []() -> bool { frame::not_implemented(); });
}

}  // namespace corvane
