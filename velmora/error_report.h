// Errors inside Velmora that do not go straight to the method frame: calls
// through our own interfaces, and the engine's message boxes.
#pragma once

#include <windows.h>

#include <string>

namespace velmora {

// A failed call through one of our own interfaces becomes an error of the
// calling method, carrying the callee's status and description.
void check_status(HRESULT status);

// The description of the error being handled (call inside a catch block).
std::wstring current_error_description();

// The engine's error report: a modal box with the exclamation icon and an OK
// button; a null title leaves the platform's default.
void show_error_box(const std::wstring& description, const wchar_t* title);

}  // namespace velmora
