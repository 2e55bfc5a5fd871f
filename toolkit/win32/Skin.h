#pragma once
// The skin: how the skinned controls are painted. Each section has its own look:
//   PANEL        soft blue-grey gradient with a rounded frame
//   COMBOBOX     white field, black text, blue selection, a steel frame
//   BAR          sunken groove with a green gradient fill and centred text
//   BUTTON_HUGE  large rounded blue gradient buttons with white captions
//   DIALOG       small rounded amber buttons (also the About window's OK button)
#include <windows.h>

#include <string>

namespace toolkit::win32 {

enum class Skin { None, Panel, ComboBox, Bar, ButtonHuge, Dialog };

struct ButtonState {
    bool pressed = false;
    bool focused = false;
    bool disabled = false;
};

// Colours of the windows themselves.
COLORREF MainWindowColor();    // the 3-D light colour
COLORREF DialogWindowColor();  // the button face colour

void FillGradient(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom);
void PaintPanel(HDC dc, const RECT& rect);
void PaintButton(HDC dc, const RECT& rect, Skin skin, ButtonState state, const std::wstring& caption, HFONT font);
// fraction 0 .. 1 of the groove filled; text drawn centred across the bar when not empty.
void PaintBar(HDC dc, const RECT& rect, double fraction, const std::wstring& text, HFONT font);
// The closed drop-down list: frame and arrow button; the field inside is painted as an item.
// Returns the field's rectangle.
RECT PaintComboFrame(HDC dc, const RECT& rect, bool disabled);
// One item of a drop-down list, or the field of the closed box.
void PaintComboItem(HDC dc, const RECT& rect, const std::wstring& text, bool selected, bool disabled, HFONT font);

}  // namespace toolkit::win32
