// How the previous- and next-run boxes draw their text (look.h). Nothing here
// can raise an exception: it is built without unwind tables.
#include "look.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

namespace dorimo {

LRESULT CALLBACK draw_date_and_time_apart(HWND box, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                          DWORD_PTR least_blank) {
    if (message != WM_PAINT) return DefSubclassProc(box, message, wparam, lparam);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(box, &paint);
    RECT area;
    SendMessageA(box, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
    // In the colours the window gives the box, its background filled; in its
    // font (the paint's device context is the system's, reset when released).
    SendMessageA(GetParent(box), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(box));
    SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(box, WM_GETFONT, 0, 0)));
    char text[64];  // wider than the box in any font; a run's text is 19 bytes
    const int length = GetWindowTextA(box, text, sizeof text);
    text[length] = '\0';
    const char* blank = std::strchr(text, ' ');  // no trail byte is a blank
    const int date = blank ? static_cast<int>(blank - text) : length;
    ExtTextOutA(dc, area.left, area.top, ETO_OPAQUE | ETO_CLIPPED, &paint.rcPaint, text, static_cast<UINT>(date), nullptr);
    if (blank) {
        SIZE date_size, blank_size;
        GetTextExtentPoint32A(dc, text, date, &date_size);
        GetTextExtentPoint32A(dc, " ", 1, &blank_size);
        const int x = area.left + date_size.cx + std::max<int>(blank_size.cx, static_cast<int>(least_blank));
        ExtTextOutA(dc, x, area.top, ETO_CLIPPED, &area, blank + 1, static_cast<UINT>(length - date - 1), nullptr);
    }
    EndPaint(box, &paint);
    return 0;
}

}  // namespace dorimo
