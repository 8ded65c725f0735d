// Lirrow's identity table: all the frame needs to know about this library.
#include <initguid.h>

#include "lirrow_object.h"

const frame::LibraryIdentity& frame::library_identity() {
  static const ClassEntry classes[] = {
      {&CLSID_Lirrow, &IID__Lirrow, L"Lirrow", L"_Lirrow", L"Lirrow.Lirrow", &lirrow::LirrowObject::create},
  };
  static const LibraryIdentity identity{L"Lirrow", &LIBID_Lirrow, 4, 0, classes, std::size(classes)};
  return identity;
}
