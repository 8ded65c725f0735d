// The class Corvane: its members, each running in the method frame. Bodies are
// grouped by concern: folder_size.cpp, file_query_methods.cpp,
// file_operation_methods.cpp and shell_methods.cpp.
#pragma once

#include "frame/com_object.h"
#include "corvane_h.h"

namespace corvane {

class CorvaneObject final : public frame::ComObject<CorvaneObject, _Corvane> {
 public:
  STDMETHODIMP FolderOrFileSize(BSTR* Path, SizeMode* Mode, BSTR* result) override;
  STDMETHODIMP ChooseFolder(LONG* hWnd, FolderType* WhereLook, BSTR* result) override;
  STDMETHODIMP SetCurrentDir(BSTR* dirpath) override;
  STDMETHODIMP FolderOrFileProperties(BSTR* Path, LONG* hWnd) override;
  STDMETHODIMP FolderOrFileTimeCreate(BSTR* Path, BSTR* result) override;
  STDMETHODIMP FolderOrFileExist(BSTR* Path, VARIANT_BOOL* result) override;
  STDMETHODIMP FileIdentify(BSTR* FirstFilePath, BSTR* SecondFilePath, VARIANT_BOOL* result) override;
  STDMETHODIMP CopyFiles(BSTR* SourcePath, BSTR* DestanationPath, VARIANT_BOOL* ReWrite, VARIANT_BOOL* result) override;
  STDMETHODIMP MoveFiles(BSTR* SourcePath, BSTR* DestanationPath, VARIANT_BOOL* ReWrite, VARIANT_BOOL* result) override;
  STDMETHODIMP DeleteFolderOrFile(BSTR* Path, VARIANT_BOOL* RecycleBin, VARIANT_BOOL* WithConfirm,
                                  VARIANT_BOOL* result) override;
  STDMETHODIMP DOSPath(BSTR* Path, BSTR* result) override;
  STDMETHODIMP ClearGarbage(LONG* hWnd, VARIANT_BOOL* result) override;
  STDMETHODIMP ShowGarbage(GarbShowMode* Mode, VARIANT_BOOL* result) override;
  STDMETHODIMP GetDllDescription(BSTR* FilePath, BSTR* result) override;
  STDMETHODIMP FileAssociation(BSTR* Extention, BSTR* ProgrammName, BSTR* ProgrammPath, VARIANT_BOOL* result) override;
};

}  // namespace corvane
