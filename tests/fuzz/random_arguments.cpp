#include "random_arguments.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "failing_host.h"

namespace suite_test {

namespace {

template <class T, size_t N>
T pick(std::mt19937_64& random, const T (&values)[N]) {
  return values[std::uniform_int_distribution<size_t>(0, N - 1)(random)];
}

bool chance(std::mt19937_64& random, int percent) { return std::uniform_int_distribution<int>(0, 99)(random) < percent; }

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

const SHORT kShorts[] = {0, 1, -1, 2, 3, 4, 5, 13, 100, 255, 32767, -32768, -32767};
const LONG kLongs[] = {0, 1, -1, 2, 3, 4, 5, 6, 7, 13, 14, 24, 31, 255, 256, 0x7FFF, 0x8000, 65535, 65536,
                       0x7FFFFFFF, static_cast<LONG>(0x80000000), -2147483647, static_cast<LONG>(0x80000018),
                       0x00FF00FF, 0x00FFFFFF, 1024, 768, -20};
const double kDoubles[] = {0.0, 0.5, -0.5, 1.5, 2.5, -2.5, 90, 360, 725, -90, 1e10, -1e10, 3.4e38, 1e308, -1e308,
                           kNaN, kInf, -kInf, 4.9e-324, 32767.5, 32768, -32768.5, 2147483647.5, -2147483648.5};
const double kDates[] = {0, 1, -1, 0.5, -0.5, 45268, 45268.75, 2958465.999, 2958466, -657434, -657435, 1e10, -1e10,
                         kNaN, 36526, 60, 59.5, 367, -36522};
const LONG kSmallLongs[] = {0, 1, -1, 2, 3, 4, 5, 7, 100, 255, 256, 1000, -1000};
const double kSmallDoubles[] = {0, 0.5, -0.5, 1.5, 2.5, 3, 100.25, -7};

const VARIANT_BOOL kBooleans[] = {VARIANT_TRUE, VARIANT_FALSE, 1, 0x7FFF};
const BYTE kBytes[] = {0, 1, 127, 128, 255};
const LONG kLowerBounds[] = {0, 0, 1, -5};
const wchar_t* const kSmallTexts[] = {L"", L"a", L"12", L"-3", L"0.5"};
const VARTYPE kElementKinds[] = {VT_I4, VT_BSTR, VT_R8, VT_EMPTY};

const wchar_t kAlphabet[] = L"abcABC xyz019-+.,;:*?\\/\"'%$\x0410\x0431\x0451\x0401\x044f\x00e9\x20ac\t\r\n";

}  // namespace

std::wstring random_text(std::mt19937_64& random, size_t max_length) {
  const size_t length = std::uniform_int_distribution<size_t>(0, max_length)(random);
  std::wstring text;
  for (size_t i = 0; i < length; ++i) {
    const int what = std::uniform_int_distribution<int>(0, 99)(random);
    if (what < 3) text += L'\0';
    else if (what < 5) text += static_cast<wchar_t>(0xD800 + (random() % 0x800));  // lone surrogates
    else if (what < 7) text += static_cast<wchar_t>(random() % 0x10000);
    else text += kAlphabet[random() % (std::size(kAlphabet) - 1)];
  }
  return text;
}

CallArguments::CallArguments(std::mt19937_64& random, const MemberInfo& member, size_t count, const ArgumentRules& rules)
    : random_(random), rules_(rules), slots_(count) {
  for (size_t i = 0; i < count; ++i) {
    Slot& slot = slots_[i];
    VariantInit(&slot.value);
    VariantInit(&slot.referent);
    std::memset(&slot.storage, 0, sizeof slot.storage);
    fill(slot, i < member.params.size() ? &member.params[i] : nullptr);
  }
  for (size_t i = count; i-- > 0;) reversed_.push_back(slots_[i].value);
}

CallArguments::~CallArguments() {
  for (Slot& slot : slots_) {
    if (!(V_VT(&slot.value) & VT_BYREF)) {
      VariantClear(&slot.value);
      continue;
    }
    // What is behind the reference now, whether ours or the method's.
    if (V_VT(&slot.value) == (VT_BYREF | VT_VARIANT)) VariantClear(&slot.referent);
    else if (slot.stored == VT_BSTR) SysFreeString(slot.storage.text);
    else if (slot.stored == VT_DISPATCH && slot.storage.object) slot.storage.object->Release();
    else if (slot.stored == VT_UNKNOWN && slot.storage.unknown) slot.storage.unknown->Release();
    else if ((slot.stored & VT_ARRAY) && slot.storage.array) SafeArrayDestroy(slot.storage.array);
  }
}

VARTYPE CallArguments::random_kind() {
  static const VARTYPE kinds[] = {VT_EMPTY, VT_NULL, VT_I2, VT_I4, VT_R4, VT_R8, VT_CY, VT_DATE, VT_BSTR, VT_BSTR,
                                  VT_DISPATCH, VT_ERROR, VT_BOOL, VT_UI1, VT_I8, VT_UI4, VT_UNKNOWN,
                                  VT_ARRAY | VT_VARIANT, VT_ARRAY | VT_I4, VT_ARRAY | VT_BSTR};
  return pick(random_, kinds);
}

VARIANT CallArguments::make_value(VARTYPE kind) {
  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = kind;
  const bool small = rules_.bounded;
  switch (kind) {
    case VT_EMPTY: case VT_NULL: break;
    case VT_I2: V_I2(&value) = small ? static_cast<SHORT>(pick(random_, kSmallLongs)) : pick(random_, kShorts); break;
    case VT_I4: V_I4(&value) = small ? pick(random_, kSmallLongs) : chance(random_, 10) ? static_cast<LONG>(random_()) : pick(random_, kLongs); break;
    case VT_UI4: V_UI4(&value) = small ? 3u : chance(random_, 50) ? 0xFFFFFFFFu : static_cast<ULONG>(random_()); break;
    case VT_I8: V_I8(&value) = small ? 5 : chance(random_, 50) ? std::numeric_limits<LONGLONG>::min() : static_cast<LONGLONG>(random_()); break;
    case VT_R4: V_R4(&value) = static_cast<FLOAT>(small ? pick(random_, kSmallDoubles) : pick(random_, kDoubles)); break;
    case VT_R8: V_R8(&value) = small ? pick(random_, kSmallDoubles) : pick(random_, kDoubles); break;
    case VT_DATE: V_DATE(&value) = small ? pick(random_, kSmallDoubles) : pick(random_, kDates); break;
    case VT_CY: V_CY(&value).int64 = small ? 15000 : chance(random_, 50) ? std::numeric_limits<LONGLONG>::max() : static_cast<LONGLONG>(random_()); break;
    case VT_BOOL: V_BOOL(&value) = pick(random_, kBooleans); break;
    case VT_UI1: V_UI1(&value) = pick(random_, kBytes); break;
    case VT_ERROR: V_ERROR(&value) = chance(random_, 70) ? DISP_E_PARAMNOTFOUND : static_cast<SCODE>(0x800A0005); break;
    case VT_BSTR: {
      const int what = std::uniform_int_distribution<int>(0, 99)(random_);
      if (what < 8) {
        V_BSTR(&value) = nullptr;  // the null string
      } else if (small) {
        V_BSTR(&value) = SysAllocString(pick(random_, kSmallTexts));
      } else if (what < 55 && !rules_.texts.empty()) {
        const std::wstring& text = rules_.texts[random_() % rules_.texts.size()];
        V_BSTR(&value) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
      } else {
        const std::wstring text = random_text(random_, 24);
        V_BSTR(&value) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
      }
      break;
    }
    case VT_DISPATCH:
    case VT_UNKNOWN:
      if (rules_.host && (rules_.host_for_objects || chance(random_, 80))) {
        rules_.host->AddRef();
        V_DISPATCH(&value) = rules_.host;
        passes_host_ = true;
      } else {
        V_DISPATCH(&value) = nullptr;
      }
      break;
    default: {
      // A one-dimensional array of 0 to 4 elements with an odd lower bound
      // now and then, sometimes fixed in size.
      const VARTYPE element = static_cast<VARTYPE>(kind & VT_TYPEMASK);
      SAFEARRAYBOUND bound{static_cast<ULONG>(random_() % 5), pick(random_, kLowerBounds)};
      SAFEARRAY* array = SafeArrayCreate(element, 1, &bound);
      for (LONG i = 0; array && i < static_cast<LONG>(bound.cElements); ++i) {
        LONG index = bound.lLbound + i;
        VARIANT item = make_value(element == VT_VARIANT ? pick(random_, kElementKinds) : element);
        if (element == VT_VARIANT) SafeArrayPutElement(array, &index, &item);
        else if (element == VT_BSTR) SafeArrayPutElement(array, &index, V_BSTR(&item));
        else SafeArrayPutElement(array, &index, &V_I4(&item));
        VariantClear(&item);
      }
      if (array && chance(random_, 20)) array->fFeatures |= FADF_FIXEDSIZE;
      V_ARRAY(&value) = array;
      if (!array) V_VT(&value) = VT_EMPTY;
      break;
    }
  }
  return value;
}

// A typed reference to storage of the slot's own (what a compiled client
// passes for a variable of that kind).
void CallArguments::make_by_ref(Slot& slot, VARTYPE kind) {
  if (kind == VT_EMPTY || kind == VT_NULL) kind = VT_I4;
  VARIANT value = make_value(kind);
  kind = V_VT(&value);
  if (kind == VT_EMPTY) kind = VT_I4;
  slot.stored = kind;
  if (kind == VT_BSTR) slot.storage.text = V_BSTR(&value);
  else if (kind == VT_DISPATCH) slot.storage.object = V_DISPATCH(&value);
  else if (kind == VT_UNKNOWN) slot.storage.unknown = V_UNKNOWN(&value);
  else if (kind & VT_ARRAY) slot.storage.array = V_ARRAY(&value);
  else std::memcpy(&slot.storage, &V_I8(&value), sizeof(LONGLONG));
  V_VT(&slot.value) = static_cast<VARTYPE>(VT_BYREF | kind);
  V_BYREF(&slot.value) = &slot.storage;
}

void CallArguments::fill(Slot& slot, const ParamKind* param) {
  const VARTYPE declared = param && param->type != VT_VARIANT ? param->type : random_kind();
  const VARTYPE kind = (rules_.host_for_objects && param && param->type == VT_DISPATCH) ? static_cast<VARTYPE>(VT_DISPATCH) : declared;
  const int how = std::uniform_int_distribution<int>(0, 99)(random_);
  if (how < 50) {  // a script's variable holding the declared kind
    slot.referent = make_value(kind);
    V_VT(&slot.value) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&slot.value) = &slot.referent;
  } else if (how < 70) {  // a literal of the declared kind
    slot.value = make_value(kind);
  } else if (how < 80) {  // a compiled client's typed variable
    make_by_ref(slot, kind);
  } else if (how < 88) {  // a script variable holding anything
    slot.referent = make_value(random_kind());
    V_VT(&slot.value) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&slot.value) = &slot.referent;
  } else if (how < 95) {  // a literal of any kind
    slot.value = make_value(random_kind());
  } else {  // a typed variable of the wrong kind
    make_by_ref(slot, random_kind());
  }
}

namespace {

// A short readable form of a value: kind, and for texts their length and start.
std::string value_text(const VARIANT& value) {
  VARTYPE vt = V_VT(&value);
  const bool by_ref = vt & VT_BYREF;
  vt = static_cast<VARTYPE>(vt & ~VT_BYREF);
  std::string text = (by_ref ? "ref vt " : "vt ") + std::to_string(vt);
  if (vt == VT_BSTR) {
    BSTR bstr = by_ref ? *V_BSTRREF(&value) : V_BSTR(&value);
    if (!bstr) return text + " null";
    text += " len " + std::to_string(SysStringLen(bstr)) + " \"";
    for (UINT i = 0; i < SysStringLen(bstr) && i < 24; ++i) text += bstr[i] >= 0x20 && bstr[i] < 0x7F ? static_cast<char>(bstr[i]) : '.';
    return text + "\"";
  }
  if (vt == VT_I4 || vt == VT_I2) return text + " " + std::to_string(by_ref ? (vt == VT_I4 ? *V_I4REF(&value) : *V_I2REF(&value)) : (vt == VT_I4 ? V_I4(&value) : V_I2(&value)));
  if (vt == VT_R8 || vt == VT_DATE) return text + " " + std::to_string(by_ref ? *V_R8REF(&value) : V_R8(&value));
  return text;
}

}  // namespace

std::string CallArguments::describe() const {
  std::string text;
  for (const Slot& slot : slots_) {
    std::string part = V_VT(&slot.value) == (VT_BYREF | VT_VARIANT) ? "ref var(" + value_text(slot.referent) + ")" : value_text(slot.value);
    text += (text.empty() ? "" : ", ") + part;
  }
  return "(" + text + ")";
}

}  // namespace suite_test
