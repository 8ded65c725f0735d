// Tarsen's identity table: all the frame needs to know about this library.
#include <initguid.h>

#include "tarsen_object.h"

const frame::LibraryIdentity& frame::library_identity() {
  static const ClassEntry classes[] = {
      {&CLSID_Tarsen, &IID__Tarsen, L"Tarsen", L"_Tarsen", L"Tarsen.Tarsen", &tarsen::TarsenObject::create},
  };
  static const LibraryIdentity identity{L"Tarsen", &LIBID_Tarsen, 10, 0, classes, std::size(classes)};
  return identity;
}
