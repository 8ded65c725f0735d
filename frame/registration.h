// Self-registration of the library, for the machine or for the current user.
#pragma once

#include <windows.h>

namespace frame {

enum class Scope { machine, user };

// Writes the library's classes, ProgIDs, interfaces and type library under
// the scope's classes; all of it or, on failure, nothing.
HRESULT register_library(Scope scope);

// Removes what registration wrote, leaving what the other bitness or another
// registered copy of the library still needs. Nothing registered is success.
HRESULT unregister_library(Scope scope);

}  // namespace frame
