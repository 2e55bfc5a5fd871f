#include "tools/mtr508-sim/PseudoTerminal.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace sim {
namespace {

std::runtime_error SystemError(const std::string& what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

}  // namespace

PseudoTerminal::PseudoTerminal(std::string linkPath) : linkPath_(std::move(linkPath)) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0) throw SystemError("posix_openpt");
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
        const auto error = SystemError("unlockpt");
        close(master_);
        throw error;
    }
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0) {
        const auto error = SystemError("ptsname");
        close(master_);
        throw error;
    }
    slavePath_ = name;

    // Raw mode set on the slave now lasts while the master lives, also across the host's opens.
    const int slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        const auto error = SystemError("open " + slavePath_);
        close(master_);
        throw error;
    }
    termios settings{};
    tcgetattr(slave, &settings);
    cfmakeraw(&settings);
    cfsetispeed(&settings, B115200);
    cfsetospeed(&settings, B115200);
    const int set = tcsetattr(slave, TCSANOW, &settings);
    close(slave);
    if (set != 0) {
        const auto error = SystemError("tcsetattr");
        close(master_);
        throw error;
    }

    // Link through a temporary name and rename, so the path never names nothing or half a link.
    const std::string temporary = linkPath_ + ".new" + std::to_string(getpid());
    unlink(temporary.c_str());
    if (symlink(slavePath_.c_str(), temporary.c_str()) != 0 || rename(temporary.c_str(), linkPath_.c_str()) != 0) {
        const auto error = SystemError("link " + linkPath_);
        unlink(temporary.c_str());
        close(master_);
        throw error;
    }
}

PseudoTerminal::~PseudoTerminal() {
    HangUp();
}

bool PseudoTerminal::HostConnected() const {
    if (master_ < 0) return false;
    pollfd probe{master_, POLLIN, 0};
    poll(&probe, 1, 0);
    return (probe.revents & POLLHUP) == 0;
}

std::string PseudoTerminal::ReadAvailable() {
    std::string received;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(master_, buffer, sizeof buffer);
        if (n > 0) {
            received.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        // EAGAIN: nothing more for now; EIO: nobody holds the slave; 0 cannot happen on a master.
        return received;
    }
}

std::size_t PseudoTerminal::Send(std::string_view bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = write(master_, bytes.data() + sent, bytes.size() - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;
        }
    }
    return sent;
}

void PseudoTerminal::DiscardUnread() {
    const int slave = open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0) return;  // the host has it again, exclusively: it reads what is there
    tcflush(slave, TCIFLUSH);
    close(slave);
}

void PseudoTerminal::HangUp() {
    if (master_ >= 0) {
        close(master_);
        master_ = -1;
    }
    RemoveLink();
}

void PseudoTerminal::RemoveLink() {
    // Only our own link: another simulator may have taken the path over since.
    char target[256];
    const ssize_t n = readlink(linkPath_.c_str(), target, sizeof target - 1);
    if (n < 0) return;
    target[n] = '\0';
    if (slavePath_ == target) unlink(linkPath_.c_str());
}

}  // namespace sim
