// The class ClassForGradient: a painter that fills a host object's client
// area with a two-colour linear gradient at any angle.
#pragma once

#include "frame/com_object.h"
#include "velmora_h.h"

namespace velmora {

class GradientObject final : public frame::ComObject<GradientObject, _ClassForGradient> {
 public:
  STDMETHODIMP Draw(IDispatch** picObj, VARIANT_BOOL* result) override;
  STDMETHODIMP BlendColors(LONG lColor1, LONG lColor2, LONG lSteps, SAFEARRAY** laRetColors, LONG* result) override;
  STDMETHODIMP put_Color1(LONG value) override;
  STDMETHODIMP get_Color1(LONG* value) override;
  STDMETHODIMP put_Color2(LONG value) override;
  STDMETHODIMP get_Color2(LONG* value) override;
  STDMETHODIMP put_Angle(float value) override;
  STDMETHODIMP get_Angle(float* value) override;

 private:
  bool draw(IDispatch** picObj);
  long draw_gradient_bands(HDC dc, long width, long height);

  long color1_ = 0xFFFFD0;
  long color2_ = 0x400000;
  float angle_ = 315;  // top-left to bottom-right
};

}  // namespace velmora
