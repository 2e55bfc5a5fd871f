// Sounds go to the terminal bell when there is one; the shell is xdg-open, started detached.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "platform/Desktop.h"

extern char** environ;

namespace platform {
namespace {

class PosixDesktop final : public Desktop {
public:
    void MessageBeep(std::uint32_t) override { Bell(); }
    void Beep(std::uint32_t, std::uint32_t durationMs) override {
        Bell();
        usleep(durationMs * 1000);
    }
    void OpenWithShell(void*, const std::string&, const std::string& file, int) override {
        std::string program = "xdg-open";
        if (file == "devmgmt.msc") return;  // Linux has no Device Manager to start
        char* argv[] = {program.data(), const_cast<char*>(file.c_str()), nullptr};
        pid_t child = 0;
        if (posix_spawnp(&child, "xdg-open", nullptr, nullptr, argv, environ) == 0) waitpid(child, nullptr, WNOHANG);
    }

private:
    static void Bell() {
        if (isatty(STDERR_FILENO)) {
            std::fputc('\a', stderr);
            std::fflush(stderr);
        }
    }
};

}  // namespace

Desktop& SystemDesktop() {
    static PosixDesktop desktop;
    return desktop;
}

}  // namespace platform
