#include "tests/support/FakeDevice.h"

#include <cstdio>

#include "image/HexByteSum.h"

namespace testsupport {
namespace {

std::string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

std::string Reply(const std::string& code, const std::string& body) {
    return "k" + code + body + image::HexByteSum(code + body) + ";";
}

}  // namespace

FakeDevice::FakeDevice(Config config) : config_(std::move(config)) {
    const std::size_t bytes = static_cast<std::size_t>(config_.PageCount) *
                              static_cast<std::size_t>(config_.BlocksPerPage) *
                              static_cast<std::size_t>(config_.BlockSize);
    memory_.assign(2 * bytes, 'F');
}

std::vector<std::string> FakeDevice::FramesOf(const std::string& code) const {
    std::vector<std::string> found;
    for (const auto& frame : frames_) {
        if (frame.size() >= 3 && frame[0] == 'k' && frame.compare(1, 2, code) == 0) found.push_back(frame);
    }
    return found;
}

void FakeDevice::Received(const std::string& bytes) {
    frames_.push_back(bytes);
    if (!config_.Present || bytes.size() < 6 || bytes[0] != 'k' || bytes.back() != ';') return;
    const std::string code = bytes.substr(1, 2);
    const std::string payload = bytes.substr(1, bytes.size() - 4);
    if (image::HexByteSum(payload) != bytes.substr(bytes.size() - 3, 2)) return;  // a bad sum: no answer
    if (Silent && Silent(bytes, static_cast<int>(FramesOf(code).size()) - 1)) return;
    const std::string answer = Answer(bytes);
    if (!answer.empty() && Deliver) Deliver(answer, config_.AnswerAfterMicroseconds);
}

std::string FakeDevice::Answer(const std::string& frame) {
    const std::string code = frame.substr(1, 2);
    if (code == "01") return Reply("81", "");
    if (code == "02") {
        return Reply("82", config_.Loader + "0000" + Hex(static_cast<unsigned>(config_.BlocksPerPage), 2) +
                               Hex(static_cast<unsigned>(config_.BlockSize), 2) +
                               Hex(static_cast<unsigned>(config_.PageCount), 4));
    }
    if (code == "03") return Reply("83", config_.Description);
    if (code == "04") {
        pageAddress_ = static_cast<std::uint32_t>(std::stoul(frame.substr(3, 6), nullptr, 16));
        return Reply("84", "");
    }
    if (code == "05") {
        const unsigned block = static_cast<unsigned>(std::stoul(frame.substr(3, 2), nullptr, 16));
        const std::string data = frame.substr(5, frame.size() - 8);
        const std::size_t at = 2 * (pageAddress_ + (block - 1) * static_cast<unsigned>(config_.BlockSize));
        if (block >= 1 && at + data.size() <= memory_.size()) memory_.replace(at, data.size(), data);
        return Reply("85", "");
    }
    if (code == "06") return Reply("86", "");
    return {};
}

}  // namespace testsupport
