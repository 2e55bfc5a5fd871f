// Ctrl+Del during and outside a write, Ctrl+L, and the refusal of a second device command while
// one runs.
#include "tests/app/MainFormFixture.h"

#include "platform/Desktop.h"
#include "protocol/CancelAndReset.h"
#include "protocol/WriteFirmware.h"

namespace apptest {
namespace {

using protocol::Outcome;
using toolkit::kCtrl;
using toolkit::kShift;

TEST_F(MainFormTest, CtrlDelStopsTheWriteAtTheStartOfTheNextPage) {
    auto& dev = Attach({.BlocksPerPage = 2, .BlockSize = 4, .PageCount = 3});
    application.When([&] { return form.ProgressbarReadWrite.Progress() == 1; }, [&] { Key(toolkit::kVkDelete, kCtrl); });

    Click(form.ButtonWrite);

    EXPECT_EQ(form.LastOutcome(), Outcome::Cancelled);
    EXPECT_EQ(dev.FramesOf("04").size(), 1u);
    EXPECT_EQ(dev.Frames().back(), "k0606;");  // nothing sent after the cancel, no reset
    EXPECT_EQ(Messages(), std::vector<std::string>{protocol::kCancelledMessage});
    EXPECT_EQ(form.LabelNameOfHex.Caption(), "Зупинено користувачем");
    EXPECT_EQ(Controls(), (Enabled{true, true, true, true, true}));
    EXPECT_TRUE(form.BComPort1.IsOpen());
    EXPECT_EQ(form.ProgressbarReadWrite.Progress(), 1);
    EXPECT_TRUE(form.CancelRequested);
}

TEST_F(MainFormTest, CtrlDelStopsTheWriteAfterTheNextFailedAttempt) {
    // Pressed while block 1 of page 2 is flashed; the flash and the next write go on until the
    // device fails to acknowledge one.
    auto& dev = Attach({.BlocksPerPage = 2, .BlockSize = 4, .PageCount = 3});
    dev.Silent = [](const std::string& frame, int count) { return frame.compare(1, 2, "05") == 0 && count == 3; };
    application.When([&] { return form.ProgressbarReadWrite.Progress() == 1 && form.ProgressbarWrite.Position() == 1; },
                     [&] { Key(toolkit::kVkDelete, kCtrl); });

    Click(form.ButtonWrite);

    EXPECT_EQ(form.LastOutcome(), Outcome::Cancelled);
    EXPECT_EQ(dev.FramesOf("05").size(), 4u);
    EXPECT_EQ(dev.FramesOf("06").size(), 3u);
    EXPECT_EQ(dev.Frames().back().substr(0, 3), "k05");
    EXPECT_EQ(form.Label3.Caption(), "Автокалібровка: 0.1.0");
}

TEST_F(MainFormTest, CtrlDelWhileTheGaugeStandsAtZeroDoesNothing) {
    // During the first page of a write, and outside any command.
    auto& dev = Attach({.BlocksPerPage = 2, .BlockSize = 4, .PageCount = 2});
    application.When([&] { return form.ProgressbarWrite.Position() == 1; },
                     [&] { Key(toolkit::kVkDelete, kCtrl | kShift); });
    Click(form.ButtonWrite);
    EXPECT_EQ(form.LastOutcome(), Outcome::Done);
    EXPECT_EQ(dev.FramesOf("04").size(), 2u);
    EXPECT_FALSE(form.CancelRequested);

    application.ClearEvents();
    const Enabled before = Controls();
    Key(toolkit::kVkDelete, kCtrl);
    EXPECT_TRUE(application.Events().empty());
    EXPECT_EQ(Controls(), before);
}

TEST_F(MainFormTest, CtrlDelAtIdentificationsPumpDoesNotStopTheWriteThatFollows) {
    Attach({.PageCount = 2});
    std::int64_t gauge = -1;
    application.AtPump(1, [&] {
        gauge = form.ProgressbarReadWrite.Progress();
        Key(toolkit::kVkDelete, kCtrl);
    });

    Click(form.ButtonWrite);

    EXPECT_EQ(gauge, 50);
    EXPECT_EQ(form.LastOutcome(), Outcome::Done);
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[0], protocol::kCancelledMessage);
    EXPECT_EQ(Messages()[1].rfind(protocol::kSuccessMessageStart, 0), 0u);
}

TEST_F(MainFormTest, CtrlDelAfterAWriteErrorGivesTheControlsBack) {
    auto& dev = Attach({.BlocksPerPage = 1, .BlockSize = 4, .PageCount = 3});
    dev.Silent = [](const std::string& frame, int count) { return frame.compare(1, 2, "04") == 0 && count >= 1; };
    Click(form.ButtonWrite);
    ASSERT_EQ(form.LastOutcome(), Outcome::WriteError);
    EXPECT_EQ(Controls(), (Enabled{true, true, false, true, true}));

    application.ClearEvents();
    Key(toolkit::kVkDelete, kCtrl);
    EXPECT_EQ(Messages(), std::vector<std::string>{protocol::kCancelledMessage});
    EXPECT_EQ(Controls(), (Enabled{true, true, true, true, true}));
    EXPECT_TRUE(form.BComPort1.IsOpen());
}

TEST_F(MainFormTest, CtrlLResetsTheDeviceWhetherItAnswersOrNot) {
    for (bool present : {true, false}) {
        SCOPED_TRACE(present ? "device" : "no device");
        application.ClearEvents();
        clock.ClearSleeps();
        auto& dev = Attach({.Present = present});

        Key(toolkit::kVkL, present ? kCtrl : kCtrl | kShift);

        EXPECT_EQ(form.LastOutcome(), Outcome::Reset);
        EXPECT_EQ(dev.Frames(), (std::vector<std::string>{"k0101;", "k0101;"}));
        EXPECT_EQ(clock.Sleeps(), std::vector<std::uint32_t>{100});
        EXPECT_EQ(form.ReplyText, present ? "k8181;" : "");
        EXPECT_EQ(Beeps(), std::vector<std::uint32_t>{platform::kMbIconExclamation});
        EXPECT_EQ(Messages(), std::vector<std::string>{"Скинуто прилад!!!"});
        EXPECT_FALSE(form.BComPort1.IsOpen());
    }
}

TEST_F(MainFormTest, CtrlLOnAPortThatCannotBeOpenedReportsThePortError) {
    auto& dev = Attach({});
    comm.Fail(platform::fake::CommCall::OpenDevice, platform::kErrorFileNotFound);
    Key(toolkit::kVkL, kCtrl);
    EXPECT_EQ(form.LastOutcome(), Outcome::SystemError);
    EXPECT_EQ(Messages(), std::vector<std::string>{serial::kPortNotFoundMessage});
    EXPECT_TRUE(dev.Frames().empty());
}

TEST_F(MainFormTest, NoSecondDeviceCommandOrOpenStartsWhileAWriteRuns) {
    auto& dev = Attach({.BlocksPerPage = 2, .BlockSize = 4, .PageCount = 3});
    const std::string image = form.FlashImage;
    application.When([&] { return form.ProgressbarReadWrite.Progress() == 1 && form.ProgressbarWrite.Position() == 1; },
                     [&] {
                         // Enabled during the write, but refused.
                         Click(form.ButtonOpenHex);
                         Key(toolkit::kVkL, kCtrl);
                         Key(toolkit::kVkR, kCtrl);
                         // Ctrl+Del still works, and the buttons it enables are refused too.
                         Key(toolkit::kVkDelete, kCtrl);
                         Click(form.ButtonWrite);
                         Click(form.ButtonConect);
                     });

    Click(form.ButtonWrite);

    EXPECT_EQ(form.LastOutcome(), Outcome::Cancelled);
    const std::string busy = app::kBusyMessage;
    EXPECT_EQ(Messages(), (std::vector<std::string>{busy, busy, busy, protocol::kCancelledMessage, busy, busy}));
    EXPECT_EQ(Count(dev.Frames(), "kkkkk"), 5u);
    EXPECT_TRUE(dev.FramesOf("01").empty());
    EXPECT_EQ(registry.Opens, 0);
    for (const auto& event : application.Events()) EXPECT_NE(event.kind, Event::OpenDialog);
    EXPECT_EQ(form.FlashImage, image);
    EXPECT_TRUE(form.BComPort1.IsOpen());
}

TEST_F(MainFormTest, NoWriteStartsFromIdentificationsPump) {
    auto& dev = Attach({});
    application.AtPump(1, [&] { Click(form.ButtonWrite); });
    Click(form.ButtonConect);
    EXPECT_EQ(form.LastOutcome(), Outcome::Identified);
    EXPECT_EQ(Messages().front(), app::kBusyMessage);
    EXPECT_EQ(Count(dev.Frames(), "kkkkk"), 5u);
    EXPECT_TRUE(dev.FramesOf("04").empty());
}

}  // namespace
}  // namespace apptest
