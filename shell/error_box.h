// The application's error box.
#pragma once

#include <windows.h>

#include <string>

namespace dorimo {

// The application title, carried by the taskbar entry and the error boxes.
extern const char kApplicationTitle[];

// The message with "." appended when its last character sorts after ".".
std::string error_box_text(const std::string& message);

// A stop icon, an OK button, the application title.
void show_error_box(HWND owner, const std::string& message);

}  // namespace dorimo
