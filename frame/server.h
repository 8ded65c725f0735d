// The component server shared by the four libraries. A library hands the frame
// one identity table (library_identity) and one class per default interface,
// derived from ComObject; everything else here is written once for all.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace frame {

struct ClassEntry {
  const CLSID* clsid;
  const IID* iid;
  const wchar_t* class_name;      // "Lirrow"
  const wchar_t* interface_name;  // "_Lirrow"
  const wchar_t* prog_id;         // "Lirrow.Lirrow"
  HRESULT (*create)(REFIID riid, void** object);
};

struct LibraryIdentity {
  const wchar_t* name;
  const GUID* libid;
  WORD major_version;
  WORD minor_version;
  const ClassEntry* classes;
  size_t class_count;
};

// Defined once by each library.
const LibraryIdentity& library_identity();

// The class whose default interface is `iid` (the first class if none is).
const ClassEntry& class_for_interface(REFIID iid);

// One count for living instances and class-object locks: DllCanUnloadNow
// answers S_OK when it is zero.
void module_add_ref();
void module_release();
long module_count();

// Whether a caller handed a null pointer where an interface identity or
// another reference is expected. Out of line, so the compiler cannot assume
// that the address of a reference is never null and drop the test.
bool absent(const void* address) noexcept;

// This DLL's full path.
std::wstring module_path();

// The failure status that carries a run-time error number.
inline HRESULT error_status(int number) {
  return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, static_cast<WORD>(number));
}

// Sets the thread's error information (source = the class's ProgID) and
// returns the status for error `number`.
HRESULT report_error(const ClassEntry& entry, int number);

// Turns whatever a body threw into the call's status and error information.
HRESULT report_current_exception(const ClassEntry& entry) noexcept;

// A failed late-bound call on a host object: the host's own status and texts
// travel to our caller unchanged.
struct HostError {
  HRESULT status;
  std::wstring source;
  std::wstring description;
};

// A member whose body is not built yet: E_NOTIMPL with its own error text.
struct NotImplemented {};
[[noreturn]] inline void not_implemented() { throw NotImplemented{}; }

}  // namespace frame
