#pragma once
// A small simulated MT-R508 bootloader for tests over the fake comm: it reads the frames the host
// writes and answers them, keeps the blocks written into its memory, and misbehaves on request
// (never answers, refuses chosen frames, answers late).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

class FakeDevice {
public:
    struct Config {
        std::string Loader = "02";
        int BlocksPerPage = 2;
        int BlockSize = 4;
        int PageCount = 3;
        std::string Description = "171114";  // 1251 bytes
        bool Present = true;                // false: answers nothing at all
        std::int64_t AnswerAfterMicroseconds = 500;
    };

    explicit FakeDevice(Config config);

    // Where the device's answers go: the bytes and how long after the frame they arrive.
    std::function<void(const std::string& bytes, std::int64_t afterMicroseconds)> Deliver;

    // Decides per frame (counted from 0 among the frames of its command code) whether the device
    // stays silent; not set: it answers everything.
    std::function<bool(const std::string& frame, int countOfItsCode)> Silent;

    // What the host wrote: one entry per write.
    void Received(const std::string& bytes);

    const std::vector<std::string>& Frames() const { return frames_; }
    // The frames whose command code is code ("04", ...), in order.
    std::vector<std::string> FramesOf(const std::string& code) const;
    // The device's memory from address 0, as hex digit pairs, "FF" where nothing was written.
    const std::string& Memory() const { return memory_; }

    Config& Settings() { return config_; }

private:
    std::string Answer(const std::string& frame);

    Config config_;
    std::vector<std::string> frames_;
    std::string memory_;
    std::uint32_t pageAddress_ = 0;
};

}  // namespace testsupport
