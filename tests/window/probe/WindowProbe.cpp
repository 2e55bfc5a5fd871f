// Prints the desktop program's windows as the window tests see them from outside the process:
// every visible form (by its control name), its controls with their positions in their parent's
// client area, screen centres, texts and states, and every message box with its text.
//
//   form <name> outer=X,Y,W,H client=W,H front=0|1 caption=<text>
//   control <name> <class> at=X,Y,W,H centre=X,Y enabled=0|1 visible=0|1 focused=0|1
//           [items=<a;b;...>] text=<text>
//   box caption=<text> text=<text>
//
// Texts are UTF-8 with CR and LF written as \r and \n.
#include <windows.h>

#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else out += c;
    }
    return out;
}

std::string TextOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    return Escaped(Utf8(text));
}

std::string ClassOf(HWND window) {
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    return Utf8(name);
}

std::string NameOf(HWND window) {
    const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(window, L"MtrName")));
    if (!atom) return "-";
    wchar_t name[256] = {};
    GlobalGetAtomNameW(atom, name, 256);
    return Utf8(name);
}

// A drop-down list's items, and its selected item as its text.
std::string ItemText(HWND window, int index) {
    const auto length = SendMessageW(window, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(window, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return Escaped(Utf8(text));
}

std::string ComboText(HWND window) {
    const auto selected = static_cast<int>(SendMessageW(window, CB_GETCURSEL, 0, 0));
    const auto count = static_cast<int>(SendMessageW(window, CB_GETCOUNT, 0, 0));
    std::string items;
    for (int i = 0; i < count; ++i) {
        if (i > 0) items += ';';
        items += ItemText(window, i);
    }
    std::string line = " items=";
    line += items;
    line += " text=";
    if (selected >= 0) line += ItemText(window, selected);
    return line;
}

std::string output;

void Line(const std::string& line) { output += line + "\n"; }

// The window that has the keyboard focus in the thread that owns window.
HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

BOOL CALLBACK Control(HWND window, LPARAM) {
    if (NameOf(window) == "-") return TRUE;
    RECT r;
    GetWindowRect(window, &r);
    const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    Line("control " + NameOf(window) + " " + ClassOf(window) + " at=" + std::to_string(r.left) + "," +
         std::to_string(r.top) + "," + std::to_string(r.right - r.left) + "," + std::to_string(r.bottom - r.top) +
         " centre=" + std::to_string(centre.x) + "," + std::to_string(centre.y) +
         " enabled=" + (IsWindowEnabled(window) ? "1" : "0") + " visible=" + (IsWindowVisible(window) ? "1" : "0") +
         " focused=" + (FocusOf(window) == window ? "1" : "0") +
         (ClassOf(window) == "ComboBox" ? ComboText(window) : " text=" + TextOf(window)));
    return TRUE;
}

BOOL CALLBACK BoxText(HWND window, LPARAM text) {
    if (ClassOf(window) == "Static" && GetWindowTextLengthW(window) > 0) {
        *reinterpret_cast<std::string*>(text) += TextOf(window);
    }
    return TRUE;
}

BOOL CALLBACK TopLevel(HWND window, LPARAM) {
    if (!IsWindowVisible(window)) return TRUE;
    const std::string cls = ClassOf(window);
    if (cls == "MtrForm" || cls == "MtrDialog") {
        RECT outer;
        RECT client;
        GetWindowRect(window, &outer);
        GetClientRect(window, &client);
        Line("form " + NameOf(window) + " outer=" + std::to_string(outer.left) + "," + std::to_string(outer.top) + "," +
             std::to_string(outer.right - outer.left) + "," + std::to_string(outer.bottom - outer.top) +
             " client=" + std::to_string(client.right) + "," + std::to_string(client.bottom) +
             " front=" + (GetForegroundWindow() == window ? "1" : "0") + " caption=" + TextOf(window));
        EnumChildWindows(window, Control, 0);
    } else if (cls == "#32770") {
        std::string text;
        EnumChildWindows(window, BoxText, reinterpret_cast<LPARAM>(&text));
        Line("box caption=" + TextOf(window) + " text=" + text);
    }
    return TRUE;
}

}  // namespace

int main() {
    EnumWindows(TopLevel, 0);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), output.data(), static_cast<DWORD>(output.size()), &written, nullptr);
    return 0;
}
