// Writes the reference of one library as Markdown, read from the type library
// inside its DLL: classes with their ProgIDs and identities, every member with
// its parameters (kind, passing), result, DISPID, slot and help string, and
// every enumeration with its values. The committed reference is compared with
// this output by the tests, so the documentation follows the binary.
//   typelib_reference <library.dll>
#include <windows.h>
#include <oleauto.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "frame/owners.h"

namespace {

using frame::ComPtr;

std::wstring guid_text(const GUID& guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

std::string utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

std::string out;
void put(const std::wstring& text) { out += utf8(text); }

struct Doc {
  std::wstring name, help;
};
Doc doc_of(ITypeInfo* info, MEMBERID id) {
  BSTR name = nullptr, help = nullptr;
  info->GetDocumentation(id, &name, &help, nullptr, nullptr);
  Doc doc{name ? name : L"", help ? help : L""};
  SysFreeString(name);
  SysFreeString(help);
  return doc;
}

// The kind as a script or VBA programmer knows it.
std::wstring kind_text(ITypeInfo* info, const TYPEDESC& desc) {
  switch (desc.vt) {
    case VT_PTR: return kind_text(info, *desc.lptdesc);
    case VT_SAFEARRAY: return L"Array of " + kind_text(info, *desc.lptdesc);
    case VT_USERDEFINED: {
      ComPtr<ITypeInfo> ref;
      if (FAILED(info->GetRefTypeInfo(desc.hreftype, ref.put()))) return L"?";
      TYPEATTR* attr = nullptr;
      std::wstring name = doc_of(ref.get(), MEMBERID_NIL).name;
      if (SUCCEEDED(ref->GetTypeAttr(&attr))) {
        if (attr->typekind == TKIND_DISPATCH || attr->typekind == TKIND_INTERFACE) name = L"Object (" + name + L")";
        ref->ReleaseTypeAttr(attr);
      }
      return name;
    }
    case VT_BSTR: return L"String";
    case VT_BOOL: return L"Boolean";
    case VT_I2: return L"Integer";
    case VT_I4: case VT_INT: return L"Long";
    case VT_UI1: return L"Byte";
    case VT_R4: return L"Single";
    case VT_R8: return L"Double";
    case VT_CY: return L"Currency";
    case VT_DATE: return L"Date";
    case VT_VARIANT: return L"Variant";
    case VT_DISPATCH: return L"Object";
    case VT_UNKNOWN: return L"IUnknown";
    default: return L"vt" + std::to_wstring(desc.vt);
  }
}

std::wstring hex(unsigned long value) {
  wchar_t text[16];
  swprintf(text, 16, L"0x%08lx", value);
  return text;
}

const wchar_t* access_text(INVOKEKIND kind) {
  switch (kind) {
    case INVOKE_PROPERTYGET: return L"property get";
    case INVOKE_PROPERTYPUT: return L"property let";
    case INVOKE_PROPERTYPUTREF: return L"property set";
    default: return L"method";
  }
}

void write_members(ITypeInfo* dispatch_info) {
  HREFTYPE ref = 0;
  ComPtr<ITypeInfo> vtable;
  ITypeInfo* info = dispatch_info;
  if (SUCCEEDED(dispatch_info->GetRefTypeOfImplType(-1, &ref)) && SUCCEEDED(dispatch_info->GetRefTypeInfo(ref, vtable.put())))
    info = vtable.get();
  TYPEATTR* attr = nullptr;
  if (FAILED(info->GetTypeAttr(&attr))) return;
  const WORD count = attr->cFuncs;
  info->ReleaseTypeAttr(attr);
  for (UINT f = 0; f < count; ++f) {
    FUNCDESC* desc = nullptr;
    if (FAILED(info->GetFuncDesc(f, &desc))) continue;
    BSTR names[64] = {};
    UINT named = 0;
    info->GetNames(desc->memid, names, 64, &named);
    const Doc doc = doc_of(info, desc->memid);
    std::wstring signature = doc.name + L"(";
    std::wstring table, result;
    bool first = true;
    for (SHORT p = 0; p < desc->cParams; ++p) {
      const ELEMDESC& element = desc->lprgelemdescParam[p];
      const std::wstring kind = kind_text(info, element.tdesc);
      if (element.paramdesc.wParamFlags & PARAMFLAG_FRETVAL) {
        result = kind;
        continue;
      }
      const bool by_ref = element.tdesc.vt == VT_PTR;
      const UINT index = static_cast<UINT>(p) + 1;
      const std::wstring name = index < named && names[index] ? names[index] : L"value";
      signature += (first ? L"" : L", ") + std::wstring(by_ref ? L"ByRef " : L"ByVal ") + name + L" As " + kind;
      first = false;
      table += L"| `" + name + L"` | " + kind + L" | " + (by_ref ? L"by reference" : L"by value") + L" |\n";
    }
    signature += L")";
    if (!result.empty()) signature += L" As " + result;
    put(L"### " + doc.name + (desc->invkind == INVOKE_FUNC ? L"" : std::wstring(L" (") + access_text(desc->invkind) + L")") + L"\n\n");
    put(L"`" + signature + L"`\n\n");
    if (!doc.help.empty()) put(doc.help + L"\n\n");
    put(L"DISPID " + hex(static_cast<unsigned long>(desc->memid)) + L", " + access_text(desc->invkind) + L", vtable slot " +
        std::to_wstring(desc->oVft / static_cast<SHORT>(sizeof(void*))) + L"; result: " + (result.empty() ? L"none" : result) + L".\n\n");
    if (!table.empty()) put(L"| Parameter | Kind | Passed |\n|---|---|---|\n" + table + L"\n");
    for (UINT i = 0; i < named; ++i) SysFreeString(names[i]);
    info->ReleaseFuncDesc(desc);
  }
}

void write_enum(ITypeInfo* info, const TYPEATTR* attr) {
  put(L"| Member | Value |\n|---|---|\n");
  for (UINT v = 0; v < attr->cVars; ++v) {
    VARDESC* desc = nullptr;
    if (FAILED(info->GetVarDesc(v, &desc))) continue;
    VARIANT value;
    VariantInit(&value);
    VariantChangeType(&value, desc->lpvarValue, 0, VT_I4);
    put(L"| `" + doc_of(info, desc->memid).name + L"` | " + std::to_wstring(V_I4(&value)) + L" |\n");
    info->ReleaseVarDesc(desc);
  }
  put(L"\n");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    fwprintf(stderr, L"usage: typelib_reference <library.dll>\n");
    return 2;
  }
  ComPtr<ITypeLib> library;
  if (FAILED(LoadTypeLibEx(argv[1], REGKIND_NONE, library.put()))) {
    fwprintf(stderr, L"no type library in %ls\n", argv[1]);
    return 1;
  }
  TLIBATTR* lib_attr = nullptr;
  library->GetLibAttr(&lib_attr);
  BSTR name = nullptr, help = nullptr;
  library->GetDocumentation(-1, &name, &help, nullptr, nullptr);
  const std::wstring library_name = name ? name : L"";
  put(L"# " + library_name + L" reference\n\n");
  put(L"Generated from the type library inside " + library_name + L".dll by tools/reference; do not edit by hand.\n\n");
  if (help && *help) put(std::wstring(help) + L"\n\n");
  put(L"Type library `" + library_name + L"` " + guid_text(lib_attr->guid) + L", version " + std::to_wstring(lib_attr->wMajorVerNum) +
      L"." + std::to_wstring(lib_attr->wMinorVerNum) + L".\n\n");
  SysFreeString(name);
  SysFreeString(help);
  library->ReleaseTLibAttr(lib_attr);

  // Classes first (one table), then each class's interface, then the enumerations.
  std::vector<ComPtr<ITypeInfo>> classes, enums;
  for (UINT t = 0; t < library->GetTypeInfoCount(); ++t) {
    ComPtr<ITypeInfo> info;
    TYPEATTR* attr = nullptr;
    if (FAILED(library->GetTypeInfo(t, info.put())) || FAILED(info->GetTypeAttr(&attr))) continue;
    if (attr->typekind == TKIND_COCLASS) classes.push_back(info);
    if (attr->typekind == TKIND_ENUM) enums.push_back(info);
    info->ReleaseTypeAttr(attr);
  }
  put(L"## Classes\n\n| Class | ProgID | CLSID | Default interface | IID |\n|---|---|---|---|---|\n");
  std::vector<std::pair<std::wstring, ComPtr<ITypeInfo>>> interfaces;
  for (auto& info : classes) {
    TYPEATTR* attr = nullptr;
    info->GetTypeAttr(&attr);
    const std::wstring class_name = doc_of(info.get(), MEMBERID_NIL).name;
    for (UINT i = 0; i < attr->cImplTypes; ++i) {
      INT flags = 0;
      HREFTYPE ref = 0;
      ComPtr<ITypeInfo> implemented;
      if (FAILED(info->GetImplTypeFlags(i, &flags)) || !(flags & IMPLTYPEFLAG_FDEFAULT)) continue;
      if (FAILED(info->GetRefTypeOfImplType(i, &ref)) || FAILED(info->GetRefTypeInfo(ref, implemented.put()))) continue;
      TYPEATTR* interface_attr = nullptr;
      implemented->GetTypeAttr(&interface_attr);
      const std::wstring interface_name = doc_of(implemented.get(), MEMBERID_NIL).name;
      put(L"| `" + class_name + L"` | `" + library_name + L"." + class_name + L"` | " + guid_text(attr->guid) + L" | `" +
          interface_name + L"` | " + guid_text(interface_attr->guid) + L" |\n");
      implemented->ReleaseTypeAttr(interface_attr);
      interfaces.emplace_back(class_name, implemented);
    }
    info->ReleaseTypeAttr(attr);
  }
  put(L"\n");
  for (auto& [class_name, info] : interfaces) {
    const Doc doc = doc_of(info.get(), MEMBERID_NIL);
    put(L"## Class " + class_name + L": interface `" + doc.name + L"`\n\n");
    write_members(info.get());
  }
  if (!enums.empty()) put(L"## Enumerations\n\n");
  for (auto& info : enums) {
    TYPEATTR* attr = nullptr;
    info->GetTypeAttr(&attr);
    const Doc doc = doc_of(info.get(), MEMBERID_NIL);
    put(L"### " + doc.name + L"\n\n");
    if (!doc.help.empty()) put(doc.help + L"\n\n");
    put(L"Identity " + guid_text(attr->guid) + L".\n\n");
    write_enum(info.get(), attr);
    info->ReleaseTypeAttr(attr);
  }
  while (out.size() >= 2 && out[out.size() - 1] == '\n' && out[out.size() - 2] == '\n') out.pop_back();
  _setmode(_fileno(stdout), _O_BINARY);
  fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}
