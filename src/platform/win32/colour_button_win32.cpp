#include "platform/win32/colour_button_win32.h"

#include <string>

#include "common/colour.h"
#include "platform/win32/text.h"
#include "platform/win32/window_base.h"

namespace pw::win {

void DrawColourButton(const DRAWITEMSTRUCT& item, std::uint32_t colour) {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
    InflateRect(&r, -GetSystemMetrics(SM_CXEDGE) - 1, -GetSystemMetrics(SM_CYEDGE) - 1);
    if (pushed) OffsetRect(&r, 1, 1);
    // A sample as wide as the button is high, then the caption.
    const int side = r.bottom - r.top;
    RECT sample{r.left + 1, r.top + 1, r.left + 1 + side * 3 / 2, r.bottom - 1};
    HBRUSH brush = CreateSolidBrush(ResolveColour(colour, [](int index) { return GetSysColor(index); }));
    FillRect(dc, &sample, brush);
    DeleteObject(brush);
    FrameRect(dc, &sample, GetSysColorBrush(COLOR_WINDOWFRAME));
    RECT text{sample.right + 4, r.top, r.right, r.bottom};
    const std::wstring caption = WindowText(item.hwndItem);
    SetBkMode(dc, TRANSPARENT);
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
}

}  // namespace pw::win
