#include "app/FormHelp.h"

#include "platform/Desktop.h"

namespace app {

TFormHelp::TFormHelp(toolkit::Application& application) : toolkit::Form("FormHelp"), application_(application) {
    SetCaption(kAboutCaption);
    ClientWidth = 154;
    ClientHeight = 193;
    KeyPreview = true;
    Image_Emblem.Parent = this;
    Image_Emblem.Bounds = {16, 16, 121, 89};
    sWebLabel1.Parent = this;
    sWebLabel1.Bounds = {29, 119, 91, 13};
    sWebLabel1.Color = 0x004080;  // RGB(0, 64, 128)
    sWebLabel1.Cursor = toolkit::CursorKind::HandPoint;
    sWebLabel1.OnClick = [this] { sWebLabel1Click(); };
    Button1.Parent = this;
    Button1.Bounds = {35, 145, 81, 33};
    Button1.OnClick = [this] { Button1Click(); };
}

void TFormHelp::Button1Click() {
    application_.MessageBeep(platform::kMbIconAsterisk);
    SetVisible(false);
}

void TFormHelp::FormKeyDown(std::uint16_t key, unsigned /*shift*/) {
    if (key == toolkit::kVkF1) SetVisible(false);
}

void TFormHelp::sWebLabel1Click() {
    application_.MessageBeep(platform::kMbIconAsterisk);
    application_.OpenWithShell(this, "", kDeveloperSite, platform::kSwShow);
}

}  // namespace app
