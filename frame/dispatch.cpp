#include "dispatch.h"

#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#include "owners.h"

namespace frame {

namespace {

struct ParamInfo {
  VARTYPE type = VT_EMPTY;  // the declared kind, without VT_BYREF (enumerations as VT_I4)
  bool by_ref = false;
  bool optional = false;
  bool has_default = false;
  VARIANT default_value{};
};

struct FuncInfo {
  MEMBERID id = 0;
  Bstr name;
  INVOKEKIND kind = INVOKE_FUNC;
  ULONG_PTR vtable_offset = 0;
  std::vector<ParamInfo> params;  // without the return value
  VARTYPE result_type = VT_EMPTY;
  size_t required = 0;
};

size_t value_size(VARTYPE type) {
  switch (type) {
    case VT_I1: case VT_UI1: return 1;
    case VT_I2: case VT_UI2: case VT_BOOL: return 2;
    case VT_I4: case VT_UI4: case VT_R4: case VT_ERROR: case VT_INT: case VT_UINT: return 4;
    case VT_R8: case VT_DATE: case VT_CY: case VT_I8: case VT_UI8: return 8;
    default: return sizeof(void*);
  }
}

// The kind a type description stands for, enumerations and aliases resolved.
VARTYPE resolve_type(ITypeInfo* info, const TYPEDESC& desc) {
  switch (desc.vt) {
    case VT_SAFEARRAY: return static_cast<VARTYPE>(VT_ARRAY | resolve_type(info, *desc.lptdesc));
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
    case VT_HRESULT: return VT_ERROR;
    default: return desc.vt;
  }
}

}  // namespace

class DispatchTable {
 public:
  explicit DispatchTable(REFIID iid) : iid_(iid) {}
  ~DispatchTable() {
    for (auto& func : funcs_)
      for (auto& param : func.params) VariantClear(&param.default_value);
  }

  bool load() {
    ComPtr<ITypeLib> library;
    if (FAILED(LoadTypeLibEx(module_path().c_str(), REGKIND_NONE, library.put()))) return false;
    if (FAILED(library->GetTypeInfoOfGuid(iid_, dispatch_info_.put()))) return false;
    // The vtable layout lives in the interface half of the dual interface.
    HREFTYPE interface_ref = 0;
    ComPtr<ITypeInfo> interface_info;
    if (FAILED(dispatch_info_->GetRefTypeOfImplType(-1, &interface_ref)) ||
        FAILED(dispatch_info_->GetRefTypeInfo(interface_ref, interface_info.put())))
      interface_info = dispatch_info_;
    TYPEATTR* attr = nullptr;
    if (FAILED(interface_info->GetTypeAttr(&attr))) return false;
    WORD count = attr->cFuncs;
    interface_info->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < count; ++i) {
      FUNCDESC* desc = nullptr;
      if (FAILED(interface_info->GetFuncDesc(i, &desc))) return false;
      FuncInfo& func = funcs_.emplace_back();
      func.id = desc->memid;
      func.kind = desc->invkind;
      func.vtable_offset = static_cast<ULONG_PTR>(desc->oVft);
      BSTR name = nullptr;
      UINT names = 0;
      if (SUCCEEDED(interface_info->GetNames(desc->memid, &name, 1, &names)) && names == 1) func.name = Bstr::adopt(name);
      for (SHORT p = 0; p < desc->cParams; ++p) {
        const ELEMDESC& element = desc->lprgelemdescParam[p];
        USHORT flags = element.paramdesc.wParamFlags;
        bool by_ref = element.tdesc.vt == VT_PTR;
        VARTYPE type = resolve_type(interface_info.get(), by_ref ? *element.tdesc.lptdesc : element.tdesc);
        if (flags & PARAMFLAG_FRETVAL) {
          func.result_type = type;
          continue;
        }
        ParamInfo& param = func.params.emplace_back();
        param.type = type;
        param.by_ref = by_ref;
        param.optional = (flags & (PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT)) != 0;
        if ((flags & PARAMFLAG_FHASDEFAULT) && element.paramdesc.pparamdescex) {
          param.has_default = true;
          VariantCopy(&param.default_value, &element.paramdesc.pparamdescex->varDefaultValue);
        }
        if (!param.optional) func.required = func.params.size();
      }
      interface_info->ReleaseFuncDesc(desc);
    }
    return true;
  }

  ITypeInfo* dispatch_info() const { return dispatch_info_.get(); }

  // The identity of a member named exactly as the type library spells it, or
  // false. Hosts ask for the name before every late-bound call, nearly always
  // spelled as declared; any other spelling goes to the type information.
  bool find_exact_name(const wchar_t* name, DISPID* id) const {
    const std::wstring_view wanted(name);
    if (wanted.empty()) return false;
    for (const auto& func : funcs_) {
      if (func.name.view() == wanted) {
        *id = func.id;
        return true;
      }
    }
    return false;
  }

  const FuncInfo* find(DISPID id, WORD flags) const {
    const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    for (const auto& func : funcs_) {
      if (func.id != id) continue;
      if (put ? (func.kind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF))
              : ((func.kind == INVOKE_FUNC && (flags & DISPATCH_METHOD)) ||
                 (func.kind == INVOKE_PROPERTYGET && (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)))))
        return &func;
    }
    return nullptr;
  }

 private:
  IID iid_;
  ComPtr<ITypeInfo> dispatch_info_;
  std::vector<FuncInfo> funcs_;
};

namespace {

struct CachedTable {
  IID iid;
  DispatchTable* table;
};
constexpr size_t kMaxInterfaces = 4;
std::array<CachedTable*, kMaxInterfaces> g_tables{};

// The per-call arrays of a late-bound call: in place for the few arguments a
// call has, so that a call allocates nothing of its own; on the heap beyond.
template <class T, size_t kInPlace = 8>
class CallArray {
 public:
  explicit CallArray(size_t count) : count_(count) {
    data_ = count <= kInPlace ? reinterpret_cast<T*>(in_place_) : static_cast<T*>(::operator new(count * sizeof(T)));
    for (size_t i = 0; i < count; ++i) new (data_ + i) T();
  }
  CallArray(const CallArray&) = delete;
  CallArray& operator=(const CallArray&) = delete;
  ~CallArray() {
    for (size_t i = count_; i-- > 0;) data_[i].~T();
    if (data_ != reinterpret_cast<T*>(in_place_)) ::operator delete(data_);
  }
  T& operator[](size_t i) { return data_[i]; }
  T* data() { return data_; }
  T* begin() { return data_; }
  T* end() { return data_ + count_; }

 private:
  alignas(T) unsigned char in_place_[kInPlace * sizeof(T)];
  T* data_;
  size_t count_;
};

// One argument on its way to the vtable call: where the method reads it, and
// whether the caller's variable must receive what the method leaves in it.
class ArgumentSlot {
 public:
  ArgumentSlot() { VariantInit(&local_); VariantInit(&carrier_); }
  ArgumentSlot(const ArgumentSlot&) = delete;
  ArgumentSlot& operator=(const ArgumentSlot&) = delete;
  ~ArgumentSlot() { VariantClear(&local_); }

  VARTYPE carrier_type = VT_EMPTY;
  VARIANT* carrier() { return &carrier_; }

  // S_OK, or the status of a failed coercion to the declared kind
  // (DISP_E_OVERFLOW for a value out of range, else DISP_E_TYPEMISMATCH).
  HRESULT prepare(const ParamInfo& param, VARIANT* given) {
    coerce_status_ = DISP_E_TYPEMISMATCH;
    return prepare_argument(param, given) ? S_OK : coerce_status_;
  }

  // After the call, whether it succeeded or not: a by-reference variable of
  // the caller receives the value the method left, if the method changed it.
  void write_back() {
    if (caller_ && (V_VT(&local_) & VT_ARRAY) && V_VT(&local_) != (VT_ARRAY | VT_VARIANT)) return write_back_array();
    if (!caller_ || !changed()) return;
    if (V_VT(caller_) == (VT_BYREF | VT_VARIANT)) {
      VARIANT* target = V_VARIANTREF(caller_);
      VariantClear(target);
      *target = local_;
      VariantInit(&local_);
      return;
    }
    VARTYPE target_type = static_cast<VARTYPE>(V_VT(caller_) & ~VT_BYREF);
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, &local_, 0, target_type))) return;
    VARIANT old;
    VariantInit(&old);
    V_VT(&old) = target_type;
    std::memcpy(&V_I8(&old), V_BYREF(caller_), value_size(target_type));
    VariantClear(&old);
    std::memcpy(V_BYREF(caller_), &V_I8(&converted), value_size(target_type));
  }

 private:
  bool prepare_argument(const ParamInfo& param, VARIANT* given) {
    VARTYPE want = param.type;
    if (!given) {  // an omitted optional argument
      if (param.has_default) VariantCopy(&local_, const_cast<VARIANT*>(&param.default_value));
      else { V_VT(&local_) = VT_ERROR; V_ERROR(&local_) = DISP_E_PARAMNOTFOUND; }
      if (want != VT_VARIANT && FAILED(VariantChangeType(&local_, &local_, 0, want))) return false;
      return pass_local(param);
    }
    if (want == VT_VARIANT) {
      if (param.by_ref && V_VT(given) == (VT_BYREF | VT_VARIANT)) return pass_pointer(want, V_VARIANTREF(given));
      if (FAILED(VariantCopyInd(&local_, given))) return false;
      remember_caller(given, param);
      return pass_local(param);
    }
    VARIANT* inner = V_VT(given) == (VT_BYREF | VT_VARIANT) ? V_VARIANTREF(given) : given;
    if (param.by_ref) {
      if (V_VT(given) == (VT_BYREF | want)) return pass_pointer(want, V_BYREF(given));
      if (inner != given && V_VT(inner) == want) return pass_pointer(want, &V_I8(inner));
    }
    if (!coerce(inner, want)) return false;
    remember_caller(given, param);
    return pass_local(param);
  }


  bool coerce(VARIANT* source, VARTYPE want) {
    if (want & VT_ARRAY) return coerce_array(source, want);
    HRESULT status = VariantChangeType(&local_, source, 0, want);
    if (status == DISP_E_OVERFLOW) coerce_status_ = status;
    return SUCCEEDED(status);
  }

  // A script's array is an array of Variants: it reaches the method as an
  // array of the declared element kind with the same bounds and the same
  // fixed-size and lock state, and a script's Empty variable as no array yet.
  bool coerce_array(VARIANT* source, VARTYPE want) {
    VARIANT* value = source;
    while (V_VT(value) == (VT_BYREF | VT_VARIANT)) value = V_VARIANTREF(value);
    const VARTYPE kind = static_cast<VARTYPE>(V_VT(value) & ~VT_BYREF);
    SAFEARRAY* array = (V_VT(value) & VT_BYREF) ? *V_ARRAYREF(value) : V_ARRAY(value);
    V_VT(&local_) = want;
    V_ARRAY(&local_) = nullptr;
    if (kind == VT_EMPTY) return true;
    if (kind == want) return array == nullptr || SUCCEEDED(SafeArrayCopy(array, &V_ARRAY(&local_)));
    if (kind != (VT_ARRAY | VT_VARIANT)) return false;
    // A script's dynamic array not yet dimensioned (Dim a()): no array yet.
    script_array_ = true;
    if (!array) return true;
    if (SafeArrayGetDim(array) != 1) return false;
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    SAFEARRAYBOUND bound{static_cast<ULONG>(upper - lower + 1), lower};
    SAFEARRAY* converted = SafeArrayCreate(static_cast<VARTYPE>(want & VT_TYPEMASK), 1, &bound);
    if (!converted) return false;
    V_ARRAY(&local_) = converted;
    for (LONG i = lower; i <= upper; ++i) {
      VARIANT element, target;
      VariantInit(&element);
      VariantInit(&target);
      if (FAILED(SafeArrayGetElement(array, &i, &element))) return false;
      HRESULT status = VariantChangeType(&target, &element, 0, static_cast<VARTYPE>(want & VT_TYPEMASK));
      VariantClear(&element);
      if (FAILED(status)) return false;
      SafeArrayPutElement(converted, &i, &V_I8(&target));
      VariantClear(&target);
    }
    converted->fFeatures |= array->fFeatures & FADF_FIXEDSIZE;
    if (array->cLocks > 0) locked_array_ = SUCCEEDED(SafeArrayLock(converted));
    script_array_ = true;
    return true;
  }

  // What the method left in an array parameter, as the script's variable
  // holds it: an array of Variants.
  void write_back_array() {
    if (locked_array_ && V_ARRAY(&local_)) SafeArrayUnlock(V_ARRAY(&local_));
    locked_array_ = false;
    SAFEARRAY* array = V_ARRAY(&local_);
    if (!array || V_VT(caller_) != (VT_BYREF | VT_VARIANT)) return;
    VARIANT* target = V_VARIANTREF(caller_);
    if (!script_array_ && V_VT(target) != VT_EMPTY) return;
    // An array the method did not replace stays the script's own.
    if (script_array_ && !changed()) return;
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    SAFEARRAYBOUND bound{static_cast<ULONG>(upper - lower + 1), lower};
    SAFEARRAY* variants = SafeArrayCreate(VT_VARIANT, 1, &bound);
    if (!variants) return;
    for (LONG i = lower; i <= upper; ++i) {
      VARIANT element;
      VariantInit(&element);
      V_VT(&element) = static_cast<VARTYPE>(V_VT(&local_) & VT_TYPEMASK);
      SafeArrayGetElement(array, &i, &V_I8(&element));
      SafeArrayPutElement(variants, &i, &element);
      VariantClear(&element);
    }
    if (V_VT(target) == (VT_ARRAY | VT_BYREF | VT_VARIANT)) {
      // An array variable of the script refers to its array through a slot.
      SafeArrayDestroy(*V_ARRAYREF(target));
      *V_ARRAYREF(target) = variants;
      return;
    }
    VariantClear(target);
    V_VT(target) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(target) = variants;
  }

  void remember_caller(VARIANT* given, const ParamInfo& param) {
    if (!param.by_ref || !(V_VT(given) & VT_BYREF)) return;
    caller_ = given;
    std::memcpy(&fingerprint_, &local_, sizeof fingerprint_);
  }

  bool changed() const { return std::memcmp(&fingerprint_, &local_, sizeof fingerprint_) != 0; }

  bool pass_local(const ParamInfo& param) {
    if (param.type == VT_VARIANT) {
      // A Variant travels by address, whether declared by value or by reference.
      return pass_pointer(VT_VARIANT, &local_, !param.by_ref);
    }
    if (param.by_ref) return pass_pointer(param.type, &V_I8(&local_));
    carrier_ = local_;  // by value: the method reads it, the slot keeps ownership
    carrier_type = param.type;
    return true;
  }

  bool pass_pointer(VARTYPE type, void* pointer, bool variant_by_value = false) {
    if (variant_by_value) {
      carrier_type = VT_VARIANT;
      carrier_ = local_;
      return true;
    }
    carrier_type = static_cast<VARTYPE>(VT_BYREF | type);
    V_VT(&carrier_) = carrier_type;
    V_BYREF(&carrier_) = pointer;
    return true;
  }

  VARIANT local_;
  VARIANT carrier_;
  VARIANT* caller_ = nullptr;
  VARIANT fingerprint_{};
  bool script_array_ = false;
  bool locked_array_ = false;
  HRESULT coerce_status_ = DISP_E_TYPEMISMATCH;
};

// A by-reference argument must name a place: a null reference, or a chain
// of Variant references that ends in one, is malformed.
bool references_resolve(const VARIANT* argument) {
  for (int depth = 0; depth < 16; ++depth) {
    if (!(V_VT(argument) & VT_BYREF)) return true;
    if (!V_BYREF(argument)) return false;
    if (V_VT(argument) != (VT_BYREF | VT_VARIANT)) return true;
    argument = V_VARIANTREF(argument);
  }
  return false;
}

void fill_exception(EXCEPINFO* exception, const ClassEntry& entry, HRESULT status) {
  if (!exception) return;
  std::memset(exception, 0, sizeof *exception);
  exception->scode = status;
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.put()) == S_OK && info) {
    info->GetSource(&exception->bstrSource);
    info->GetDescription(&exception->bstrDescription);
    info->GetHelpFile(&exception->bstrHelpFile);
    info->GetHelpContext(&exception->dwHelpContext);
  } else {
    exception->bstrSource = SysAllocString(entry.prog_id);
  }
}

}  // namespace

DispatchTable* dispatch_table(REFIID iid) {
  for (auto*& slot : g_tables) {
    CachedTable* cached = slot;
    if (cached && IsEqualIID(cached->iid, iid)) return cached->table;
    if (cached) continue;
    auto table = std::make_unique<DispatchTable>(iid);
    if (!table->load()) return nullptr;
    auto entry = std::make_unique<CachedTable>(CachedTable{iid, table.get()});
    // Published without a lock: a thread that loses the race uses the winner's.
    if (InterlockedCompareExchangePointer(reinterpret_cast<void**>(&slot), entry.get(), nullptr) == nullptr) {
      table.release();
      return entry.release()->table;
    }
    if (IsEqualIID(slot->iid, iid)) return slot->table;
  }
  return nullptr;
}

void release_dispatch_tables() {
  for (auto*& slot : g_tables) {
    auto* cached = static_cast<CachedTable*>(InterlockedExchangePointer(reinterpret_cast<void**>(&slot), nullptr));
    if (!cached) continue;
    delete cached->table;
    delete cached;
  }
}

HRESULT dispatch_type_info(REFIID iid, UINT index, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  DispatchTable* table = dispatch_table(iid);
  if (!table) return TYPE_E_CANTLOADLIBRARY;
  *info = table->dispatch_info();
  (*info)->AddRef();
  return S_OK;
}

HRESULT dispatch_ids_of_names(REFIID iid, LPOLESTR* names, UINT count, DISPID* ids) {
  if (!ids) return E_POINTER;
  if (!names || count == 0) return E_INVALIDARG;
  for (UINT i = 0; i < count; ++i)
    if (!names[i]) return E_INVALIDARG;
  DispatchTable* table = dispatch_table(iid);
  if (!table) return TYPE_E_CANTLOADLIBRARY;
  if (count == 1 && table->find_exact_name(names[0], ids)) return S_OK;
  return table->dispatch_info()->GetIDsOfNames(names, count, ids);
}

HRESULT dispatch_invoke(IDispatch* self, const ClassEntry& entry, DISPID id, REFIID riid, WORD flags,
                        DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, UINT* arg_error) try {
  if (absent(&riid)) return E_INVALIDARG;
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  DispatchTable* table = dispatch_table(*entry.iid);
  if (!table) return TYPE_E_CANTLOADLIBRARY;
  const FuncInfo* func = table->find(id, flags);
  if (!func) return DISP_E_MEMBERNOTFOUND;

  // The arguments must be there as the counts say; the counts must fit.
  if (!params || (params->cArgs > 0 && !params->rgvarg) || (params->cNamedArgs > 0 && !params->rgdispidNamedArgs))
    return E_INVALIDARG;
  const size_t count = func->params.size();
  const UINT given_count = params->cArgs, named_count = params->cNamedArgs;
  if (given_count > count || named_count > given_count) return DISP_E_BADPARAMCOUNT;
  for (UINT i = 0; i < given_count; ++i) {
    if (!references_resolve(&params->rgvarg[i])) {
      if (arg_error) *arg_error = i;
      return E_INVALIDARG;
    }
  }

  // Which of the caller's arguments feeds which parameter.
  CallArray<VARIANT*> given(count);
  CallArray<UINT> given_index(count);
  for (UINT i = 0; i < named_count; ++i) {
    DISPID name = params->rgdispidNamedArgs[i];
    if (name == DISPID_PROPERTYPUT && (func->kind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF))) name = static_cast<DISPID>(count - 1);
    if (name < 0 || static_cast<size_t>(name) >= count || given[name]) {
      if (arg_error) *arg_error = i;
      return DISP_E_PARAMNOTFOUND;
    }
    given[name] = &params->rgvarg[i];
    given_index[name] = i;
  }
  const UINT positional = given_count - named_count;
  if (named_count == 0 && positional < func->required) return DISP_E_BADPARAMCOUNT;
  for (UINT p = 0; p < positional; ++p) {
    if (given[p]) {
      if (arg_error) *arg_error = given_index[p];
      return DISP_E_PARAMNOTFOUND;
    }
    given_index[p] = given_count - 1 - p;
    given[p] = &params->rgvarg[given_index[p]];
  }

  CallArray<ArgumentSlot> slots(count);
  CallArray<VARTYPE> types(count + 1);
  CallArray<VARIANTARG*> carriers(count + 1);
  for (size_t p = 0; p < count; ++p) {
    VARIANT* argument = given[p];
    if (argument && V_VT(argument) == VT_ERROR && V_ERROR(argument) == DISP_E_PARAMNOTFOUND) argument = nullptr;
    if (!argument && !func->params[p].optional) {
      if (arg_error) *arg_error = given_index[p];
      return DISP_E_PARAMNOTOPTIONAL;
    }
    if (HRESULT status = slots[p].prepare(func->params[p], argument); FAILED(status)) {
      if (arg_error) *arg_error = given_index[p];
      return status;
    }
    types[p] = slots[p].carrier_type;
    carriers[p] = slots[p].carrier();
  }

  VARIANT returned;
  VariantInit(&returned);
  VARIANT returned_carrier;
  VariantInit(&returned_carrier);
  size_t total = count;
  if (func->result_type != VT_EMPTY) {
    V_VT(&returned_carrier) = static_cast<VARTYPE>(VT_BYREF | func->result_type);
    if (func->result_type == VT_VARIANT) {
      V_VARIANTREF(&returned_carrier) = &returned;
    } else {
      V_VT(&returned) = func->result_type;
      V_BYREF(&returned_carrier) = &V_I8(&returned);
    }
    types[total] = V_VT(&returned_carrier);
    carriers[total] = &returned_carrier;
    ++total;
  }

  VARIANT status;
  VariantInit(&status);
  HRESULT call = DispCallFunc(self, func->vtable_offset, CC_STDCALL, VT_ERROR, static_cast<UINT>(total), types.data(),
                              carriers.data(), &status);
  HRESULT outcome = SUCCEEDED(call) ? V_ERROR(&status) : call;
  for (auto& slot : slots) slot.write_back();
  if (FAILED(outcome)) {
    VariantClear(&returned);
    fill_exception(exception, entry, outcome);
    return DISP_E_EXCEPTION;
  }
  if (result) *result = returned;
  else VariantClear(&returned);
  return S_OK;
} catch (const std::bad_alloc&) {
  return E_OUTOFMEMORY;
}

}  // namespace frame
