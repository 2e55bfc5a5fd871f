#include "tests/serial-pty/LinkedPorts.h"

#include <chrono>
#include <cstdlib>
#include <thread>

#ifndef _WIN32
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace serial::testing {

namespace {

#ifndef _WIN32
// A socat joining two fresh ptys, linked in a directory of its own; it ends with the program.
class SocatPair {
public:
    SocatPair() {
        char pattern[] = "/tmp/mtr508-serial-pty-XXXXXX";
        if (!mkdtemp(pattern)) return;
        directory_ = pattern;
        const std::string host = directory_ + "/host", device = directory_ + "/device";
        const std::string hostArg = "pty,rawer,link=" + host, deviceArg = "pty,rawer,link=" + device;
        char* argv[] = {const_cast<char*>("socat"), const_cast<char*>(hostArg.c_str()),
                        const_cast<char*>(deviceArg.c_str()), nullptr};
        if (posix_spawnp(&pid_, "socat", nullptr, nullptr, argv, environ) != 0) return;
        struct stat info{};
        for (int i = 0; i < 500 && (stat(host.c_str(), &info) != 0 || stat(device.c_str(), &info) != 0); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ports_ = {host, device};
    }
    ~SocatPair() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (!directory_.empty()) rmdir(directory_.c_str());
    }
    const LinkedPorts& Ports() const { return ports_; }

private:
    std::string directory_;
    pid_t pid_ = -1;
    LinkedPorts ports_;
};
#endif

LinkedPorts FromEnvironment() {
    const char* pair = std::getenv("MTR508_SERIAL_PAIR");
    if (!pair) return {};
    const std::string text = pair;
    const auto comma = text.find(',');
    if (comma == std::string::npos) return {};
    return {text.substr(0, comma), text.substr(comma + 1)};
}

}  // namespace

const LinkedPorts& TestPorts() {
    static const LinkedPorts fromEnvironment = FromEnvironment();
    if (!fromEnvironment.Host.empty()) return fromEnvironment;
#ifndef _WIN32
    static SocatPair pair;
    return pair.Ports();
#else
    return fromEnvironment;
#endif
}

}  // namespace serial::testing
