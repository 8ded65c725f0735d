#include "server_library.h"

#include <algorithm>

namespace suite_test {

using frame::Bstr;
using frame::ComPtr;

std::wstring guid_text(const GUID& guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

std::string narrow(std::wstring_view text) {
  std::string out;
  for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

VARTYPE resolve_type(ITypeInfo* info, const TYPEDESC& desc) {
  switch (desc.vt) {
    case VT_SAFEARRAY: return static_cast<VARTYPE>(VT_ARRAY | resolve_type(info, *desc.lptdesc));
    case VT_PTR: return resolve_type(info, *desc.lptdesc);
    case VT_USERDEFINED: {
      ComPtr<ITypeInfo> ref;
      if (FAILED(info->GetRefTypeInfo(desc.hreftype, ref.put()))) return VT_EMPTY;
      TYPEATTR* attr = nullptr;
      if (FAILED(ref->GetTypeAttr(&attr))) return VT_EMPTY;
      VARTYPE result = VT_EMPTY;
      if (attr->typekind == TKIND_ENUM) result = VT_I4;
      else if (attr->typekind == TKIND_ALIAS) result = resolve_type(ref.get(), attr->tdescAlias);
      else if (attr->typekind == TKIND_DISPATCH || attr->typekind == TKIND_INTERFACE) result = VT_DISPATCH;
      ref->ReleaseTypeAttr(attr);
      return result;
    }
    case VT_INT: return VT_I4;
    default: return desc.vt;
  }
}

std::vector<MemberInfo> members_of(ITypeInfo* dispatch_info) {
  std::vector<MemberInfo> members;
  HREFTYPE ref = 0;
  ComPtr<ITypeInfo> vtable;
  ITypeInfo* info = dispatch_info;
  if (SUCCEEDED(dispatch_info->GetRefTypeOfImplType(-1, &ref)) && SUCCEEDED(dispatch_info->GetRefTypeInfo(ref, vtable.put())))
    info = vtable.get();
  TYPEATTR* attr = nullptr;
  if (FAILED(info->GetTypeAttr(&attr))) return members;
  const WORD count = attr->cFuncs;
  info->ReleaseTypeAttr(attr);
  for (UINT f = 0; f < count; ++f) {
    FUNCDESC* desc = nullptr;
    if (FAILED(info->GetFuncDesc(f, &desc))) continue;
    MemberInfo& member = members.emplace_back();
    member.id = desc->memid;
    member.kind = desc->invkind;
    BSTR names[64] = {};
    UINT named = 0;
    info->GetNames(desc->memid, names, 64, &named);
    member.name = names[0] ? names[0] : L"?";
    for (SHORT p = 0; p < desc->cParams; ++p) {
      const ELEMDESC& element = desc->lprgelemdescParam[p];
      const USHORT flags = element.paramdesc.wParamFlags;
      const bool by_ref = element.tdesc.vt == VT_PTR;
      const VARTYPE type = resolve_type(info, by_ref ? *element.tdesc.lptdesc : element.tdesc);
      if (flags & PARAMFLAG_FRETVAL) {
        member.result = type;
        continue;
      }
      ParamKind& param = member.params.emplace_back();
      param.type = type;
      param.by_ref = by_ref;
      param.optional = (flags & (PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT)) != 0;
      const UINT name_index = static_cast<UINT>(p) + 1;
      param.name = name_index < named && names[name_index] ? names[name_index] : L"value";
    }
    for (UINT i = 0; i < named; ++i) SysFreeString(names[i]);
    info->ReleaseFuncDesc(desc);
  }
  return members;
}

std::unique_ptr<ServerLibrary> ServerLibrary::load(const std::wstring& path, std::wstring& why) {
  std::unique_ptr<ServerLibrary> library(new ServerLibrary());
  library->path_ = path;
  library->module_ = LoadLibraryW(path.c_str());
  if (!library->module_) {
    why = L"cannot be loaded";
    return nullptr;
  }
  auto find = [&](const char* name) { return reinterpret_cast<void*>(GetProcAddress(library->module_, name)); };
  library->get_class_object_ = reinterpret_cast<decltype(get_class_object_)>(find("DllGetClassObject"));
  library->can_unload_now_ = reinterpret_cast<decltype(can_unload_now_)>(find("DllCanUnloadNow"));
  library->register_server_ = reinterpret_cast<decltype(register_server_)>(find("DllRegisterServer"));
  library->unregister_server_ = reinterpret_cast<decltype(unregister_server_)>(find("DllUnregisterServer"));
  if (!library->get_class_object_ || !library->can_unload_now_ || !library->register_server_ || !library->unregister_server_) {
    why = L"lacks the server exports";
    return nullptr;
  }
  ComPtr<ITypeLib> types;
  if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, types.put()))) {
    why = L"carries no type library";
    return nullptr;
  }
  BSTR name = nullptr;
  types->GetDocumentation(-1, &name, nullptr, nullptr, nullptr);
  library->name_ = name ? name : L"";
  SysFreeString(name);
  TLIBATTR* lib_attr = nullptr;
  if (SUCCEEDED(types->GetLibAttr(&lib_attr))) {
    library->libid_ = lib_attr->guid;
    types->ReleaseTLibAttr(lib_attr);
  }
  for (UINT t = 0; t < types->GetTypeInfoCount(); ++t) {
    ComPtr<ITypeInfo> info;
    if (FAILED(types->GetTypeInfo(t, info.put()))) continue;
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) continue;
    const bool creatable = attr->typekind == TKIND_COCLASS && (attr->wTypeFlags & TYPEFLAG_FCANCREATE);
    const CLSID clsid = attr->guid;
    const WORD implemented = attr->cImplTypes;
    info->ReleaseTypeAttr(attr);
    if (!creatable) continue;
    for (UINT i = 0; i < implemented; ++i) {
      INT flags = 0;
      HREFTYPE ref = 0;
      ComPtr<ITypeInfo> interface_info;
      if (FAILED(info->GetImplTypeFlags(i, &flags)) || !(flags & IMPLTYPEFLAG_FDEFAULT) || (flags & IMPLTYPEFLAG_FSOURCE)) continue;
      if (FAILED(info->GetRefTypeOfImplType(i, &ref)) || FAILED(info->GetRefTypeInfo(ref, interface_info.put()))) continue;
      ClassInfo& entry = library->classes_.emplace_back();
      entry.clsid = clsid;
      BSTR class_name = nullptr, interface_name = nullptr;
      info->GetDocumentation(MEMBERID_NIL, &class_name, nullptr, nullptr, nullptr);
      interface_info->GetDocumentation(MEMBERID_NIL, &interface_name, nullptr, nullptr, nullptr);
      entry.name = class_name ? class_name : L"";
      entry.interface_name = interface_name ? interface_name : L"";
      SysFreeString(class_name);
      SysFreeString(interface_name);
      TYPEATTR* interface_attr = nullptr;
      if (SUCCEEDED(interface_info->GetTypeAttr(&interface_attr))) {
        entry.iid = interface_attr->guid;
        interface_info->ReleaseTypeAttr(interface_attr);
      }
      entry.members = members_of(interface_info.get());
    }
  }
  if (library->classes_.empty()) {
    why = L"has no creatable class";
    return nullptr;
  }
  return library;
}

ServerLibrary::~ServerLibrary() {
  if (module_) FreeLibrary(module_);
}

HRESULT ServerLibrary::create(const ClassInfo& info, REFIID iid, void** object) const {
  ComPtr<IClassFactory> factory;
  HRESULT status = get_class_object_(info.clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.put()));
  if (FAILED(status)) return status;
  return factory->CreateInstance(nullptr, iid, object);
}

std::vector<std::wstring> dlls_in(const std::wstring& folder) {
  std::wstring base = folder;
  std::replace(base.begin(), base.end(), L'/', L'\\');
  if (!base.empty() && base.back() != L'\\') base += L'\\';
  std::vector<std::wstring> found;
  WIN32_FIND_DATAW data;
  frame::FindHandle search(FindFirstFileW((base + L"*.dll").c_str(), &data));
  if (!search) return found;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) found.push_back(base + data.cFileName);
  } while (FindNextFileW(search.get(), &data));
  std::sort(found.begin(), found.end());
  return found;
}

}  // namespace suite_test
