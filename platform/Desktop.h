#pragma once
// System sounds and the shell, as the windows use them.
#include <cstdint>
#include <string>

namespace platform {

inline constexpr std::uint32_t kMbIconHand = 0x10;
inline constexpr std::uint32_t kMbIconQuestion = 0x20;
inline constexpr std::uint32_t kMbIconExclamation = 0x30;
inline constexpr std::uint32_t kMbIconAsterisk = 0x40;

inline constexpr int kSwShowNormal = 1;
inline constexpr int kSwShow = 5;

class Desktop {
public:
    virtual ~Desktop() = default;
    virtual void MessageBeep(std::uint32_t type) = 0;
    virtual void Beep(std::uint32_t frequencyHz, std::uint32_t durationMs) = 0;
    // OpenWithShell (ShellExecute): verb empty for the default verb; file is a program, document or web address.
    virtual void OpenWithShell(void* ownerWindow, const std::string& verb, const std::string& file, int showCommand) = 0;
};

Desktop& SystemDesktop();

}  // namespace platform
