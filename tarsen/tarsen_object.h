// The class Tarsen: its members, each running in the method frame. Bodies are
// grouped by concern: info_methods.cpp (system facts), process_methods.cpp
// (log-off, applets, programs, processes, registry), window_methods.cpp
// (windows, display, keyboard, cursor) and disk_methods.cpp (volumes).
#pragma once

#include "frame/com_object.h"
#include "tarsen_h.h"

namespace tarsen {

class TarsenObject final : public frame::ComObject<TarsenObject, _Tarsen> {
 public:
  STDMETHODIMP WindowsType(short* result) override;
  STDMETHODIMP WorkTime(long* result) override;
  STDMETHODIMP WindowsWorkState(short* result) override;
  STDMETHODIMP WindowsWorkRegion(short* Mode, short* result) override;
  STDMETHODIMP WinLogOff() override;
  STDMETHODIMP GetSystemDirs(SystemFolders* Mode, short* Slash, BSTR* result) override;
  // The platform's headers turn these two names into their wide forms; the
  // slots keep their places whatever they are called here.
  STDMETHODIMP GetComputerName(BSTR* result) override;
  STDMETHODIMP GetUserName(BSTR* result) override;
  STDMETHODIMP ApletList(IDispatch** FileListBox) override;
  STDMETHODIMP ApletShell(BSTR* FileName) override;
  STDMETHODIMP GetRegystredFileTypes(IDispatch** Box) override;
  STDMETHODIMP ProcessList(IDispatch** Box) override;
  STDMETHODIMP KillProcess(long* ListItem, VARIANT_BOOL* result) override;
  STDMETHODIMP MSOfficeComponents(MSOffise* Component, VARIANT_BOOL* result) override;
  STDMETHODIMP ChangeDisplayResolution(float* Width, float* Height, VARIANT_BOOL* result) override;
  STDMETHODIMP ChangeWindowCaption(BSTR* OldCaption, BSTR* NewCaption, VARIANT_BOOL* result) override;
  STDMETHODIMP GetWindowFullCaption(BSTR* PartOfCaption, long* hWnd, BSTR* result) override;
  STDMETHODIMP GetWindowHandle(BSTR* PartOfCaption, long* hWnd, long* result) override;
  STDMETHODIMP DisableWindow(BSTR* Caption, long* Mode, VARIANT_BOOL* result) override;
  STDMETHODIMP SetKeyboardLanguage(KeyLayout* Language) override;
  STDMETHODIMP GetKeyboardLanguage(KeyLayout* result) override;
  STDMETHODIMP StartAndWait(BSTR* FilePath) override;
  STDMETHODIMP CursorVisible(VARIANT_BOOL* Mode, VARIANT_BOOL* result) override;
  STDMETHODIMP GetVolumeSerialNumber(BSTR* RootPath, BSTR* result) override;
  STDMETHODIMP DisksInfo(BSTR* RootPath, DiskInfo* DType, VARIANT* result) override;
  STDMETHODIMP SetDiskLabel(BSTR* DiskRootPath, BSTR* NewVolumeName, VARIANT_BOOL* result) override;
  STDMETHODIMP DriveType(BSTR* RootPath, short* result) override;
  STDMETHODIMP MemoryWork(mMemory* Mode, double* result) override;
};

}  // namespace tarsen
