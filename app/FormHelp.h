#pragma once
// The About window: the developer's emblem, a link to the developer's web site and an OK button.
// Shown without blocking by the main window; closing it only hides it.
#include <cstdint>

#include "toolkit/Application.h"
#include "toolkit/Button.h"
#include "toolkit/Form.h"
#include "toolkit/Label.h"

namespace app {

inline constexpr const char* kAboutCaption = "Про програму";
inline constexpr const char* kDeveloperSite = "https://yarvex.example/";
inline constexpr const char* kDeveloperHost = "yarvex.example";

class TFormHelp : public toolkit::Form {
public:
    explicit TFormHelp(toolkit::Application& application);

    toolkit::Control Image_Emblem{"Image_Emblem"};
    toolkit::Label sWebLabel1{"sWebLabel1", kDeveloperHost};
    toolkit::Button Button1{"Button1", "ОК"};

    void Button1Click();
    void FormKeyDown(std::uint16_t key, unsigned shift);
    void sWebLabel1Click();

private:
    toolkit::Application& application_;
};

}  // namespace app
