#pragma once
// The simulated MT-R508 bootloader: splits the bytes from the line into frames and answers them
// as the device does. No I/O here; main.cpp moves the bytes and decides when answers go out.

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct Geometry {
    unsigned blocksPerPage = 4;  // 0..255
    unsigned blockSize = 128;    // 0..255
    unsigned pageCount = 128;    // 0..65535

    std::uint64_t PageBytes() const { return std::uint64_t{blocksPerPage} * blockSize; }
    std::uint64_t FlashBytes() const { return PageBytes() * pageCount; }
};

struct DeviceConfig {
    Geometry geometry;
    std::string loaderVersion = "02";  // two hex digits
    std::string description = "171001";  // bytes sent as they stand
};

// Collects what lies between a "k" and the next ";". Every "k" starts a frame afresh, so the
// wake-up "kkkkk" and a frame cut short never swallow the frame that follows them.
class FrameSplitter {
public:
    // Returns the body of a frame (code, parameters and sum) when `c` completes one.
    std::optional<std::string> Push(char c);

private:
    static constexpr std::size_t kLongestBody = 1024;
    bool inFrame_ = false;
    bool overlong_ = false;
    std::string body_;
};

struct FrameResult {
    bool wellFormed = false;            // a frame of a known command with a correct sum and layout
    std::optional<std::string> answer;  // what the device sends back, if anything
    std::string note;                   // why nothing is answered, for the log
};

class SimDevice {
public:
    explicit SimDevice(DeviceConfig config);

    FrameResult Receive(std::string_view body);

    const DeviceConfig& Config() const { return config_; }
    // The whole flash, PageCount x BlocksPerPage x BlockSize bytes; 0xFF where erased.
    void WriteFlash(std::ostream& out) const;

private:
    FrameResult Erase(std::string_view params);
    FrameResult Write(std::string_view params);
    FrameResult Flash();
    std::vector<std::uint8_t>& Page(std::uint64_t index);

    DeviceConfig config_;
    // Pages that hold anything but 0xFF; a page not in the map reads as erased. Kept sparse so
    // that a geometry far larger than any image can still be announced.
    std::map<std::uint64_t, std::vector<std::uint8_t>> pages_;
    std::optional<std::uint64_t> currentPage_;  // set by an erase, cleared by a reset
    struct StagedBlock {
        std::uint64_t address;
        std::vector<std::uint8_t> data;
    };
    std::optional<StagedBlock> staged_;
};

// "k" + code + params + sum + ";", the sum being the 8-bit sum of the bytes the hex pairs denote.
std::string BuildFrame(std::string_view code, std::string_view params);
// The sum of the bytes that a text of hex digit pairs denotes, modulo 256; nothing when the text
// is not made of upper-case hex digit pairs.
std::optional<std::uint8_t> HexPairSum(std::string_view hex);

}  // namespace sim
