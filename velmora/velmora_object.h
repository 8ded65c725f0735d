// The class Velmora: window actions (window_methods.cpp) and mouse and cursor
// control (mouse_methods.cpp), each member running in the method frame.
#pragma once

#include "frame/com_object.h"
#include "velmora_h.h"

namespace velmora {

class VelmoraObject final : public frame::ComObject<VelmoraObject, _Velmora> {
 public:
  STDMETHODIMP CloseLock(LONG* hWnd) override;
  STDMETHODIMP MenuColor(LONG* hWnd, LONG* MenuColor) override;
  STDMETHODIMP SetParentObject(LONG* ChildhWnd, LONG* ParenthWnd) override;
  STDMETHODIMP ObjectMove(LONG* hWnd) override;
  STDMETHODIMP Transparent(LONG* hWnd, BYTE* Value) override;
  STDMETHODIMP Gradient(LONG* StartColor, LONG* EndColor, short* Angel, IDispatch** Object) override;
  STDMETHODIMP MinimizedAllWindows(VARIANT_BOOL* result) override;
  STDMETHODIMP LockCursor(LONG* hWnd) override;
  STDMETHODIMP UnLockCursor() override;
  STDMETHODIMP MoveMouse(LONG* x, LONG* y) override;
  STDMETHODIMP ClickMouse(MButtons* Button, VARIANT_BOOL* result) override;
  STDMETHODIMP CenterMouseOnElement(LONG* hWnd, VARIANT_BOOL* result) override;
  STDMETHODIMP GetCursorLocate(Coord* XorY, LONG* result) override;
  STDMETHODIMP MsgBoxPlus(LONG* hWnd, BSTR* Caption, BSTR* Title, LONG* wType, LONG* result) override;
  STDMETHODIMP OnTop(LONG* hWnd, VARIANT_BOOL* Mode) override;
};

}  // namespace velmora
