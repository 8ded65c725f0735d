// What the DLL carries about itself: the type library (order, identities,
// flags, members and their DISPIDs and slots, enumerations), the interface
// identity resource and the version block.
#include <string>
#include <vector>

#include "tarsen_client.h"

namespace tarsen_test {
namespace {

using frame::ComPtr;

struct TypeAttr {
  ComPtr<ITypeInfo> info;
  TYPEATTR* attr = nullptr;
  explicit TypeAttr(ComPtr<ITypeInfo> i) : info(std::move(i)) { info->GetTypeAttr(&attr); }
  ~TypeAttr() { if (attr) info->ReleaseTypeAttr(attr); }
};

std::wstring name_of(ITypeInfo* info, MEMBERID id) {
  BSTR name = nullptr;
  info->GetDocumentation(id, &name, nullptr, nullptr, nullptr);
  std::wstring text(frame::text_of(name));
  SysFreeString(name);
  return text;
}

// SystemFolders, MSOffise, KeyLayout, DiskInfo, mMemory.
const GUID kEnumerations[] = {
    {0x026F9579, 0x9D79, 0x4181, {0x8A, 0x5A, 0x0E, 0xDF, 0xF6, 0x74, 0xC7, 0x54}},
    {0x487C5753, 0x34C5, 0x4170, {0xBB, 0x59, 0xE9, 0x84, 0x9D, 0x74, 0x90, 0xE4}},
    {0xF1E5171C, 0x2D95, 0x449A, {0x9A, 0x21, 0xB4, 0xFC, 0x65, 0x94, 0x0C, 0xE1}},
    {0x093D3AFD, 0x95DC, 0x4E07, {0xA5, 0xE6, 0x89, 0x98, 0x34, 0x3A, 0x06, 0xF6}},
    {0xADCBE1F5, 0x5A89, 0x4405, {0xAD, 0xBD, 0x3A, 0xD7, 0x5E, 0xC5, 0x14, 0xC5}},
};

ComPtr<ITypeLib> load_library() {
  ComPtr<ITypeLib> library;
  EXPECT_EQ(LoadTypeLibEx(dll_path().c_str(), REGKIND_NONE, library.put()), S_OK);
  return library;
}

TEST(TarsenIdentity, TypeLibraryOrderAndIdentities) {
  CoInitialize(nullptr);
  ComPtr<ITypeLib> library = load_library();
  ASSERT_TRUE(library);
  TLIBATTR* lib_attr = nullptr;
  ASSERT_EQ(library->GetLibAttr(&lib_attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(lib_attr->guid, LIBID_Tarsen));
  EXPECT_EQ(lib_attr->wMajorVerNum, 10);
  EXPECT_EQ(lib_attr->wMinorVerNum, 0);
  EXPECT_EQ(lib_attr->lcid, 0u);
  library->ReleaseTLibAttr(lib_attr);
  BSTR lib_name = nullptr;
  library->GetDocumentation(-1, &lib_name, nullptr, nullptr, nullptr);
  EXPECT_EQ(std::wstring(frame::text_of(lib_name)), L"Tarsen");
  SysFreeString(lib_name);

  struct Expected { const wchar_t* name; TYPEKIND kind; GUID guid; };
  const Expected expected[] = {
      {L"_Tarsen", TKIND_DISPATCH, {0xFDBC36EC, 0x1196, 0x49A9, {0xA3, 0xEA, 0x8A, 0x08, 0xC0, 0xA9, 0xF4, 0x60}}},
      {L"Tarsen", TKIND_COCLASS, {0x05873BC5, 0xB859, 0x4FC8, {0xB6, 0xD5, 0x85, 0x2D, 0xAE, 0x5E, 0xB6, 0xCA}}},
      {L"SystemFolders", TKIND_ENUM, kEnumerations[0]},
      {L"MSOffise", TKIND_ENUM, kEnumerations[1]},
      {L"KeyLayout", TKIND_ENUM, kEnumerations[2]},
      {L"DiskInfo", TKIND_ENUM, kEnumerations[3]},
      {L"mMemory", TKIND_ENUM, kEnumerations[4]},
  };
  // All seven are there, found by their identities. (widl lays the
  // enumerations out before the interface that uses them.)
  ASSERT_EQ(library->GetTypeInfoCount(), std::size(expected));
  for (const auto& e : expected) {
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(library->GetTypeInfoOfGuid(e.guid, info.put()), S_OK) << e.name;
    TypeAttr attr(info);
    ASSERT_TRUE(attr.attr);
    EXPECT_EQ(name_of(info.get(), MEMBERID_NIL), e.name);
    EXPECT_EQ(attr.attr->typekind, e.kind) << e.name;
    if (e.kind == TKIND_DISPATCH) {
      const WORD dual = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE;
      EXPECT_EQ(attr.attr->wTypeFlags & dual, dual);
    }
    if (e.kind == TKIND_COCLASS) EXPECT_EQ(attr.attr->wTypeFlags, TYPEFLAG_FCANCREATE);
  }
  CoUninitialize();
}

TEST(TarsenIdentity, MembersSlotsAndDispids) {
  CoInitialize(nullptr);
  ComPtr<ITypeLib> library = load_library();
  ASSERT_TRUE(library);
  ComPtr<ITypeInfo> dispatch;
  ASSERT_EQ(library->GetTypeInfoOfGuid(IID__Tarsen, dispatch.put()), S_OK);
  HREFTYPE ref = 0;
  ComPtr<ITypeInfo> vtable;
  ASSERT_EQ(dispatch->GetRefTypeOfImplType(-1, &ref), S_OK);
  ASSERT_EQ(dispatch->GetRefTypeInfo(ref, vtable.put()), S_OK);
  const wchar_t* names[] = {
      L"WindowsType", L"WorkTime", L"WindowsWorkState", L"WindowsWorkRegion", L"WinLogOff", L"GetSystemDirs",
      L"GetComputerName", L"GetUserName", L"ApletList", L"ApletShell", L"GetRegystredFileTypes", L"ProcessList",
      L"KillProcess", L"MSOfficeComponents", L"ChangeDisplayResolution", L"ChangeWindowCaption",
      L"GetWindowFullCaption", L"GetWindowHandle", L"DisableWindow", L"SetKeyboardLanguage",
      L"GetKeyboardLanguage", L"StartAndWait", L"CursorVisible", L"GetVolumeSerialNumber", L"DisksInfo",
      L"SetDiskLabel", L"DriveType", L"MemoryWork"};
  TypeAttr attr(vtable);
  ASSERT_EQ(attr.attr->cFuncs, std::size(names));
  for (UINT i = 0; i < std::size(names); ++i) {
    FUNCDESC* desc = nullptr;
    ASSERT_EQ(vtable->GetFuncDesc(i, &desc), S_OK);
    EXPECT_EQ(desc->memid, static_cast<MEMBERID>(0x60030000 + i)) << names[i];
    EXPECT_EQ(desc->oVft, static_cast<SHORT>((7 + i) * sizeof(void*))) << names[i];
    EXPECT_EQ(name_of(vtable.get(), desc->memid), names[i]);
    vtable->ReleaseFuncDesc(desc);
  }
  CoUninitialize();
}

TEST(TarsenIdentity, EnumerationMembers) {
  CoInitialize(nullptr);
  ComPtr<ITypeLib> library = load_library();
  ASSERT_TRUE(library);
  struct Member { const wchar_t* name; LONG value; };
  const std::vector<std::vector<Member>> enums = {
      {{L"Desktop_All", 0}, {L"Desktop_Current", 1}, {L"Favorites_Current", 2}, {L"Programms_All", 3},
       {L"Programms_Current", 4}, {L"StartUp_All", 5}, {L"StartUp_Current", 6}, {L"MainMenu_All", 7},
       {L"MainMenu_Current", 8}, {L"Fonts", 9}, {L"Nethood_Current", 10}, {L"My_Documents", 11},
       {L"Printhood_Current", 12}, {L"Recent_Current", 13}, {L"SendTo_Current", 14}, {L"Templates", 15},
       {L"Temp", 16}, {L"Windows", 18}, {L"System32", 19}},
      {{L"Word", 1}, {L"Excel", 2}, {L"Access", 3}, {L"PowerPoint", 4}},
      {{L"Rus", 1}, {L"Eng", 0}},
      {{L"DSerial", 1}, {L"DLabel", 2}, {L"DType", 3}},
      {{L"AvailableMemory", 1}, {L"AvailablePageFile", 2}, {L"AvailablePhysicalMemory", 3}, {L"PageFileSize", 4},
       {L"PercentMemoryFree", 5}, {L"TotalMemory", 6}, {L"TotalPhysicalMemory", 7}},
  };
  for (UINT e = 0; e < enums.size(); ++e) {
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(library->GetTypeInfoOfGuid(kEnumerations[e], info.put()), S_OK);
    TypeAttr attr(info);
    ASSERT_EQ(attr.attr->cVars, enums[e].size()) << e;
    for (UINT m = 0; m < enums[e].size(); ++m) {
      VARDESC* var = nullptr;
      ASSERT_EQ(info->GetVarDesc(m, &var), S_OK);
      EXPECT_EQ(var->memid, static_cast<MEMBERID>(0x40000000 + m));
      EXPECT_EQ(name_of(info.get(), var->memid), enums[e][m].name);
      EXPECT_EQ(V_VT(var->lpvarValue), VT_I4);
      EXPECT_EQ(V_I4(var->lpvarValue), enums[e][m].value) << enums[e][m].name;
      info->ReleaseVarDesc(var);
    }
  }
  CoUninitialize();
}

TEST(TarsenIdentity, InterfaceResourceAndVersionBlock) {
  HMODULE module = dll_module();
  ASSERT_TRUE(module);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), L"_IID_TARSEN");
  ASSERT_TRUE(found);
  ASSERT_EQ(SizeofResource(module, found), 20u);
  auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  DWORD length = 0;
  memcpy(&length, bytes, 4);
  EXPECT_EQ(length, 16u);
  EXPECT_EQ(memcmp(bytes + 4, &IID__Tarsen, 16), 0);

  std::wstring path = dll_path();
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
  auto text = [&](const wchar_t* key) {
    void* value = nullptr;
    UINT chars = 0;
    std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + key;
    if (!VerQueryValueW(block.data(), query.c_str(), &value, &chars)) return std::wstring(L"<missing>");
    return std::wstring(static_cast<const wchar_t*>(value));
  };
  EXPECT_EQ(text(L"Comments"), L"\x041d\x0430\x0431\x043e\x0440 \x0444\x0443\x043d\x043a\x0446\x0438\x0439 "
                               L"\x0434\x043b\x044f \x0440\x0430\x0431\x043e\x0442\x044b \x0441 Windows.");
  EXPECT_EQ(text(L"FileVersion"), L"1.00.0009");
  EXPECT_EQ(text(L"ProductVersion"), L"1.00.0009");
  EXPECT_EQ(text(L"ProductName"), L"Tarsen");
  EXPECT_EQ(text(L"InternalName"), L"Tarsen");
  EXPECT_EQ(text(L"OriginalFilename"), L"Tarsen.dll");
  EXPECT_EQ(text(L"FileDescription"), L"ActiveX DLL");
  EXPECT_EQ(text(L"OLESelfRegister"), L"");
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixed_size = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixed_size));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000009u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00000009u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
}

}  // namespace
}  // namespace tarsen_test
