// The About window's logic: its definition, the OK button, the keys and the web link.
#include <gtest/gtest.h>

#include "app/FormHelp.h"
#include "platform/Desktop.h"
#include "toolkit/headless/HeadlessApplication.h"

namespace {

using toolkit::headless::Event;

// Records which form owns each shell call.
class OwnerRecordingApplication : public toolkit::headless::HeadlessApplication {
public:
    void OpenWithShell(toolkit::Form* owner, const std::string& verb, const std::string& file, int show) override {
        owners.push_back(owner);
        HeadlessApplication::OpenWithShell(owner, verb, file, show);
    }
    std::vector<toolkit::Form*> owners;
};

class FormHelpTest : public ::testing::Test {
protected:
    FormHelpTest() { form.SetVisible(true); }
    OwnerRecordingApplication application;
    app::TFormHelp form{application};
};

TEST_F(FormHelpTest, DefinitionGivesCaptionSizeAndControls) {
    EXPECT_EQ(form.Caption(), "Про програму");
    EXPECT_EQ(form.ClientWidth, 154);
    EXPECT_EQ(form.ClientHeight, 193);
    EXPECT_TRUE(form.KeyPreview);
    const struct {
        const toolkit::Control& control;
        toolkit::Rect bounds;
    } places[] = {{form.Image_Emblem, {16, 16, 121, 89}}, {form.sWebLabel1, {29, 119, 91, 13}}, {form.Button1, {35, 145, 81, 33}}};
    for (const auto& place : places) {
        SCOPED_TRACE(place.control.Name());
        EXPECT_EQ(place.control.Parent, &form);
        EXPECT_EQ(place.control.Bounds.Left, place.bounds.Left);
        EXPECT_EQ(place.control.Bounds.Top, place.bounds.Top);
        EXPECT_EQ(place.control.Bounds.Width, place.bounds.Width);
        EXPECT_EQ(place.control.Bounds.Height, place.bounds.Height);
    }
    // "ОК" in Cyrillic letters (U+041E, U+041A), not the Latin "OK".
    EXPECT_EQ(form.Button1.Caption, "\xD0\x9E\xD0\x9A");
    EXPECT_EQ(form.sWebLabel1.Color, 0x004080);
    EXPECT_EQ(form.sWebLabel1.Cursor, toolkit::CursorKind::HandPoint);
    // The caption is the host of the address the click opens.
    EXPECT_EQ(std::string(app::kDeveloperSite), "https://" + form.sWebLabel1.Caption() + "/");
}

TEST_F(FormHelpTest, OkBeepsThenHides) {
    form.Button1.Click();
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(application.Events(), (std::vector<Event>{{Event::MessageBeep, {}, platform::kMbIconAsterisk}}));
}

TEST_F(FormHelpTest, F1WithAnyModifiersHidesWithoutBeepOtherKeysDoNothing) {
    const struct {
        std::uint16_t key;
        unsigned shift;
        bool hides;
    } cases[] = {
        {toolkit::kVkF1, 0, true},
        {toolkit::kVkF1, toolkit::kShift, true},
        {toolkit::kVkF1, toolkit::kCtrl, true},
        {toolkit::kVkF1, toolkit::kAlt | toolkit::kCtrl | toolkit::kShift, true},
        {toolkit::kVkEscape, 0, false},
        {0x0D, 0, false},  // Enter reaches the focused button, not the form
        {toolkit::kVkE, toolkit::kCtrl | toolkit::kShift, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << c.key << " shift " << c.shift);
        form.SetVisible(true);
        form.FormKeyDown(c.key, c.shift);
        EXPECT_EQ(form.Visible(), !c.hides);
    }
    EXPECT_TRUE(application.Events().empty());
}

TEST_F(FormHelpTest, LinkBeepsOpensTheSiteOnceAndStaysOpen) {
    form.sWebLabel1.Click();
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(application.Events(), (std::vector<Event>{{Event::MessageBeep, {}, platform::kMbIconAsterisk},
                                                         {Event::Shell, app::kDeveloperSite, 0, platform::kSwShow}}));
    ASSERT_EQ(application.owners.size(), 1u);
    EXPECT_EQ(application.owners[0], &form);
}

}  // namespace
