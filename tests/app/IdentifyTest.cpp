// The Identify command and the identification that opens a write.
#include "tests/app/MainFormFixture.h"

#include "platform/Desktop.h"
#include "protocol/IdentifyDevice.h"

namespace apptest {
namespace {

using protocol::Outcome;

TEST_F(MainFormTest, IdentifyShowsTheDescriptionAndAsksForAHexFile) {
    auto& dev = Attach({.BlocksPerPage = 4, .BlockSize = 128, .PageCount = 0x1234, .Description = "MT-R508\n171114"});
    std::int64_t progressAtDescribe = -1;
    comm.OnWrite = [&](std::string_view bytes) {
        if (bytes == "k0303;") progressAtDescribe = form.ProgressbarReadWrite.Progress();
        dev.Received(std::string(bytes));
    };
    form.ButtonOpenHex.SetEnabled(false);

    Click(form.ButtonConect);

    EXPECT_EQ(form.LastOutcome(), Outcome::Identified);
    const std::vector<std::string> frames = {"kkkkk", "kkkkk", "kkkkk", "kkkkk", "kkkkk", "k0202;", "k0303;"};
    EXPECT_EQ(dev.Frames(), frames);
    EXPECT_EQ(clock.Sleeps(), (std::vector<std::uint32_t>{50, 50, 50, 50, 50, 100, 1000}));
    EXPECT_EQ(progressAtDescribe, 60);
    EXPECT_EQ(form.ProgressbarReadWrite.Progress(), 0);
    EXPECT_EQ(form.DeviceInfo, (protocol::DeviceInfo{"02", 4, 128, 0x1234}));
    EXPECT_EQ(form.ReplyCode, "82");
    EXPECT_EQ(form.MemoAbout.Text(), "MT-R508\r\n171114");
    EXPECT_EQ(Beeps(), (std::vector<std::uint32_t>{platform::kMbIconQuestion, platform::kMbIconAsterisk}));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Визначино:\r\nMT-R508\r\n171114", protocol::kOpenHexMessage}));
    EXPECT_EQ(form.LabelNameOfHex.Caption(), "Відкрийте мікропрограму з розширенням - HEX");
    EXPECT_TRUE(form.ButtonOpenHex.Enabled());
    EXPECT_EQ(form.ActiveControl(), &form.ButtonOpenHex);
    EXPECT_TRUE(form.BComPort1.IsOpen());
    EXPECT_EQ(form.BComPort1.Port(), "ttyFAKE0");
    EXPECT_EQ(form.BComPort1.BaudRate(), serial::br115200);
}

TEST_F(MainFormTest, ADeviceThatNeverAnswersIsNotFoundAfterFiveTries) {
    struct Case {
        bool write;
        const char* message;
    };
    for (const Case& c : {Case{false, protocol::kNotFoundIdentifyMessage}, Case{true, protocol::kNotFoundWriteMessage}}) {
        SCOPED_TRACE(c.write ? "write" : "identify");
        application.ClearEvents();
        auto& dev = Attach({.Present = false});
        form.TextTerminal.SetText(":00000001FF\r\n");
        form.MemoAbout.SetText("old");
        const std::string image = form.FlashImage;

        Click(c.write ? form.ButtonWrite : form.ButtonConect);

        EXPECT_EQ(form.LastOutcome(), Outcome::DeviceNotFound);
        EXPECT_EQ(dev.FramesOf("02").size(), 5u);
        EXPECT_TRUE(dev.FramesOf("03").empty());
        EXPECT_EQ(Messages(), std::vector<std::string>{c.message});
        EXPECT_EQ(Beeps().back(), platform::kMbIconHand);
        EXPECT_EQ(form.LabelNameOfHex.Caption(), "Мікропрограма готова до запису");
        EXPECT_EQ(form.ProgressbarReadWrite.Progress(), 0);
        EXPECT_EQ(form.TextTerminal.Text(), "");
        EXPECT_EQ(form.MemoAbout.Text(), "");
        EXPECT_EQ(form.FlashImage, image);
        EXPECT_FALSE(form.BComPort1.IsOpen());
        EXPECT_TRUE(form.ButtonWrite.Enabled());
    }
}

TEST_F(MainFormTest, AnUnknownLoaderIsRefusedWithThePortLeftOpen) {
    for (bool write : {false, true}) {
        SCOPED_TRACE(write ? "write" : "identify");
        application.ClearEvents();
        auto& dev = Attach({.Loader = "01"});
        form.ButtonOpenHex.SetEnabled(true);

        Click(write ? form.ButtonWrite : form.ButtonConect);

        EXPECT_EQ(form.LastOutcome(), Outcome::LoaderRefused);
        EXPECT_EQ(Messages(),
                  std::vector<std::string>{"01 - невідома версія завантажувача мікроконтролера"});
        EXPECT_EQ(Beeps().back(), platform::kMbIconAsterisk);
        EXPECT_TRUE(dev.FramesOf("03").empty());
        EXPECT_TRUE(form.BComPort1.IsOpen());
        EXPECT_EQ(form.ButtonOpenHex.Enabled(), !write);
        EXPECT_EQ(form.MemoAbout.Text(), "");
    }
}

TEST_F(MainFormTest, AReplyWithoutItsEndIsRetriedAndThenTakenAsItStands) {
    Attach({});
    int identifies = 0;
    comm.OnWrite = [&](std::string_view bytes) {
        if (bytes == "k0202;") {
            ++identifies;
            comm.Deliver("k8202000002040003", 500);  // no ";"
        } else if (bytes == "k0303;") {
            comm.Deliver("k83ABCDEFS1;", 500);
        }
    };

    Click(form.ButtonConect);

    EXPECT_EQ(identifies, 5);
    EXPECT_EQ(form.LastOutcome(), Outcome::Identified);
    EXPECT_EQ(form.DeviceInfo, (protocol::DeviceInfo{"02", 2, 4, 3}));
    EXPECT_EQ(form.MemoAbout.Text(), "ABCDEF");
}

TEST_F(MainFormTest, AnEmptyDescriptionIsNamedByEachVariant) {
    Attach({.Description = ""});  // a reply of 6 characters: nothing is added
    Click(form.ButtonConect);
    EXPECT_EQ(form.MemoAbout.Text(), "");
    EXPECT_EQ(Messages().front(), "Визначино:\r\n");

    Attach({});
    device->Silent = [](const std::string& frame, int) { return frame == "k0303;"; };
    application.ClearEvents();
    Click(form.ButtonConect);
    EXPECT_EQ(form.MemoAbout.Text(), "Невідомий прилад (без текстового опису)");

    application.ClearEvents();
    Click(form.ButtonWrite);
    EXPECT_EQ(form.LastOutcome(), Outcome::VersionRefused);
    EXPECT_EQ(form.MemoAbout.Text(), "Невідомий прилад/версія");
    EXPECT_EQ(Messages(), std::vector<std::string>{"Невідомо що то є!"});
}

}  // namespace
}  // namespace apptest
