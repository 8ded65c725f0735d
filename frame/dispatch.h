// IDispatch from the type library: names to DISPIDs (case-insensitive, with
// parameter names), and late-bound calls landing in the same vtable member.
//
// Unlike the stock type-library dispatch, a caller's variable passed as
// VT_BYREF|VT_VARIANT (how scripting hosts pass every variable) is coerced to
// the declared kind, and whatever the method leaves in that parameter is
// written back into the caller's variable, so by-reference parameters work
// from scripts.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <cguid.h>

#include "server.h"

namespace frame {

class DispatchTable;

// The table of one default interface, loaded from this DLL's type library on
// first use; null when the type library cannot be read.
DispatchTable* dispatch_table(REFIID iid);

// Releases the cached type information; only when no instance is alive
// (DllCanUnloadNow), never under the loader lock.
void release_dispatch_tables();

HRESULT dispatch_type_info(REFIID iid, UINT index, ITypeInfo** info);
HRESULT dispatch_ids_of_names(REFIID iid, LPOLESTR* names, UINT count, DISPID* ids);
HRESULT dispatch_invoke(IDispatch* self, const ClassEntry& entry, DISPID id, REFIID riid, WORD flags,
                        DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, UINT* arg_error);

}  // namespace frame
