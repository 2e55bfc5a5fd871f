#pragma once
// The main window on the headless application, the fake comm and the virtual clock, with a fake
// device behind the line. Start-up is done by hand (one port, 115200, a small image) so that each
// test starts in the state the window's start-up leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "platform/fake/FakeCommApi.h"
#include "platform/fake/FakeSerialCommRegistry.h"
#include "platform/fake/VirtualClock.h"
#include "tests/support/FakeDevice.h"
#include "toolkit/headless/HeadlessApplication.h"

namespace apptest {

using toolkit::headless::Event;

// The enabled state of the five command controls.
struct Enabled {
    bool conect, openHex, write, port, baud;
    bool operator==(const Enabled&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Enabled& e) {
    return out << "{conect " << e.conect << ", openHex " << e.openHex << ", write " << e.write << ", port " << e.port
               << ", baud " << e.baud << "}";
}

class MainFormTest : public ::testing::Test {
protected:
    MainFormTest() {
        registry.Values = {{"\\Device\\Serial0", "ttyFAKE0"}};
        form.cbPort.SetItems({"ttyFAKE0"});
        form.cbPort.SetItemIndex(0);
        form.cbBaudRate.SetItemIndex(app::kBaudRateItem115200);
        form.ShowAboutWindow = [this] { ++aboutShown; };
        comm.OnWrite = [this](std::string_view bytes) {
            if (device) device->Received(std::string(bytes));
        };
    }

    // A device with this configuration on the line, and an image whose every byte differs.
    testsupport::FakeDevice& Attach(testsupport::FakeDevice::Config config) {
        device = std::make_unique<testsupport::FakeDevice>(std::move(config));
        device->Deliver = [this](const std::string& bytes, std::int64_t after) { comm.Deliver(bytes, after); };
        const auto& settings = device->Settings();
        const std::size_t bytes = static_cast<std::size_t>(settings.PageCount) * settings.BlocksPerPage *
                                  static_cast<std::size_t>(settings.BlockSize);
        form.FlashImage.clear();
        for (std::size_t i = 0; i < bytes; ++i) {
            static constexpr char kDigits[] = "0123456789ABCDEF";
            form.FlashImage += kDigits[(i >> 4) & 0xF];
            form.FlashImage += kDigits[i & 0xF];
        }
        return *device;
    }

    // The user's click or key, run as the message loop runs a handler.
    void Click(toolkit::Button& button) {
        application.Run([&] { button.Click(); });
    }
    void Key(std::uint16_t key, unsigned shift) {
        application.Run([&] { form.FormKeyDown(key, shift); });
    }

    std::vector<std::string> Messages() const { return application.Messages(); }
    std::vector<std::uint32_t> Beeps() const {
        std::vector<std::uint32_t> beeps;
        for (const auto& event : application.Events()) {
            if (event.kind == Event::MessageBeep) beeps.push_back(event.value);
        }
        return beeps;
    }
    std::size_t Count(const std::vector<std::string>& items, const std::string& item) const {
        return static_cast<std::size_t>(std::count(items.begin(), items.end(), item));
    }

    Enabled Controls() const {
        return {form.ButtonConect.Enabled(), form.ButtonOpenHex.Enabled(), form.ButtonWrite.Enabled(),
                form.cbPort.Enabled(), form.cbBaudRate.Enabled()};
    }

    platform::fake::VirtualClock clock;
    platform::fake::FakeCommApi comm{clock};
    platform::fake::FakeSerialCommRegistry registry;
    toolkit::headless::HeadlessApplication application;
    app::TMainForm form{{application, clock, comm, registry}};
    std::unique_ptr<testsupport::FakeDevice> device;
    int aboutShown = 0;
};

}  // namespace apptest
