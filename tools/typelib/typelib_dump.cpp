// Prints a type library as canonical text: library identity, then each type
// in order with its kind, GUID and flags, the members of interfaces with
// their DISPIDs, invoke kinds, vtable slots and parameters, and the members of
// enumerations with their ids and values. The tests compare this text with a
// reviewed copy, so the binary's interface cannot drift unnoticed.
//   typelib_dump <file with a type library> [--no-slots]
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <string>

namespace {

std::wstring guid_text(const GUID& guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

std::wstring type_text(ITypeInfo* info, const TYPEDESC& desc) {
  switch (desc.vt) {
    case VT_PTR: return type_text(info, *desc.lptdesc) + L"*";
    case VT_SAFEARRAY: return L"SAFEARRAY(" + type_text(info, *desc.lptdesc) + L")";
    case VT_USERDEFINED: {
      ITypeInfo* ref = nullptr;
      BSTR name = nullptr;
      std::wstring result = L"?";
      if (SUCCEEDED(info->GetRefTypeInfo(desc.hreftype, &ref)) && SUCCEEDED(ref->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr))) {
        result = name;
        SysFreeString(name);
      }
      if (ref) ref->Release();
      return result;
    }
    case VT_BSTR: return L"BSTR";
    case VT_BOOL: return L"VARIANT_BOOL";
    case VT_I2: return L"short";
    case VT_I4: return L"long";
    case VT_INT: return L"int";
    case VT_UI1: return L"unsigned char";
    case VT_R4: return L"float";
    case VT_R8: return L"double";
    case VT_DATE: return L"DATE";
    case VT_VARIANT: return L"VARIANT";
    case VT_DISPATCH: return L"IDispatch*";
    case VT_UNKNOWN: return L"IUnknown*";
    case VT_HRESULT: return L"HRESULT";
    case VT_VOID: return L"void";
    default: return L"vt" + std::to_wstring(desc.vt);
  }
}

std::wstring param_flags(USHORT flags) {
  std::wstring result;
  auto add = [&](const wchar_t* text) { result += result.empty() ? text : std::wstring(L",") + text; };
  if (flags & PARAMFLAG_FIN) add(L"in");
  if (flags & PARAMFLAG_FOUT) add(L"out");
  if (flags & PARAMFLAG_FRETVAL) add(L"retval");
  if (flags & PARAMFLAG_FOPT) add(L"optional");
  if (flags & PARAMFLAG_FHASDEFAULT) add(L"default");
  return result;
}

const wchar_t* kind_text(TYPEKIND kind) {
  switch (kind) {
    case TKIND_ENUM: return L"enum";
    case TKIND_INTERFACE: return L"interface";
    case TKIND_DISPATCH: return L"dispinterface";
    case TKIND_COCLASS: return L"coclass";
    case TKIND_ALIAS: return L"alias";
    case TKIND_RECORD: return L"record";
    case TKIND_MODULE: return L"module";
    default: return L"other";
  }
}

const wchar_t* invoke_text(INVOKEKIND kind) {
  switch (kind) {
    case INVOKE_FUNC: return L"method";
    case INVOKE_PROPERTYGET: return L"propget";
    case INVOKE_PROPERTYPUT: return L"propput";
    case INVOKE_PROPERTYPUTREF: return L"propputref";
  }
  return L"?";
}

void dump_functions(ITypeInfo* info, const TYPEATTR* attr, bool slots) {
  for (UINT f = 0; f < attr->cFuncs; ++f) {
    FUNCDESC* desc = nullptr;
    if (FAILED(info->GetFuncDesc(f, &desc))) continue;
    BSTR names[32] = {};
    UINT count = 0;
    info->GetNames(desc->memid, names, 32, &count);
    BSTR help = nullptr;
    info->GetDocumentation(desc->memid, nullptr, &help, nullptr, nullptr);
    wprintf(L"  %ls id=0x%08lx %ls", names[0], static_cast<unsigned long>(desc->memid), invoke_text(desc->invkind));
    if (slots) wprintf(L" slot=%d", static_cast<int>(desc->oVft / static_cast<SHORT>(sizeof(void*))));
    wprintf(L" returns=%ls flags=0x%x\n", type_text(info, desc->elemdescFunc.tdesc).c_str(), desc->wFuncFlags);
    for (SHORT p = 0; p < desc->cParams; ++p) {
      const ELEMDESC& element = desc->lprgelemdescParam[p];
      const wchar_t* name = static_cast<UINT>(p + 1) < count && names[p + 1] ? names[p + 1] : L"(unnamed)";
      wprintf(L"    %ls %ls [%ls]\n", type_text(info, element.tdesc).c_str(), name, param_flags(element.paramdesc.wParamFlags).c_str());
    }
    wprintf(L"    help: %ls\n", help && *help ? L"yes" : L"MISSING");
    SysFreeString(help);
    for (UINT i = 0; i < count; ++i) SysFreeString(names[i]);
    info->ReleaseFuncDesc(desc);
  }
}

void dump_enum(ITypeInfo* info, const TYPEATTR* attr) {
  for (UINT v = 0; v < attr->cVars; ++v) {
    VARDESC* desc = nullptr;
    if (FAILED(info->GetVarDesc(v, &desc))) continue;
    BSTR name = nullptr;
    UINT count = 0;
    info->GetNames(desc->memid, &name, 1, &count);
    VARIANT value;
    VariantInit(&value);
    VariantChangeType(&value, desc->lpvarValue, 0, VT_I4);
    wprintf(L"  %ls = %ld id=0x%08lx\n", name, static_cast<long>(V_I4(&value)), static_cast<unsigned long>(desc->memid));
    SysFreeString(name);
    info->ReleaseVarDesc(desc);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    fwprintf(stderr, L"usage: typelib_dump <file> [--no-slots]\n");
    return 2;
  }
  bool slots = !(argc > 2 && std::wstring(argv[2]) == L"--no-slots");
  ITypeLib* library = nullptr;
  HRESULT status = LoadTypeLibEx(argv[1], REGKIND_NONE, &library);
  if (FAILED(status)) {
    fwprintf(stderr, L"cannot load %ls: 0x%08lx\n", argv[1], static_cast<unsigned long>(status));
    return 1;
  }
  TLIBATTR* lib_attr = nullptr;
  library->GetLibAttr(&lib_attr);
  BSTR name = nullptr, help = nullptr;
  library->GetDocumentation(-1, &name, &help, nullptr, nullptr);
  wprintf(L"library %ls %ls version %u.%u lcid %lu syskind %ls flags 0x%x\n", name, guid_text(lib_attr->guid).c_str(),
          lib_attr->wMajorVerNum, lib_attr->wMinorVerNum, static_cast<unsigned long>(lib_attr->lcid),
          lib_attr->syskind == SYS_WIN64 ? L"win64" : lib_attr->syskind == SYS_WIN32 ? L"win32" : L"other", lib_attr->wLibFlags);
  wprintf(L"  help: %ls\n", help && *help ? L"yes" : L"MISSING");
  SysFreeString(name);
  SysFreeString(help);
  library->ReleaseTLibAttr(lib_attr);

  for (UINT t = 0; t < library->GetTypeInfoCount(); ++t) {
    ITypeInfo* info = nullptr;
    if (FAILED(library->GetTypeInfo(t, &info))) continue;
    TYPEATTR* attr = nullptr;
    info->GetTypeAttr(&attr);
    BSTR type_name = nullptr;
    info->GetDocumentation(MEMBERID_NIL, &type_name, nullptr, nullptr, nullptr);
    wprintf(L"%ls %ls %ls flags=0x%x\n", kind_text(attr->typekind), type_name, guid_text(attr->guid).c_str(), attr->wTypeFlags);
    SysFreeString(type_name);
    if (attr->typekind == TKIND_COCLASS) {
      for (UINT i = 0; i < attr->cImplTypes; ++i) {
        HREFTYPE ref = 0;
        INT impl_flags = 0;
        ITypeInfo* implemented = nullptr;
        info->GetRefTypeOfImplType(i, &ref);
        info->GetImplTypeFlags(i, &impl_flags);
        if (SUCCEEDED(info->GetRefTypeInfo(ref, &implemented))) {
          BSTR implemented_name = nullptr;
          implemented->GetDocumentation(MEMBERID_NIL, &implemented_name, nullptr, nullptr, nullptr);
          wprintf(L"  implements %ls flags=0x%x\n", implemented_name, impl_flags);
          SysFreeString(implemented_name);
          implemented->Release();
        }
      }
    } else if (attr->typekind == TKIND_ENUM) {
      dump_enum(info, attr);
    } else if (attr->typekind == TKIND_DISPATCH) {
      // The vtable half of a dual interface carries the slots.
      HREFTYPE ref = 0;
      ITypeInfo* vtable = nullptr;
      if (SUCCEEDED(info->GetRefTypeOfImplType(-1, &ref)) && SUCCEEDED(info->GetRefTypeInfo(ref, &vtable))) {
        TYPEATTR* vtable_attr = nullptr;
        vtable->GetTypeAttr(&vtable_attr);
        dump_functions(vtable, vtable_attr, slots);
        vtable->ReleaseTypeAttr(vtable_attr);
        vtable->Release();
      } else {
        dump_functions(info, attr, false);
      }
    } else if (attr->typekind == TKIND_INTERFACE) {
      dump_functions(info, attr, slots);
    }
    info->ReleaseTypeAttr(attr);
    info->Release();
  }
  library->Release();
  return 0;
}
