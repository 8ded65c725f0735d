// Velmora's identity table: all the frame needs to know about this library.
#include <initguid.h>

#include "gradient_object.h"
#include "velmora_object.h"

const frame::LibraryIdentity& frame::library_identity() {
  static const ClassEntry classes[] = {
      {&CLSID_Velmora, &IID__Velmora, L"Velmora", L"_Velmora", L"Velmora.Velmora", &velmora::VelmoraObject::create},
      {&CLSID_ClassForGradient, &IID__ClassForGradient, L"ClassForGradient", L"_ClassForGradient",
       L"Velmora.ClassForGradient", &velmora::GradientObject::create},
  };
  static const LibraryIdentity identity{L"Velmora", &LIBID_Velmora, 4, 0, classes, std::size(classes)};
  return identity;
}
