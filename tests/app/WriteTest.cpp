// The Write command: the version gate, the page and block loops, the adaptive waits, errors,
// success and the geometry refusal.
#include "tests/app/MainFormFixture.h"

#include "platform/Desktop.h"
#include "protocol/WriteFirmware.h"

namespace apptest {
namespace {

using protocol::Outcome;

// The waits of the write, after identification's own (5 wake-ups, 1 identify, 1 describe).
std::vector<std::uint32_t> WriteSleeps(const std::vector<std::uint32_t>& sleeps) {
    return {sleeps.begin() + 7, sleeps.end()};
}

TEST_F(MainFormTest, AnAnsweringDeviceGetsTheWholeImageAndIsReset) {
    auto& dev = Attach({.BlocksPerPage = 2, .BlockSize = 4, .PageCount = 3});
    clock.SetTimeOfDayText("14:05:09");
    Enabled duringWrite{};
    std::int64_t pagesAtLastPump = -1;
    application.When([&] { return form.ProgressbarWrite.Position() == 1; },
                     [&] { duringWrite = Controls(); });
    application.When([&] { return form.ProgressbarReadWrite.Progress() == 2 && form.ProgressbarWrite.Position() == 2; },
                     [&] { pagesAtLastPump = form.ProgressbarReadWrite.MaxValue(); });

    Click(form.ButtonWrite);

    EXPECT_EQ(form.LastOutcome(), Outcome::Done);
    EXPECT_EQ(dev.Memory(), form.FlashImage);
    EXPECT_EQ(dev.FramesOf("04"), (std::vector<std::string>{"k0400000004;", "k040000080C;", "k0400001014;"}));
    EXPECT_EQ(dev.FramesOf("05").front(), "k0501000102030C;");  // 05 + 01 + 00 + 01 + 02 + 03 = 0x0C
    EXPECT_EQ(dev.FramesOf("06").size(), 6u);
    EXPECT_EQ(dev.FramesOf("01").size(), 2u);
    EXPECT_EQ(dev.Frames().back(), "k0101;");
    EXPECT_EQ(duringWrite, (Enabled{false, true, false, false, false}));
    EXPECT_EQ(pagesAtLastPump, 3);

    EXPECT_EQ(form.Label3.Caption(), "Автокалібровка: 0.0.0");
    const std::vector<std::string> lines = form.MemoAbout.Lines();
    ASSERT_EQ(lines.size(), 1u + 3 * (1 + 2 * 2));
    EXPECT_EQ(lines[0], "171114");
    EXPECT_EQ(lines[1], "Очистивk0400000004;");
    EXPECT_EQ(lines[2], "Записавk0501000102030C;");
    EXPECT_EQ(lines[3], "Прошивk0606;");
    // Every step was acknowledged at once: 15 waits of 0 ms, then the reset's 100 ms.
    std::vector<std::uint32_t> waits(15, 0);
    waits.push_back(100);
    EXPECT_EQ(WriteSleeps(clock.Sleeps()), waits);

    EXPECT_EQ(Beeps(), (std::vector<std::uint32_t>{platform::kMbIconAsterisk, platform::kMbIconExclamation}));
    EXPECT_EQ(form.LabelNameOfHex.Caption(), "Мікропрограма : успішно завантажена в 14:05:09");
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], std::string(protocol::kSuccessMessageStart) + "14:05:09" + protocol::kSuccessMessageEnd);
    EXPECT_EQ(form.ProgressbarReadWrite.Progress(), 0);
    EXPECT_EQ(form.ProgressbarWrite.Position(), 0);
    EXPECT_EQ(Controls(), (Enabled{true, true, false, true, true}));
    EXPECT_EQ(form.ActiveControl(), &form.ButtonConect);
    EXPECT_FALSE(form.BComPort1.IsOpen());
}

TEST_F(MainFormTest, ADeviceThatNeverAcknowledgesTheFirstEraseStopsTheWriteAfter400Attempts) {
    auto& dev = Attach({});
    dev.Silent = [](const std::string& frame, int) { return frame.compare(1, 2, "04") == 0; };
    form.OpenDialogFileName = "C:\\firmware\\dev.hex";

    Click(form.ButtonWrite);

    EXPECT_EQ(form.LastOutcome(), Outcome::WriteError);
    EXPECT_EQ(dev.FramesOf("04").size(), 400u);
    EXPECT_TRUE(dev.FramesOf("05").empty());
    EXPECT_TRUE(dev.FramesOf("01").empty());  // no reset after an error
    std::vector<std::uint32_t> waits(400);
    for (std::uint32_t i = 0; i < 400; ++i) waits[i] = i;
    EXPECT_EQ(WriteSleeps(clock.Sleeps()), waits);
    EXPECT_EQ(form.Label3.Caption(), "Автокалібровка: 400.0.0");
    EXPECT_EQ(form.MemoAbout.Lines().size(), 401u);

    const auto& events = application.Events();
    const std::vector<Event> tail(events.end() - 7, events.end());
    const std::vector<Event> expected = {
        {Event::BringToFront, ""},
        {Event::MessageBeep, "", platform::kMbIconAsterisk},
        {Event::Beep, "", 1200, 200},
        {Event::Beep, "", 800, 200},
        {Event::Beep, "", 500, 200},
        {Event::Message, "                              \r\nПомилка очистки - 000000"},
        {Event::Message, protocol::kWarningIncomplete},
    };
    EXPECT_EQ(tail, expected);
    EXPECT_EQ(form.LabelNameOfHex.Caption(), "Мікропрограма : dev.hex - помилка");
    EXPECT_EQ(Controls(), (Enabled{true, true, false, true, true}));
    EXPECT_TRUE(form.BComPort1.IsOpen());
    EXPECT_EQ(form.ProgressbarReadWrite.MaxValue(), 3);
}

TEST_F(MainFormTest, FailuresSpreadOverTheWriteStopItAtTheFourHundredth) {
    // 399 failed erases of the first page, then one failed write attempt that the device accepts
    // on its second try: the write error names that block.
    auto& dev = Attach({.BlocksPerPage = 2, .BlockSize = 4, .PageCount = 3});
    dev.Silent = [](const std::string& frame, int count) {
        const std::string code = frame.substr(1, 2);
        return (code == "04" && count < 399) || (code == "05" && count == 2);
    };

    Click(form.ButtonWrite);

    EXPECT_EQ(form.LastOutcome(), Outcome::WriteError);
    EXPECT_EQ(form.Label3.Caption(), "Автокалібровка: 399.1.0");
    EXPECT_EQ(dev.FramesOf("05").size(), 4u);  // page 1: two blocks; page 2: block 1 twice
    EXPECT_EQ(Messages().front(), "                              \r\nПомилка запису - 000008");
    // The delays carry over from frame to frame: the accepted retry waited 1 ms.
    EXPECT_EQ(clock.Sleeps().back(), 1u);
}

TEST_F(MainFormTest, AnUnacknowledgedFlashStopsWithTheFlashError) {
    auto& dev = Attach({.BlocksPerPage = 2, .BlockSize = 16, .PageCount = 2});
    dev.Silent = [](const std::string& frame, int count) { return frame == "k0606;" && count >= 1; };

    Click(form.ButtonWrite);

    EXPECT_EQ(Messages().front(), "                              \r\nПомилка прошивки - 000010");
    EXPECT_EQ(form.Label3.Caption(), "Автокалібровка: 0.0.400");
}

TEST_F(MainFormTest, TheVersionGateRefusesTheSameANewerAndAnUnknownVersion) {
    struct Case {
        const char* description;
        const char* message;
    };
    const Case cases[] = {
        {"171115", "Дана версія вже записана в прилад!"},
        {"171116", "В прилад вже записана новіша версія!"},
        {"17111", "Невідомо що то є!"},
        {"1711140", "Невідомо що то є!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        application.ClearEvents();
        auto& dev = Attach({.Description = c.description});

        Click(form.ButtonWrite);

        EXPECT_EQ(form.LastOutcome(), Outcome::VersionRefused);
        EXPECT_EQ(Messages(), std::vector<std::string>{c.message});
        EXPECT_EQ(Beeps().back(), platform::kMbIconExclamation);
        EXPECT_EQ(dev.FramesOf("01"), (std::vector<std::string>{"k0101;", "k0101;"}));
        EXPECT_TRUE(dev.FramesOf("04").empty());
        EXPECT_FALSE(form.BComPort1.IsOpen());
        EXPECT_TRUE(form.ButtonWrite.Enabled());
    }
}

TEST_F(MainFormTest, ADescriptionOfSixCharactersThatIsNoNumberEndsWithTheConversionError) {
    auto& dev = Attach({.Description = "17111x"});
    Click(form.ButtonWrite);
    EXPECT_EQ(form.LastOutcome(), Outcome::SystemError);
    EXPECT_EQ(Messages(), std::vector<std::string>{"'17111x' is not a valid integer value"});
    EXPECT_EQ(dev.Frames().back(), "k0303;");
    EXPECT_TRUE(form.BComPort1.IsOpen());
}

TEST_F(MainFormTest, AnOlderVersionStartsTheWrite) {
    auto& dev = Attach({.PageCount = 1, .Description = "171114"});
    Click(form.ButtonWrite);
    EXPECT_EQ(form.LastOutcome(), Outcome::Done);
    EXPECT_EQ(dev.FramesOf("04").size(), 1u);
}

TEST_F(MainFormTest, NoPagesMeansNoEraseButAResetAndTheSuccessMessage) {
    auto& dev = Attach({.PageCount = 0});
    Click(form.ButtonWrite);
    EXPECT_EQ(form.LastOutcome(), Outcome::Done);
    EXPECT_TRUE(dev.FramesOf("04").empty());
    EXPECT_EQ(dev.FramesOf("01").size(), 2u);
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].rfind(protocol::kSuccessMessageStart, 0), 0u);
}

TEST_F(MainFormTest, NoBlocksPerPageErasesEveryPageAtAddressZero) {
    auto& dev = Attach({.BlocksPerPage = 0, .PageCount = 3});
    Click(form.ButtonWrite);
    EXPECT_EQ(form.LastOutcome(), Outcome::Done);
    EXPECT_EQ(dev.FramesOf("04"), std::vector<std::string>(3, "k0400000004;"));
    EXPECT_TRUE(dev.FramesOf("05").empty());
}

TEST_F(MainFormTest, AGeometryBeyondTheImageOrTheEraseAddressIsRefusedBeforeAnyErase) {
    struct Case {
        int blocksPerPage, blockSize, pageCount;
        std::size_t imageBytes;
    };
    const Case cases[] = {
        {255, 255, 65535, 20'000'000},  // 4.26 GB: past the image
        {4, 128, 1000, 500'000},        // 512,000 bytes: past a shorter image
        {250, 250, 300, 20'000'000},    // inside the image, but the last page starts at 18,687,500 > 2^24
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pageCount);
        application.ClearEvents();
        auto& dev = Attach({.BlocksPerPage = 0, .BlockSize = 0, .PageCount = 0});
        form.FlashImage.assign(2 * c.imageBytes, 'F');
        dev.Settings().BlocksPerPage = c.blocksPerPage;
        dev.Settings().BlockSize = c.blockSize;
        dev.Settings().PageCount = c.pageCount;

        Click(form.ButtonWrite);

        EXPECT_EQ(form.LastOutcome(), Outcome::GeometryRefused);
        EXPECT_EQ(Messages(), std::vector<std::string>{protocol::kGeometryRefusedMessage});
        EXPECT_TRUE(dev.FramesOf("04").empty());
        EXPECT_EQ(dev.FramesOf("01").size(), 2u);
        EXPECT_FALSE(form.BComPort1.IsOpen());
        EXPECT_TRUE(form.ButtonWrite.Enabled());
    }
    // The largest geometry that fits is written.
    application.ClearEvents();
    auto& dev = Attach({.BlocksPerPage = 0, .BlockSize = 0, .PageCount = 0});
    form.FlashImage.assign(2 * 1024, 'F');
    dev.Settings().BlocksPerPage = 2;
    dev.Settings().BlockSize = 128;
    dev.Settings().PageCount = 4;
    Click(form.ButtonWrite);
    EXPECT_EQ(form.LastOutcome(), Outcome::Done);
}

TEST_F(MainFormTest, APortFaultDuringTheWriteEndsItWithThePortError) {
    auto& dev = Attach({});
    application.When([&] { return dev.FramesOf("05").size() == 1; },
                     [&] { comm.Fail(platform::fake::CommCall::WriteFile, 5); });

    Click(form.ButtonWrite);

    EXPECT_EQ(form.LastOutcome(), Outcome::SystemError);
    ASSERT_EQ(application.Events().back().kind, Event::Exception);
    EXPECT_EQ(application.Events().back().text, serial::kWriteErrorMessage);
    EXPECT_EQ(Controls(), (Enabled{false, true, false, false, false}));
    EXPECT_TRUE(form.BComPort1.IsOpen());
}

}  // namespace
}  // namespace apptest

namespace apptest {
namespace {

TEST_F(MainFormTest, ALateDeviceIsWaitedForAndGetsTheWholeImage) {
    // Answers arrive 30 ms after each frame, later than a read of 20 characters lasts: the waits
    // grow until the answers are caught, and stale answers are read as the replies to later frames.
    auto& dev = Attach({.BlocksPerPage = 4, .BlockSize = 8, .PageCount = 6, .AnswerAfterMicroseconds = 30'000});

    Click(form.ButtonWrite);

    EXPECT_EQ(form.LastOutcome(), protocol::Outcome::Done) << form.Label3.Caption();
    EXPECT_EQ(dev.Memory(), form.FlashImage);
    EXPECT_NE(form.Label3.Caption(), "Автокалібровка: 0.0.0");
}

}  // namespace
}  // namespace apptest
