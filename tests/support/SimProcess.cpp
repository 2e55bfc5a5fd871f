#include "tests/support/SimProcess.h"

#if !defined(_WIN32)

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace test_support {
namespace {

constexpr auto kReadyLimit = std::chrono::seconds(20);
constexpr auto kStopLimit = std::chrono::seconds(20);

int StatusCode(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Reads the child's stdout until a line starting with "ready" or the deadline; false if the
// pipe closed first (the simulator ended).
bool WaitForReadyLine(int fd, std::chrono::steady_clock::time_point deadline) {
    std::string seen;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        char buffer[256];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) return false;
        seen.append(buffer, static_cast<std::size_t>(n));
        std::istringstream lines(seen);
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("ready", 0) == 0 && !lines.eof()) return true;
        }
    }
}

}  // namespace

std::string SimProcess::ProgramPath() {
    const char* path = std::getenv("MTR508_SIM");
    if (path == nullptr || *path == '\0') throw std::runtime_error("MTR508_SIM is not set: the path of mtr508-sim");
    return path;
}

SimProcess::SimProcess(const std::vector<std::string>& options) {
    const std::string program = ProgramPath();
    std::string pattern = (std::filesystem::temp_directory_path() / "mtr508-sim-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed: " + std::string(std::strerror(errno)));
    folder_ = pattern;
    linkPath_ = folder_ + "/ttySIM";
    flashPath_ = folder_ + "/flash.bin";
    logPath_ = folder_ + "/sim.log";

    std::vector<std::string> arguments{program, "--link", linkPath_, "--flash-out", flashPath_};
    arguments.insert(arguments.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, logPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int spawned = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        pid_ = -1;
        std::filesystem::remove_all(folder_);
        throw std::runtime_error("cannot start " + program + ": " + std::strerror(spawned));
    }
    const bool ready = WaitForReadyLine(out[0], std::chrono::steady_clock::now() + kReadyLimit);
    close(out[0]);
    if (!ready) {
        const int status = Running() ? Stop(SIGKILL) : exitStatus_;
        const std::string log = Log();
        std::filesystem::remove_all(folder_);
        throw std::runtime_error("mtr508-sim did not get ready (exit status " + std::to_string(status) + "): " + log);
    }
}

SimProcess::~SimProcess() {
    try {
        if (Running()) Stop(SIGTERM);
    } catch (...) {
        // A destructor must not throw; Stop has already killed a simulator that would not end.
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

bool SimProcess::Running() {
    if (pid_ < 0) return false;
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
        exitStatus_ = StatusCode(status);
        pid_ = -1;
        return false;
    }
    return true;
}

int SimProcess::WaitForExit(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (Running()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            throw std::runtime_error("mtr508-sim did not end within " + std::to_string(limit.count()) + " ms");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return exitStatus_;
}

int SimProcess::Stop(int signal) {
    if (!Running()) return exitStatus_;
    kill(pid_, signal);
    try {
        return WaitForExit(std::chrono::duration_cast<std::chrono::milliseconds>(kStopLimit));
    } catch (const std::runtime_error&) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
        throw;
    }
}

std::vector<std::uint8_t> SimProcess::Flash() const {
    std::ifstream in(flashPath_, std::ios::binary);
    if (!in) throw std::runtime_error("mtr508-sim left no flash file at " + flashPath_);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string SimProcess::Log() const {
    return ReadWholeFile(logPath_);
}

}  // namespace test_support

#endif
