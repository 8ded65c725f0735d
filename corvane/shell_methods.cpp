// ChooseFolder, SetCurrentDir, FolderOrFileProperties, ClearGarbage,
// ShowGarbage and FileAssociation: the shell and the file-type registry.
#include "corvane_object.h"

namespace corvane {

STDMETHODIMP CorvaneObject::ChooseFolder(LONG*, FolderType*, BSTR* result) {
  return run(result, []() -> frame::Bstr { frame::not_implemented(); });
}

STDMETHODIMP CorvaneObject::SetCurrentDir(BSTR*) {
  return run_void([] { frame::not_implemented(); });
}

STDMETHODIMP CorvaneObject::FolderOrFileProperties(BSTR*, LONG*) {
  return run_void([] { frame::not_implemented(); });
}

STDMETHODIMP CorvaneObject::ClearGarbage(LONG*, VARIANT_BOOL* result) {
  return run(result, []() -> bool { frame::not_implemented(); });
}

STDMETHODIMP CorvaneObject::ShowGarbage(GarbShowMode*, VARIANT_BOOL* result) {
  return run(result, []() -> bool { frame::not_implemented(); });
}

STDMETHODIMP CorvaneObject::FileAssociation(BSTR*, BSTR*, BSTR*, VARIANT_BOOL* result) {
  return run(result, []() -> bool { frame::not_implemented(); });
}

}  // namespace corvane
