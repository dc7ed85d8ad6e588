#include "platform/win32/painted_labels.h"

#include "platform/win32/text.h"

namespace pw::win {

PaintedLabels::~PaintedLabels() {
    if (backDc_) {
        SelectObject(backDc_, backOld_);
        DeleteObject(backBitmap_);
        DeleteDC(backDc_);
    }
    if (measureDc_) DeleteDC(measureDc_);
    for (auto& [points, font] : fonts_) DeleteObject(font);
}

void PaintedLabels::SetDpi(int dpi) {
    if (dpi == dpi_) return;
    dpi_ = dpi;
    for (auto& [points, font] : fonts_) DeleteObject(font);
    fonts_.clear();
    fontHeights_.clear();
    date_.measured = time_.measured = false;
    changed_ = true;
}

void PaintedLabels::SetText(app::Label label, std::string_view text) {
    Entry& l = Of(label);
    std::wstring wide = Widen(text);
    if (wide == l.text) return;
    l.text = std::move(wide);
    l.measured = false;
    changed_ = true;
}

void PaintedLabels::SetFontSize(app::Label label, int points) {
    Entry& l = Of(label);
    if (points == l.points) return;
    l.points = points;
    l.measured = false;
    changed_ = true;
}

void PaintedLabels::SetPosition(app::Label label, int left, int top) {
    Entry& l = Of(label);
    if (l.left == left && l.top == top) return;
    l.left = left;
    l.top = top;
    changed_ = true;
}

app::TextSize PaintedLabels::Size(app::Label label) {
    Entry& l = Of(label);
    if (!l.measured) {
        HDC dc = MeasureDc();
        HGDIOBJ old = SelectObject(dc, Font(l.points));
        SIZE sz{};
        GetTextExtentPoint32W(dc, l.text.c_str(), static_cast<int>(l.text.size()), &sz);
        SelectObject(dc, old);
        l.size = {sz.cx, FontHeight(l.points)};
        l.measured = true;
    }
    return l.size;
}

bool PaintedLabels::TakeChanged() {
    const bool was = changed_;
    changed_ = false;
    return was;
}

HFONT PaintedLabels::Font(int points) {
    auto it = fonts_.find(points);
    if (it != fonts_.end()) return it->second;
    HFONT f = CreateFontW(-MulDiv(points, dpi_, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial");
    fonts_[points] = f;
    return f;
}

HDC PaintedLabels::MeasureDc() {
    if (!measureDc_) measureDc_ = CreateCompatibleDC(nullptr);
    return measureDc_;
}

int PaintedLabels::FontHeight(int points) {
    auto it = fontHeights_.find(points);
    if (it != fontHeights_.end()) return it->second;
    HDC dc = MeasureDc();
    HGDIOBJ old = SelectObject(dc, Font(points));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    fontHeights_[points] = tm.tmHeight;
    return tm.tmHeight;
}

void PaintedLabels::Paint(HDC dc, const RECT& client) {
    if (client.right <= 0 || client.bottom <= 0) return;
    // Drawn off screen first, so the labels do not flicker every second;
    // the buffer lives as long as the client area keeps its size.
    if (!backDc_ || backSize_.cx != client.right || backSize_.cy != client.bottom) {
        if (backDc_) {
            SelectObject(backDc_, backOld_);
            DeleteObject(backBitmap_);
            DeleteDC(backDc_);
        }
        backDc_ = CreateCompatibleDC(dc);
        backBitmap_ = CreateCompatibleBitmap(dc, client.right, client.bottom);
        backOld_ = SelectObject(backDc_, backBitmap_);
        backSize_ = {client.right, client.bottom};
        SetBkMode(backDc_, TRANSPARENT);
    }
    FillRect(backDc_, &client, GetSysColorBrush(COLOR_BTNFACE));
    for (const Entry* l : {&date_, &time_}) {
        HGDIOBJ oldFont = SelectObject(backDc_, Font(l->points));
        SetTextColor(backDc_, GetSysColor(l->colourIndex));
        TextOutW(backDc_, l->left, l->top, l->text.c_str(), static_cast<int>(l->text.size()));
        SelectObject(backDc_, oldFont);
    }
    BitBlt(dc, 0, 0, client.right, client.bottom, backDc_, 0, 0, SRCCOPY);
}

}  // namespace pw::win
