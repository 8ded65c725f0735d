// A host that uses the suite without registration, as an application that
// ships the DLLs beside itself does: it writes an application manifest naming
// the assembly of every DLL in its folder (read from the DLL's own manifest
// resource), activates it, and then creates every class by CLSID, reads its
// type information, resolves its ProgID and calls Lirrow through the vtable
// and late-bound. Outside the activation every class is "not registered".
//   regfree_host <folder with the DLLs>
#include <initguid.h>

#include <windows.h>
#include <oleauto.h>
#include <cguid.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "frame/owners.h"
#include "lirrow_h.h"

using frame::Bstr;
using frame::ComPtr;

namespace {

int passed = 0, failed = 0;

void check(bool ok, const std::string& what) {
  if (ok) {
    ++passed;
  } else {
    ++failed;
    printf("FAIL %s\n", what.c_str());
  }
}

std::string narrow(std::wstring_view text) {
  std::string out;
  for (wchar_t c : text) out += c < 128 ? static_cast<char>(c) : '?';
  return out;
}

std::wstring guid_text(const GUID& guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

struct ClassInfo {
  std::wstring progid, interface_name;
  CLSID clsid{};
  IID iid{};
};

struct Library {
  std::wstring name, path;
  std::string identity;  // the <assemblyIdentity .../> element of its manifest
  std::vector<ClassInfo> classes;
};

// The assembly identity in the DLL's manifest resource 1.
std::string assembly_identity(const std::wstring& path) {
  HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return {};
  std::string identity;
  if (HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
    const char* text = static_cast<const char*>(LockResource(LoadResource(module, resource)));
    const std::string manifest(text, SizeofResource(module, resource));
    const size_t start = manifest.find("<assemblyIdentity");
    if (start != std::string::npos) identity = manifest.substr(start, manifest.find("/>", start) + 2 - start);
  }
  FreeLibrary(module);
  return identity;
}

// The classes as the DLL's type library describes them (read from the file,
// not from the registry).
std::vector<ClassInfo> classes_of(const std::wstring& path, const std::wstring& library_name) {
  std::vector<ClassInfo> classes;
  ComPtr<ITypeLib> type_library;
  if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, type_library.put()))) return classes;
  for (UINT i = 0; i < type_library->GetTypeInfoCount(); ++i) {
    TYPEKIND kind;
    ComPtr<ITypeInfo> info, default_info;
    if (FAILED(type_library->GetTypeInfoType(i, &kind)) || kind != TKIND_COCLASS) continue;
    type_library->GetTypeInfo(i, info.put());
    HREFTYPE reference = 0;
    if (FAILED(info->GetRefTypeOfImplType(0, &reference)) || FAILED(info->GetRefTypeInfo(reference, default_info.put()))) continue;
    ClassInfo entry;
    BSTR name = nullptr, interface_name = nullptr;
    info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
    default_info->GetDocumentation(MEMBERID_NIL, &interface_name, nullptr, nullptr, nullptr);
    entry.progid = library_name + L"." + std::wstring(frame::text_of(name));
    entry.interface_name = frame::text_of(interface_name);
    SysFreeString(name);
    SysFreeString(interface_name);
    TYPEATTR* attributes = nullptr;
    info->GetTypeAttr(&attributes);
    entry.clsid = attributes->guid;
    info->ReleaseTypeAttr(attributes);
    default_info->GetTypeAttr(&attributes);
    entry.iid = attributes->guid;
    default_info->ReleaseTypeAttr(attributes);
    classes.push_back(entry);
  }
  return classes;
}

struct ActivationContext {
  HANDLE handle = INVALID_HANDLE_VALUE;
  ~ActivationContext() {
    if (handle != INVALID_HANDLE_VALUE) ReleaseActCtx(handle);
  }
};

void check_not_registered(const std::vector<Library>& libraries, const std::string& when) {
  for (const Library& library : libraries)
    for (const ClassInfo& info : library.classes) {
      ComPtr<IUnknown> object;
      const HRESULT status = CoCreateInstance(info.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(object.put()));
      char text[200];
      snprintf(text, sizeof text, "%s %s is not registered (0x%08lx)", when.c_str(), narrow(info.progid).c_str(), static_cast<unsigned long>(status));
      check(status == REGDB_E_CLASSNOTREG, text);
    }
}

void check_lirrow_calls() {
  ComPtr<_Lirrow> lirrow;
  check(CoCreateInstance(CLSID_Lirrow, nullptr, CLSCTX_INPROC_SERVER, IID__Lirrow, reinterpret_cast<void**>(lirrow.put())) == S_OK,
        "Lirrow through its default interface");
  if (!lirrow) return;
  Bstr source(L"abcabc"), what(L"b"), with(L"x");
  BSTR source_raw = source.get(), what_raw = what.get(), with_raw = with.get(), result = nullptr;
  check(lirrow->FindAndReplace(&source_raw, &what_raw, &with_raw, &result) == S_OK && frame::text_of(result) == L"axcaxc",
        "FindAndReplace through the vtable");
  SysFreeString(result);

  ComPtr<IDispatch> dispatch;
  lirrow->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.put()));
  wchar_t name[] = L"findandreplace";
  LPOLESTR names[] = {name};
  DISPID id = 0;
  check(dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id) == S_OK && id == 0x60030000, "FindAndReplace by name");
  VARIANT args[3], answer;
  for (VARIANT& arg : args) V_VT(&arg) = VT_BSTR;
  V_BSTR(&args[2]) = source.get();
  V_BSTR(&args[1]) = what.get();
  V_BSTR(&args[0]) = with.get();
  VariantInit(&answer);
  DISPPARAMS params{args, nullptr, 3, 0};
  check(dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &answer, nullptr, nullptr) == S_OK &&
            V_VT(&answer) == VT_BSTR && frame::text_of(V_BSTR(&answer)) == L"axcaxc",
        "FindAndReplace late-bound");
  VariantClear(&answer);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: regfree_host <folder with the DLLs>\n");
    return 2;
  }
  const std::wstring folder = argv[1];
  const char* bitness = sizeof(void*) == 8 ? "x64" : "x86";
  CoInitialize(nullptr);

  std::vector<Library> libraries;
  WIN32_FIND_DATAW found;
  frame::FindHandle search(FindFirstFileW((folder + L"\\*.dll").c_str(), &found));
  for (bool more = bool(search); more; more = FindNextFileW(search.get(), &found)) {
    Library library;
    library.path = folder + L"\\" + found.cFileName;
    library.name = std::wstring(found.cFileName).substr(0, wcslen(found.cFileName) - 4);
    library.identity = assembly_identity(library.path);
    library.classes = classes_of(library.path, library.name);
    check(!library.identity.empty(), narrow(library.name) + " carries an assembly manifest");
    check(!library.classes.empty(), narrow(library.name) + " has classes");
    libraries.push_back(library);
  }
  check(libraries.size() >= 4, "the four libraries are there");

  // The application manifest: one dependency per DLL beside us.
  const std::wstring manifest_path = folder + L"\\host.manifest";
  {
    std::ofstream manifest(manifest_path.c_str());
    manifest << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
             << "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
             << "  <assemblyIdentity type=\"win32\" name=\"RegistrationFreeHost\" version=\"1.0.0.0\"/>\n";
    for (const Library& library : libraries)
      manifest << "  <dependency><dependentAssembly>" << library.identity << "</dependentAssembly></dependency>\n";
    manifest << "</assembly>\n";
  }

  check_not_registered(libraries, "before the activation:");

  ActivationContext context;
  ACTCTXW description{};
  description.cbSize = sizeof description;
  description.lpSource = manifest_path.c_str();
  context.handle = CreateActCtxW(&description);
  check(context.handle != INVALID_HANDLE_VALUE, "the application manifest is accepted (error " + std::to_string(GetLastError()) + ")");
  ULONG_PTR cookie = 0;
  check(context.handle != INVALID_HANDLE_VALUE && ActivateActCtx(context.handle, &cookie), "activated");

  for (const Library& library : libraries) {
    for (const ClassInfo& info : library.classes) {
      const std::string progid = narrow(info.progid);
      ComPtr<IDispatch> dispatch;
      const HRESULT status = CoCreateInstance(info.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(dispatch.put()));
      char text[200];
      snprintf(text, sizeof text, "%s created by CLSID (0x%08lx)", progid.c_str(), static_cast<unsigned long>(status));
      check(status == S_OK, text);
      if (!dispatch) continue;
      ComPtr<IUnknown> default_interface;
      check(dispatch->QueryInterface(info.iid, reinterpret_cast<void**>(default_interface.put())) == S_OK, progid + " answers its default interface");
      ComPtr<ITypeInfo> type_info;
      BSTR name = nullptr;
      check(dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, type_info.put()) == S_OK &&
                type_info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr) == S_OK &&
                frame::text_of(name) == info.interface_name,
            progid + " describes itself as " + narrow(info.interface_name));
      SysFreeString(name);

      // Wine 8 answers a ProgID from a manifest with a CLSID of its own
      // making: reported, not counted.
      CLSID from_progid{};
      const HRESULT resolved = CLSIDFromProgID(info.progid.c_str(), &from_progid);
      if (resolved == S_OK && IsEqualCLSID(from_progid, info.clsid))
        check(true, progid);
      else
        printf("NOTE %s ProgID %s resolves to %s (0x%08lx), not %s\n", bitness, progid.c_str(), narrow(guid_text(from_progid)).c_str(),
               static_cast<unsigned long>(resolved), narrow(guid_text(info.clsid)).c_str());
    }
  }
  for (const Library& library : libraries)
    if (library.name == L"Lirrow") check_lirrow_calls();

  if (cookie) DeactivateActCtx(0, cookie);
  check_not_registered(libraries, "after the activation:");
  CoUninitialize();
  printf("regfree (%s): %d passed, %d failed\n", bitness, passed, failed);
  return failed == 0 && passed > 0 ? 0 : 1;
}
