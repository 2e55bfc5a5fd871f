#include "tools/mtr508-sim/SimDevice.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace sim {
namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::vector<std::uint8_t>> HexBytes(std::string_view hex) {
    if (hex.size() % 2 != 0) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexDigitValue(hex[i]);
        const int low = HexDigitValue(hex[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return bytes;
}

std::uint64_t HexNumber(std::string_view hex) {
    std::uint64_t value = 0;
    for (const char c : hex) value = value * 16 + static_cast<unsigned>(HexDigitValue(c));
    return value;
}

std::string Hex(std::uint64_t value, int digits) {
    std::string text(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4) text[static_cast<std::size_t>(i)] = "0123456789ABCDEF"[value & 15];
    return text;
}

FrameResult Answer(std::string frame) {
    return FrameResult{true, std::move(frame), {}};
}

FrameResult Refused(std::string why) {
    return FrameResult{true, std::nullopt, std::move(why)};
}

FrameResult Malformed(std::string why) {
    return FrameResult{false, std::nullopt, std::move(why)};
}

}  // namespace

std::optional<std::uint8_t> HexPairSum(std::string_view hex) {
    const auto bytes = HexBytes(hex);
    if (!bytes) return std::nullopt;
    unsigned sum = 0;
    for (const auto b : *bytes) sum += b;
    return static_cast<std::uint8_t>(sum & 0xFF);
}

std::string BuildFrame(std::string_view code, std::string_view params) {
    std::string payload{code};
    payload += params;
    const auto sum = HexPairSum(payload);
    return "k" + payload + Hex(sum.value_or(0), 2) + ";";
}

std::optional<std::string> FrameSplitter::Push(char c) {
    if (c == 'k') {
        inFrame_ = true;
        overlong_ = false;
        body_.clear();
        return std::nullopt;
    }
    if (!inFrame_) return std::nullopt;
    if (c == ';') {
        inFrame_ = false;
        if (overlong_) return std::nullopt;
        return std::move(body_);
    }
    if (body_.size() >= kLongestBody) {
        overlong_ = true;
        body_.clear();
    } else if (!overlong_) {
        body_ += c;
    }
    return std::nullopt;
}

SimDevice::SimDevice(DeviceConfig config) : config_(std::move(config)) {}

FrameResult SimDevice::Receive(std::string_view body) {
    if (body.size() < 4 || body.size() % 2 != 0) return Malformed("malformed frame");
    const std::string_view payload = body.substr(0, body.size() - 2);
    const auto sum = HexPairSum(payload);
    const auto carried = HexBytes(body.substr(body.size() - 2));
    if (!sum || !carried) return Malformed("not upper-case hex digit pairs");
    if (*sum != (*carried)[0]) return Malformed("wrong sum");

    const std::string_view code = payload.substr(0, 2);
    const std::string_view params = payload.substr(2);
    const bool noParams = params.empty();
    if (code == "01" && noParams) {
        currentPage_.reset();
        staged_.reset();
        return Answer(BuildFrame("81", ""));
    }
    if (code == "02" && noParams) {
        const Geometry& g = config_.geometry;
        // The two fields after the loader version mean nothing to the host; these values are
        // odd enough that a host reading the fields at the wrong place would notice.
        return Answer(BuildFrame("82", config_.loaderVersion + "5AC3" + Hex(g.blocksPerPage, 2) +
                                           Hex(g.blockSize, 2) + Hex(g.pageCount, 4)));
    }
    if (code == "03" && noParams) {
        // The description is text, not hex: its sum is taken over its bytes as they stand.
        unsigned total = 0x83;
        for (const char c : config_.description) total += static_cast<unsigned char>(c);
        return Answer("k83" + config_.description + Hex(total & 0xFF, 2) + ";");
    }
    if (code == "04" && params.size() == 6) return Erase(params);
    if (code == "05" && params.size() == 2 + 2 * std::size_t{config_.geometry.blockSize}) return Write(params);
    if (code == "06" && noParams) return Flash();
    return Malformed("unknown command or wrong parameter length");
}

FrameResult SimDevice::Erase(std::string_view params) {
    const std::uint64_t address = HexNumber(params);
    const std::uint64_t pageBytes = config_.geometry.PageBytes();
    std::uint64_t index = 0;
    if (pageBytes != 0) {
        if (address % pageBytes != 0) return Refused("erase address is not the start of a page");
        index = address / pageBytes;
        if (index >= config_.geometry.pageCount) return Refused("erase address beyond the flash");
        pages_.erase(index);
    }
    currentPage_ = index;
    staged_.reset();
    return Answer(BuildFrame("84", params));
}

FrameResult SimDevice::Write(std::string_view params) {
    if (!currentPage_) return Refused("write before any erase");
    const auto number = static_cast<unsigned>(HexNumber(params.substr(0, 2)));
    if (number < 1 || number > config_.geometry.blocksPerPage) return Refused("block number outside the page");
    const std::uint64_t address =
        *currentPage_ * config_.geometry.PageBytes() + std::uint64_t{number - 1} * config_.geometry.blockSize;
    staged_ = StagedBlock{address, *HexBytes(params.substr(2))};
    return Answer(BuildFrame("85", params.substr(0, 2)));
}

FrameResult SimDevice::Flash() {
    if (!staged_) return Refused("flash with no block written");
    // Programming flash can only clear bits; writing the same block again changes nothing, so
    // a flash repeated after a lost reply is harmless.
    if (staged_->data.empty()) return Answer(BuildFrame("86", ""));  // blocks of 0 bytes
    const std::uint64_t pageBytes = config_.geometry.PageBytes();
    auto& page = Page(staged_->address / pageBytes);
    const std::uint64_t offset = staged_->address % pageBytes;
    for (std::size_t i = 0; i < staged_->data.size(); ++i) page[offset + i] &= staged_->data[i];
    return Answer(BuildFrame("86", ""));
}

std::vector<std::uint8_t>& SimDevice::Page(std::uint64_t index) {
    auto [it, inserted] = pages_.try_emplace(index);
    if (inserted) it->second.assign(config_.geometry.PageBytes(), 0xFF);
    return it->second;
}

void SimDevice::WriteFlash(std::ostream& out) const {
    const std::uint64_t pageBytes = config_.geometry.PageBytes();
    const std::vector<char> erased(pageBytes, static_cast<char>(0xFF));
    for (std::uint64_t index = 0; index < config_.geometry.pageCount; ++index) {
        const auto it = pages_.find(index);
        const char* data = it == pages_.end() ? erased.data() : reinterpret_cast<const char*>(it->second.data());
        out.write(data, static_cast<std::streamsize>(pageBytes));
    }
}

}  // namespace sim
