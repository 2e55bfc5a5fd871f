#include "toolkit/win32/Skin.h"

namespace toolkit::win32 {
namespace {

COLORREF Mix(COLORREF a, COLORREF b, int percentOfB) {
    auto channel = [&](int shift) {
        const int x = static_cast<int>((a >> shift) & 0xFF);
        const int y = static_cast<int>((b >> shift) & 0xFF);
        return static_cast<COLORREF>((x * (100 - percentOfB) + y * percentOfB) / 100) << shift;
    };
    return channel(0) | channel(8) | channel(16);
}

void Frame(HDC dc, const RECT& rect, COLORREF color, int round) {
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, round, round);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

void RoundedGradient(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom, COLORREF border, int round) {
    HRGN region = CreateRoundRectRgn(rect.left, rect.top, rect.right + 1, rect.bottom + 1, round, round);
    SaveDC(dc);
    // The region is in device units; the caller may have moved the window origin.
    POINT origin{};
    GetWindowOrgEx(dc, &origin);
    OffsetRgn(region, -origin.x, -origin.y);
    ExtSelectClipRgn(dc, region, RGN_AND);
    FillGradient(dc, rect, top, bottom);
    RestoreDC(dc, -1);
    DeleteObject(region);
    Frame(dc, rect, border, round);
}

void CentredText(HDC dc, const RECT& rect, const std::wstring& text, COLORREF color, HFONT font) {
    if (text.empty()) return;
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color);
    RECT r = rect;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
}

}  // namespace

COLORREF MainWindowColor() { return GetSysColor(COLOR_3DLIGHT); }
COLORREF DialogWindowColor() { return GetSysColor(COLOR_BTNFACE); }

void FillGradient(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom) {
    TRIVERTEX v[2] = {
        {rect.left, rect.top, static_cast<COLOR16>(GetRValue(top) << 8), static_cast<COLOR16>(GetGValue(top) << 8),
         static_cast<COLOR16>(GetBValue(top) << 8), 0},
        {rect.right, rect.bottom, static_cast<COLOR16>(GetRValue(bottom) << 8),
         static_cast<COLOR16>(GetGValue(bottom) << 8), static_cast<COLOR16>(GetBValue(bottom) << 8), 0},
    };
    GRADIENT_RECT g{0, 1};
    GradientFill(dc, v, 2, &g, 1, GRADIENT_FILL_RECT_V);
}

void PaintPanel(HDC dc, const RECT& rect) {
    RoundedGradient(dc, rect, RGB(250, 252, 255), RGB(214, 224, 236), RGB(150, 166, 186), 8);
}

void PaintButton(HDC dc, const RECT& rect, Skin skin, ButtonState state, const std::wstring& caption, HFONT font) {
    COLORREF top, bottom, border, text;
    int round;
    if (skin == Skin::ButtonHuge) {
        top = RGB(120, 170, 235);
        bottom = RGB(28, 84, 168);
        border = RGB(18, 52, 110);
        text = RGB(255, 255, 255);
        round = 10;
    } else {
        top = RGB(255, 232, 170);
        bottom = RGB(236, 168, 52);
        border = RGB(150, 96, 20);
        text = RGB(40, 28, 8);
        round = 6;
    }
    if (state.pressed) std::swap(top, bottom);
    if (state.disabled) {
        top = Mix(top, RGB(200, 200, 200), 70);
        bottom = Mix(bottom, RGB(200, 200, 200), 70);
        border = Mix(border, RGB(160, 160, 160), 70);
        text = RGB(130, 130, 130);
    }
    RoundedGradient(dc, rect, top, bottom, border, round);
    RECT textRect = rect;
    if (state.pressed) OffsetRect(&textRect, 1, 1);
    CentredText(dc, textRect, caption, text, font);
    if (state.focused && !state.disabled) {
        RECT focus = rect;
        InflateRect(&focus, -4, -4);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        DrawFocusRect(dc, &focus);
    }
}

void PaintBar(HDC dc, const RECT& rect, double fraction, const std::wstring& text, HFONT font) {
    // The groove: sunken, light.
    FillGradient(dc, rect, RGB(206, 210, 214), RGB(244, 246, 248));
    if (fraction > 0) {
        RECT fill = rect;
        InflateRect(&fill, -1, -1);
        const int width = fill.right - fill.left;
        fill.right = fill.left + static_cast<int>(width * (fraction > 1 ? 1 : fraction) + 0.5);
        if (fill.right > fill.left) FillGradient(dc, fill, RGB(150, 226, 120), RGB(40, 150, 40));
    }
    HPEN dark = CreatePen(PS_SOLID, 1, RGB(110, 118, 126));
    HGDIOBJ oldPen = SelectObject(dc, dark);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(dark);
    CentredText(dc, rect, text, RGB(20, 30, 40), font);
}

RECT PaintComboFrame(HDC dc, const RECT& rect, bool disabled) {
    const COLORREF border = disabled ? RGB(170, 176, 184) : RGB(96, 122, 160);
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(dc, &rect, white);
    DeleteObject(white);
    RECT button{rect.right - 17, rect.top + 1, rect.right - 1, rect.bottom - 1};
    FillGradient(dc, button, disabled ? RGB(236, 238, 240) : RGB(226, 236, 250),
                 disabled ? RGB(206, 210, 214) : RGB(140, 170, 214));
    HBRUSH arrowBrush = CreateSolidBrush(disabled ? RGB(150, 150, 150) : RGB(30, 50, 90));
    HPEN none = static_cast<HPEN>(GetStockObject(NULL_PEN));
    HGDIOBJ oldPen = SelectObject(dc, none);
    HGDIOBJ oldBrush = SelectObject(dc, arrowBrush);
    const int cx = (button.left + button.right) / 2;
    const int cy = (button.top + button.bottom) / 2;
    const POINT arrow[3] = {{cx - 4, cy - 2}, {cx + 4, cy - 2}, {cx, cy + 3}};
    Polygon(dc, arrow, 3);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(arrowBrush);
    HPEN pen = CreatePen(PS_SOLID, 1, border);
    oldPen = SelectObject(dc, pen);
    oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    MoveToEx(dc, button.left - 1, rect.top, nullptr);
    LineTo(dc, button.left - 1, rect.bottom);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    return RECT{rect.left + 2, rect.top + 2, button.left - 2, rect.bottom - 2};
}

void PaintComboItem(HDC dc, const RECT& rect, const std::wstring& text, bool selected, bool disabled, HFONT font) {
    const COLORREF back = selected ? RGB(44, 110, 200) : RGB(255, 255, 255);
    HBRUSH brush = CreateSolidBrush(back);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, disabled ? RGB(140, 140, 140) : selected ? RGB(255, 255, 255) : RGB(0, 0, 0));
    RECT r = rect;
    r.left += 3;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
}

}  // namespace toolkit::win32
