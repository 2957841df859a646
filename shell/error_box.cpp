#include "error_box.h"

#include "stray_messages.h"

namespace dorimo {

const char kApplicationTitle[] = "ドリモ玉";

std::string error_box_text(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

void show_error_box(HWND owner, const std::string& message) {
    const BoxUnderTheRule guard;
    MessageBoxA(owner, error_box_text(message).c_str(), kApplicationTitle, MB_ICONSTOP | MB_OK);
}

}  // namespace dorimo
