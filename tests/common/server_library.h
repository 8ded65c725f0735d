// A server DLL of the suite seen from outside: loaded by path, its four
// exports, and its classes and members as its own type library describes
// them. The fuzzer, the apartment test and the registry probe work from this
// description only, so they cover whichever libraries are built.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <memory>
#include <string>
#include <vector>

#include "frame/owners.h"

namespace suite_test {

struct ParamKind {
  std::wstring name;
  VARTYPE type = VT_EMPTY;  // without VT_BYREF; enumerations as VT_I4, objects as VT_DISPATCH
  bool by_ref = false;
  bool optional = false;
};

struct MemberInfo {
  std::wstring name;
  MEMBERID id = 0;
  INVOKEKIND kind = INVOKE_FUNC;
  std::vector<ParamKind> params;  // without the return value
  VARTYPE result = VT_EMPTY;      // VT_EMPTY when the member has none
};

struct ClassInfo {
  std::wstring name;
  std::wstring interface_name;
  CLSID clsid{};
  IID iid{};
  std::vector<MemberInfo> members;
};

class ServerLibrary {
 public:
  // Nullptr (and the reason) when the file is not a server of the suite.
  static std::unique_ptr<ServerLibrary> load(const std::wstring& path, std::wstring& why);
  ~ServerLibrary();
  ServerLibrary(const ServerLibrary&) = delete;
  ServerLibrary& operator=(const ServerLibrary&) = delete;

  const std::wstring& name() const { return name_; }
  const std::wstring& path() const { return path_; }
  const std::vector<ClassInfo>& classes() const { return classes_; }
  const GUID& libid() const { return libid_; }

  // A new instance straight from the DLL's class object (no registration needed).
  HRESULT create(const ClassInfo& info, REFIID iid, void** object) const;
  HRESULT can_unload_now() const { return can_unload_now_(); }
  HRESULT register_server() const { return register_server_(); }
  HRESULT unregister_server() const { return unregister_server_(); }

 private:
  ServerLibrary() = default;

  std::wstring path_, name_;
  GUID libid_{};
  HMODULE module_ = nullptr;
  HRESULT(STDAPICALLTYPE* get_class_object_)(REFCLSID, REFIID, void**) = nullptr;
  HRESULT(STDAPICALLTYPE* can_unload_now_)() = nullptr;
  HRESULT(STDAPICALLTYPE* register_server_)() = nullptr;
  HRESULT(STDAPICALLTYPE* unregister_server_)() = nullptr;
  std::vector<ClassInfo> classes_;
};

// The *.dll files of a folder, sorted by name (a Windows path, either slash).
std::vector<std::wstring> dlls_in(const std::wstring& folder);

// The kind a type description stands for, enumerations and aliases resolved.
VARTYPE resolve_type(ITypeInfo* info, const TYPEDESC& desc);

// Members of a dual interface's vtable half, in slot order.
std::vector<MemberInfo> members_of(ITypeInfo* dispatch_info);

std::wstring guid_text(const GUID& guid);
std::string narrow(std::wstring_view text);

}  // namespace suite_test
