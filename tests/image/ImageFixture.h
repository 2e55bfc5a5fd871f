#pragma once
// A firmware text, the gauge, the Write button and the image on a headless application with a
// virtual clock: what BuildFlashImage works on.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "image/BuildFlashImage.h"
#include "platform/fake/VirtualClock.h"
#include "toolkit/headless/HeadlessApplication.h"

namespace imagetest {

using Event = toolkit::headless::Event;

// A record line from its text without the checksum: the checksum is appended, each pair that is
// no hex number counting 0.
inline std::string Rec(const std::string& body) {
    unsigned sum = 0;
    for (std::size_t i = 1; i + 1 < body.size(); i += 2) {
        const std::string pair = body.substr(i, 2);
        if (pair.find_first_not_of("0123456789ABCDEFabcdef") == std::string::npos) sum += std::stoul(pair, nullptr, 16);
    }
    static const char* digits = "0123456789ABCDEF";
    const unsigned checksum = (256 - sum % 256) % 256;
    return body + digits[checksum >> 4] + digits[checksum & 15];
}

class ImageBuildTest : public ::testing::Test {
protected:
    toolkit::headless::HeadlessApplication app;
    toolkit::Memo text{"TextTerminal"};
    toolkit::Gauge gauge{"ProgressbarReadWrite"};
    toolkit::Button write{"ButtonWrite"};
    std::string image;
    platform::fake::VirtualClock clock;

    image::ImageBuild Parts() { return {app, text, gauge, write, image, clock}; }

    // Runs BuildFlashImage as a command does: an error goes to the default error handler, and
    // then there is no result.
    std::optional<bool> Build(const std::string& firmware) {
        text.SetText(firmware);
        std::optional<bool> result;
        app.Run([&] { result = image::BuildFlashImage(Parts()); });
        return result;
    }

    // The two characters of the byte at address.
    std::string Byte(std::size_t address) const { return image.substr(2 * address, 2); }

    // Every character of the image is "F" except those of the bytes given.
    bool ErasedBut(std::initializer_list<std::pair<std::size_t, std::string>> bytes) const {
        std::string expected(2 * image::kImageBytes, 'F');
        for (const auto& [address, pair] : bytes) expected.replace(2 * address, 2, pair);
        return image == expected;
    }
};

}  // namespace imagetest
