// Owners for the platform's resources: whoever holds one of these never frees
// anything by hand, on the success path or on an error path.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <new>
#include <string>
#include <string_view>
#include <utility>

namespace frame {

// A slim reader/writer lock held exclusively for a scope. The lock is a
// zero-filled word (SRWLOCK_INIT): unlike the C++ library's mutex it needs
// nothing from the threading library, which would keep records of its own
// after the library is unloaded.
class ExclusiveLock {
 public:
  explicit ExclusiveLock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
  ~ExclusiveLock() { ReleaseSRWLockExclusive(&lock_); }
  ExclusiveLock(const ExclusiveLock&) = delete;
  ExclusiveLock& operator=(const ExclusiveLock&) = delete;

 private:
  SRWLOCK& lock_;
};

// A platform string (length-counted UTF-16, null = empty).
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::wstring_view text) : value_(allocate(text)) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
  Bstr& operator=(Bstr&& other) noexcept {
    std::swap(value_, other.value_);
    return *this;
  }
  ~Bstr() { SysFreeString(value_); }

  BSTR get() const { return value_; }
  BSTR release() { return std::exchange(value_, nullptr); }
  // Takes over a string that the platform handed out.
  static Bstr adopt(BSTR value) {
    Bstr result;
    result.value_ = value;
    return result;
  }
  std::wstring_view view() const { return value_ ? std::wstring_view(value_, SysStringLen(value_)) : std::wstring_view(); }

  // Memory for a string of `length` code units, contents to be written by the caller.
  static Bstr of_length(size_t length) {
    Bstr result;
    if (length > 0x7FFFFFF0u / sizeof(wchar_t)) throw std::bad_alloc();
    result.value_ = SysAllocStringLen(nullptr, static_cast<UINT>(length));
    if (!result.value_) throw std::bad_alloc();
    return result;
  }

 private:
  static BSTR allocate(std::wstring_view text) {
    if (text.size() > 0x7FFFFFF0u / sizeof(wchar_t)) throw std::bad_alloc();
    BSTR value = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!value) throw std::bad_alloc();
    return value;
  }
  BSTR value_ = nullptr;
};

// The text of a string, a null string (or a null pointer to one) being empty.
inline std::wstring_view text_of(BSTR value) {
  return value ? std::wstring_view(value, SysStringLen(value)) : std::wstring_view();
}
inline std::wstring_view text_of(const BSTR* variable) { return variable ? text_of(*variable) : std::wstring_view(); }

inline std::u16string_view u16(std::wstring_view text) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t));
  return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}
inline std::wstring_view wide(std::u16string_view text) {
  return {reinterpret_cast<const wchar_t*>(text.data()), text.size()};
}

// Replaces the text of a caller's string variable.
inline void assign(BSTR* variable, std::wstring_view text) {
  if (!variable) return;
  Bstr fresh(text);
  SysFreeString(*variable);
  *variable = fresh.release();
}

class Variant {
 public:
  Variant() { VariantInit(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  Variant(Variant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
  ~Variant() { VariantClear(&value_); }

  VARIANT* get() { return &value_; }
  const VARIANT* get() const { return &value_; }
  VARIANT* operator->() { return &value_; }
  VARTYPE type() const { return V_VT(&value_); }
  void clear() { VariantClear(&value_); }
  VARIANT release() {
    VARIANT out = value_;
    VariantInit(&value_);
    return out;
  }

  static Variant of_date(double value) { Variant v; V_VT(v.get()) = VT_DATE; V_DATE(v.get()) = value; return v; }
  static Variant of_long(long value) { Variant v; V_VT(v.get()) = VT_I4; V_I4(v.get()) = value; return v; }
  static Variant of_bool(bool value) { Variant v; V_VT(v.get()) = VT_BOOL; V_BOOL(v.get()) = value ? VARIANT_TRUE : VARIANT_FALSE; return v; }

 private:
  VARIANT value_;
};

// A reference-counted interface pointer.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(T* pointer) : pointer_(pointer) { if (pointer_) pointer_->AddRef(); }
  ComPtr(const ComPtr& other) : ComPtr(other.pointer_) {}
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(pointer_, other.pointer_);
    return *this;
  }
  ~ComPtr() { if (pointer_) pointer_->Release(); }

  T* get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  T** put() {
    reset();
    return &pointer_;
  }
  void reset() { if (auto* old = std::exchange(pointer_, nullptr)) old->Release(); }
  T* detach() { return std::exchange(pointer_, nullptr); }
  static ComPtr adopt(T* pointer) {
    ComPtr result;
    result.pointer_ = pointer;
    return result;
  }

 private:
  T* pointer_ = nullptr;
};

// A kernel handle closed with CloseHandle (null and INVALID_HANDLE_VALUE are empty).
template <class Traits>
class UniqueResource {
 public:
  using Value = typename Traits::Value;
  UniqueResource() = default;
  explicit UniqueResource(Value value) : value_(value) {}
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : value_(std::exchange(other.value_, Traits::empty())) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    std::swap(value_, other.value_);
    return *this;
  }
  ~UniqueResource() { reset(); }

  Value get() const { return value_; }
  explicit operator bool() const { return Traits::valid(value_); }
  void reset(Value value = Traits::empty()) {
    if (Traits::valid(value_)) Traits::close(value_);
    value_ = value;
  }
  Value* put() {
    reset();
    return &value_;
  }

 private:
  Value value_ = Traits::empty();
};

struct HandleTraits {
  using Value = HANDLE;
  static Value empty() { return nullptr; }
  static bool valid(Value v) { return v != nullptr && v != INVALID_HANDLE_VALUE; }
  static void close(Value v) { CloseHandle(v); }
};
using Handle = UniqueResource<HandleTraits>;

struct FindHandleTraits {
  using Value = HANDLE;
  static Value empty() { return INVALID_HANDLE_VALUE; }
  static bool valid(Value v) { return v != nullptr && v != INVALID_HANDLE_VALUE; }
  static void close(Value v) { FindClose(v); }
};
using FindHandle = UniqueResource<FindHandleTraits>;

struct RegKeyTraits {
  using Value = HKEY;
  static Value empty() { return nullptr; }
  static bool valid(Value v) { return v != nullptr; }
  static void close(Value v) { RegCloseKey(v); }
};
using RegKey = UniqueResource<RegKeyTraits>;

struct GdiObjectTraits {
  using Value = HGDIOBJ;
  static Value empty() { return nullptr; }
  static bool valid(Value v) { return v != nullptr; }
  static void close(Value v) { DeleteObject(v); }
};
using GdiObject = UniqueResource<GdiObjectTraits>;

}  // namespace frame
