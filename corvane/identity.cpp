// Corvane's identity table: all the frame needs to know about this library.
#include <initguid.h>

#include "corvane_object.h"

const frame::LibraryIdentity& frame::library_identity() {
  static const ClassEntry classes[] = {
      {&CLSID_Corvane, &IID__Corvane, L"Corvane", L"_Corvane", L"Corvane.Corvane", &corvane::CorvaneObject::create},
  };
  static const LibraryIdentity identity{L"Corvane", &LIBID_Corvane, 3, 0, classes, std::size(classes)};
  return identity;
}
