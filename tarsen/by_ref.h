// Reading a caller's by-reference parameter: a null pointer (a vtable caller
// that passed none) reads as the empty value of its kind.
#pragma once

namespace tarsen {

template <class T>
T value_of(const T* variable) {
  return variable ? *variable : T{};
}

}  // namespace tarsen
