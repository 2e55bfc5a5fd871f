// The key dispatch, the port list refresh, the small handlers and the Open command.
#include "tests/app/MainFormFixture.h"

#include <cstdio>
#include <fstream>

#include "platform/Desktop.h"

namespace apptest {
namespace {

using protocol::Outcome;
using toolkit::kAlt;
using toolkit::kCtrl;
using toolkit::kShift;

TEST_F(MainFormTest, KeyDispatchHonoursTheModifiers) {
    struct Case {
        std::uint16_t key;
        unsigned shift;
        int about;           // About window shown
        int outerHeight;     // 340 once expanded
        const char* message; // the message it shows, if any
    };
    const Case cases[] = {
        {toolkit::kVkF1, 0, 1, 0, nullptr},
        {toolkit::kVkF1, kShift, 1, 0, nullptr},
        {toolkit::kVkF1, kCtrl | kAlt, 1, 0, nullptr},
        {toolkit::kVkE, kCtrl, 0, 0, nullptr},
        {toolkit::kVkE, kShift, 0, 0, nullptr},
        {toolkit::kVkE, kCtrl | kShift, 0, 340, nullptr},
        {toolkit::kVkE, kCtrl | kShift | kAlt, 0, 340, nullptr},
        {toolkit::kVkR, 0, 0, 0, nullptr},
        {toolkit::kVkR, kShift, 0, 0, nullptr},
        {toolkit::kVkR, kCtrl | kShift, 0, 0, "Порти оновлено!"},
        {toolkit::kVkL, kShift | kAlt, 0, 0, nullptr},
        {toolkit::kVkDelete, kShift, 0, 0, nullptr},
        {toolkit::kVkEscape, kCtrl, 0, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << c.key << " shift " << c.shift);
        application.ClearEvents();
        aboutShown = 0;
        form.SetOuterHeight(0);
        form.ProgressbarReadWrite.SetProgress(5);  // so that Delete would have something to cancel

        Key(c.key, c.shift);

        EXPECT_EQ(aboutShown, c.about);
        EXPECT_EQ(form.OuterHeight(), c.outerHeight);
        EXPECT_EQ(Messages(), c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
        EXPECT_TRUE(Beeps().empty());
        EXPECT_FALSE(form.CancelRequested);
        EXPECT_TRUE(comm.Calls().empty());
    }
}

TEST_F(MainFormTest, CtrlRRefreshesThePortListWithoutMovingTheFocus) {
    registry.Values = {{"a", "ttyS9"}, {"b", "COM10"}, {"c", "COM2"}};
    form.FocusControl(form.ButtonWrite);
    Key(toolkit::kVkR, kCtrl);
    EXPECT_EQ(form.cbPort.Items(), (std::vector<std::string>{"COM10", "COM2", "ttyS9"}));
    EXPECT_EQ(form.cbPort.ItemIndex(), 0);
    EXPECT_EQ(form.ActiveControl(), &form.ButtonWrite);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Порти оновлено!"});

    // An empty list selects nothing and is still announced.
    application.ClearEvents();
    registry.Values.clear();
    Key(toolkit::kVkR, kCtrl);
    EXPECT_TRUE(form.cbPort.Items().empty());
    EXPECT_EQ(form.cbPort.ItemIndex(), -1);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Порти оновлено!"});

    // A registry that cannot be read leaves the list as it was.
    application.ClearEvents();
    form.cbPort.SetItems({"COM7"});
    form.cbPort.SetItemIndex(-1);
    registry.KeyMissing = true;
    Key(toolkit::kVkR, kCtrl);
    EXPECT_EQ(form.cbPort.Items(), std::vector<std::string>{"COM7"});
    EXPECT_EQ(form.cbPort.ItemIndex(), -1);
    EXPECT_EQ(Messages(), std::vector<std::string>{serial::kRegistryErrorMessage});
}

TEST_F(MainFormTest, TheSmallHandlersBeepShowAndStart) {
    Click(form.PNGButton6);
    Click(form.sButton3);
    EXPECT_EQ(aboutShown, 2);
    application.Run([&] { form.Label1.Click(); });
    Click(form.sButton2);
    const std::vector<Event> expected = {
        {Event::MessageBeep, "", platform::kMbIconAsterisk},
        {Event::MessageBeep, "", platform::kMbIconAsterisk},
        {Event::Shell, "open devmgmt.msc", 0, platform::kSwShowNormal},
        {Event::MessageBeep, "", platform::kMbIconAsterisk},
        {Event::Shell, "https://mt-r508.example/", 0, platform::kSwShow},
    };
    EXPECT_EQ(application.Events(), expected);

    // Without an About window set, the buttons only beep.
    form.ShowAboutWindow = nullptr;
    Click(form.PNGButton6);
    EXPECT_EQ(aboutShown, 2);
}

TEST_F(MainFormTest, PickingFromTheListsActsOnlyOnTheUsersPick) {
    const serial::TBaudRate before = form.BComPort1.BaudRate();
    form.cbBaudRate.SetItemIndex(3);  // from code: no change handler
    EXPECT_EQ(form.BComPort1.BaudRate(), before);
    application.Run([&] { form.cbBaudRate.Pick(6); });
    EXPECT_EQ(form.BComPort1.BaudRate(), serial::br9600);
    application.Run([&] { form.cbBaudRate.Pick(14); });
    EXPECT_EQ(form.BComPort1.BaudRate(), serial::br256000);

    form.FocusControl(form.ButtonWrite);
    application.Run([&] { form.cbPort.Pick(0); });
    EXPECT_EQ(form.ActiveControl(), &form.ButtonConect);

    application.Run([&] { form.sComboBoxSkinName.Pick(0); });
    EXPECT_EQ(form.SkinName, "sComboBoxSkinName");
}

// A firmware file in the test's temporary folder.
class OpenCommandTest : public MainFormTest {
protected:
    std::string WriteFile(const std::string& name, const std::string& text) {
        const std::string path = testing::TempDir() + name;
        std::ofstream(path, std::ios::binary) << text;
        paths_.push_back(path);
        return path;
    }
    ~OpenCommandTest() override {
        for (const auto& path : paths_) std::remove(path.c_str());
    }

private:
    std::vector<std::string> paths_;
};

TEST_F(OpenCommandTest, AValidFileBecomesTheImageAndIsNamedInTheStatusLine) {
    const std::string path = WriteFile("dev.hex", ":0400000001020304f2\n:00000001ff\n");
    form.ButtonWrite.SetEnabled(false);
    application.QueueOpenDialogAnswer(path);

    Click(form.ButtonOpenHex);

    EXPECT_EQ(form.LastOutcome(), Outcome::Opened);
    EXPECT_EQ(application.LastOpenDialogFilter(), "Файли: I8HEX, I16HEX, I32HEX|*.hex");
    EXPECT_EQ(form.TextTerminal.Lines(), (std::vector<std::string>{":0400000001020304F2", ":00000001FF"}));
    EXPECT_EQ(form.FlashImage.substr(0, 12), "01020304FFFF");
    EXPECT_EQ(form.FlashImage.size(), 40'000'000u);
    EXPECT_EQ(form.LabelNameOfHex.Caption(), "Мікропрограма : dev.hex - відкрита. Запишіть в прилад");
    EXPECT_EQ(Messages(), std::vector<std::string>{"Мікропрограма відкрита,\r\n   запишіть її в прилад"});
    EXPECT_EQ(Beeps().back(), platform::kMbIconAsterisk);
    EXPECT_TRUE(form.ButtonWrite.Enabled());
    EXPECT_EQ(form.OpenDialogFileName, path);
}

TEST_F(OpenCommandTest, ACancelledDialogOrAnUnreadableOrRefusedFileChangesNothing) {
    form.FlashImage = "AABB";
    form.TextTerminal.SetText(":00000001FF\r\n");
    const std::string status = form.LabelNameOfHex.Caption();

    application.QueueOpenDialogAnswer(std::nullopt);
    Click(form.ButtonOpenHex);
    EXPECT_EQ(form.LastOutcome(), Outcome::None);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(form.TextTerminal.Text(), ":00000001FF\r\n");

    application.QueueOpenDialogAnswer(testing::TempDir() + "missing.hex");
    Click(form.ButtonOpenHex);
    EXPECT_EQ(form.LastOutcome(), Outcome::SystemError);
    ASSERT_EQ(application.Events().back().kind, Event::Exception);
    EXPECT_NE(application.Events().back().text.find("missing.hex"), std::string::npos);
    EXPECT_EQ(form.TextTerminal.Text(), ":00000001FF\r\n");

    application.ClearEvents();
    const std::string path = WriteFile("bad.hex", ":0400000001020304F2\r\n:0400040001020304F0\r\n");
    application.QueueOpenDialogAnswer(path);
    Click(form.ButtonOpenHex);
    EXPECT_EQ(form.LastOutcome(), Outcome::FirmwareRefused);
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_EQ(form.FlashImage, "AABB");
    EXPECT_EQ(form.LabelNameOfHex.Caption(), status);
    EXPECT_EQ(form.TextTerminal.Lines().size(), 2u);  // the new file's text stays
}

}  // namespace
}  // namespace apptest
