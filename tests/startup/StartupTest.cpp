#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/MainForm.h"
#include "platform/fake/FakeSerialCommRegistry.h"
#include "platform/fake/VirtualClock.h"
#include "resources/BuiltInFirmware.h"
#include "serial/EComPort.h"
#include "toolkit/headless/HeadlessApplication.h"

namespace {

using toolkit::headless::Event;

// Start-up never touches the serial line: any call of the comm interface fails the test.
class NoCommApi : public platform::CommApi {
public:
    MOCK_METHOD(std::uint32_t, LastError, (), (override));
    MOCK_METHOD(platform::CommHandle, OpenDevice, (const std::string&), (override));
    MOCK_METHOD(bool, CloseHandle, (platform::CommHandle), (override));
    MOCK_METHOD(bool, SetupComm, (platform::CommHandle, std::uint32_t, std::uint32_t), (override));
    MOCK_METHOD(bool, SetCommState, (platform::CommHandle, const platform::Dcb&), (override));
    MOCK_METHOD(bool, SetCommTimeouts, (platform::CommHandle, const platform::CommTimeouts&), (override));
    MOCK_METHOD(bool, EscapeCommFunction, (platform::CommHandle, std::uint32_t), (override));
    MOCK_METHOD(bool, PurgeComm, (platform::CommHandle, std::uint32_t), (override));
    MOCK_METHOD(bool, ClearCommError, (platform::CommHandle, std::uint32_t*, platform::CommStatus*), (override));
    MOCK_METHOD(bool, GetCommModemStatus, (platform::CommHandle, std::uint32_t*), (override));
    MOCK_METHOD(bool, SetCommMask, (platform::CommHandle, std::uint32_t), (override));
    MOCK_METHOD(bool, WaitCommEvent, (platform::CommHandle, std::uint32_t*, platform::Overlapped*), (override));
    MOCK_METHOD(bool, ReadFile, (platform::CommHandle, void*, std::uint32_t, platform::Overlapped*), (override));
    MOCK_METHOD(bool, WriteFile, (platform::CommHandle, const void*, std::uint32_t, platform::Overlapped*),
                (override));
    MOCK_METHOD(bool, GetOverlappedResult, (platform::CommHandle, platform::Overlapped*, std::uint32_t*, bool),
                (override));
    MOCK_METHOD(platform::EventHandle, NewEvent, (bool, bool), (override));
    MOCK_METHOD(bool, SetEvent, (platform::EventHandle), (override));
    MOCK_METHOD(bool, CloseEvent, (platform::EventHandle), (override));
    MOCK_METHOD(std::uint32_t, WaitForSingleObject, (platform::EventHandle, std::uint32_t), (override));
    MOCK_METHOD(std::uint32_t, WaitForMultipleObjects, (std::uint32_t, const platform::EventHandle*, bool, std::uint32_t),
                (override));
};

std::vector<std::string> CrLfLines(std::string_view text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find("\r\n", start);
        lines.emplace_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// The first 65,536 bytes of device memory as the built-in firmware gives them, read straight from
// its data records (the text has no other record that moves the base).
std::string FirmwareBytesBelow64K() {
    std::string memory(2 * 65536, 'F');
    for (const std::string& line : CrLfLines(resources::BuiltInFirmwareText())) {
        if (line.substr(7, 2) != "00") continue;
        const std::size_t count = std::stoul(line.substr(1, 2), nullptr, 16);
        const std::size_t address = std::stoul(line.substr(3, 4), nullptr, 16);
        memory.replace(2 * address, 2 * count, line.substr(9, 2 * count));
    }
    return memory;
}

class StartupTest : public ::testing::Test {
protected:
    toolkit::headless::HeadlessApplication app;
    platform::fake::VirtualClock clock;
    testing::StrictMock<NoCommApi> comm;
    platform::fake::FakeSerialCommRegistry registry;
    app::TMainForm form{{app, clock, comm, registry}};

    void SetPorts(std::vector<std::string> ports) {
        registry.Values.clear();
        for (std::size_t i = 0; i < ports.size(); ++i) {
            registry.Values.push_back({"\\Device\\Serial" + std::to_string(i), ports[i]});
        }
    }
    void Start() {
        app.Run([&] { form.FormCreate(); });
    }
};

TEST_F(StartupTest, BuiltInFirmwareMakesTheProgramReady) {
    SetPorts({"COM3", "COM10", "COM1"});
    const serial::TBaudRate resourceRate = form.BComPort1.BaudRate();
    Start();
    EXPECT_EQ(app.Events(), (std::vector<Event>{{Event::BringToFront, {}}, {Event::MessageBeep, {}, 0x40}}));
    EXPECT_EQ(app.Title(), "MT-R508 Bootloader (від 15.11.17)");
    EXPECT_EQ(form.Caption(), "MT-R508 Bootloader (від 15.11.17)");
    EXPECT_EQ(form.cbPort.Items(), (std::vector<std::string>{"COM1", "COM10", "COM3"}));
    EXPECT_EQ(form.cbPort.ItemIndex(), 0);
    EXPECT_EQ(form.cbBaudRate.ItemIndex(), 12);
    EXPECT_EQ(form.cbBaudRate.Text(), "115200");
    // Selecting from code runs no change handler: the port keeps the rate of the window's definition.
    EXPECT_EQ(form.BComPort1.BaudRate(), resourceRate);
    EXPECT_NE(form.BComPort1.BaudRate(), serial::br115200);
    EXPECT_EQ(form.MemoAbout.Text(), "");
    EXPECT_EQ(form.ProgressbarReadWrite.Progress(), 0);
    EXPECT_EQ(form.LabelNameOfHex.Caption(), "Мікропрограма готова до запису");
    EXPECT_TRUE(form.ButtonWrite.Enabled());
    EXPECT_EQ(form.TextTerminal.Text(), resources::BuiltInFirmwareText());

    ASSERT_EQ(form.FlashImage.size(), 40'000'000u);
    EXPECT_TRUE(form.FlashImage.compare(0, 131'072, FirmwareBytesBelow64K()) == 0);
    EXPECT_EQ(form.FlashImage.find_first_not_of('F', 131'072), std::string::npos);
    EXPECT_EQ(form.FlashImage.substr(2 * 0x6800, 24), "55AAAA553137313131350200");
}

TEST_F(StartupTest, EmptyPortListSelectsNothingAndStartUpGoesOn) {
    Start();
    EXPECT_TRUE(form.cbPort.Items().empty());
    EXPECT_EQ(form.cbPort.ItemIndex(), -1);
    EXPECT_EQ(form.cbBaudRate.ItemIndex(), 12);
    EXPECT_TRUE(app.Messages().empty());
    EXPECT_EQ(form.LabelNameOfHex.Caption(), "Мікропрограма готова до запису");
}

TEST_F(StartupTest, BadLineInTheBuiltInTextIsReportedAndNoImageIsBuilt) {
    SetPorts({"COM1"});
    std::vector<std::string> lines = CrLfLines(resources::BuiltInFirmwareText());
    const std::size_t k = 700;
    std::string& line = lines[k - 1];
    line.back() = line.back() == '0' ? '1' : '0';  // a wrong checksum
    form.TextTerminal.SetLines(lines);
    form.ButtonWrite.SetEnabled(false);
    const std::string memoText = form.MemoAbout.Text();

    Start();
    EXPECT_EQ(app.Events(),
              (std::vector<Event>{{Event::MessageBeep, {}, 0x10},
                                  {Event::Message, "Помилка контрольної суми у строці мікропрограми: 700! (" + line + ")"}}));
    EXPECT_EQ(form.LabelNameOfHex.Caption(), "Визначте прилад");
    EXPECT_TRUE(form.FlashImage.empty());
    EXPECT_FALSE(form.ButtonWrite.Enabled());
    // The steps before the build are done.
    EXPECT_EQ(form.cbPort.ItemIndex(), 0);
    EXPECT_NE(memoText, "");
    EXPECT_EQ(form.MemoAbout.Text(), "");
}

TEST_F(StartupTest, MissingPortListIsReportedAndEndsStartUp) {
    registry.KeyMissing = true;
    const std::string memoText = form.MemoAbout.Text();
    form.ProgressbarReadWrite.SetProgress(5);
    Start();
    EXPECT_EQ(app.Events(), (std::vector<Event>{{Event::Exception, serial::kRegistryErrorMessage}}));
    EXPECT_EQ(app.Title(), "MT-R508 Bootloader (від 15.11.17)");  // the step before
    EXPECT_TRUE(form.cbPort.Items().empty());
    EXPECT_EQ(form.cbPort.ItemIndex(), -1);
    EXPECT_EQ(form.cbBaudRate.ItemIndex(), -1);
    EXPECT_EQ(form.MemoAbout.Text(), memoText);
    EXPECT_EQ(form.ProgressbarReadWrite.Progress(), 5);
    EXPECT_TRUE(form.FlashImage.empty());
    EXPECT_EQ(form.LabelNameOfHex.Caption(), "Визначте прилад");
    EXPECT_TRUE(form.ButtonWrite.Enabled());
}

}  // namespace
