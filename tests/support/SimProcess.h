#pragma once
// Runs the simulated device (mtr508-sim, found through the environment variable MTR508_SIM) on a
// fresh link in a temporary folder for the length of a test. Linux only: the simulator is a
// pseudo-terminal program.

#if !defined(_WIN32)

#include <chrono>
#include <csignal>
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

namespace test_support {

class SimProcess {
public:
    // Starts the simulator with these options (besides --link and --flash-out, which it adds)
    // and returns once the link exists. Throws std::runtime_error, with the simulator's log,
    // when it does not get ready.
    explicit SimProcess(const std::vector<std::string>& options = {});
    // Stops a simulator still running and removes the temporary folder.
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The path to open as the device's serial port.
    const std::string& LinkPath() const { return linkPath_; }
    const std::string& FlashPath() const { return flashPath_; }

    // Sends the signal and waits for the simulator to end; returns its exit status (128 + the
    // signal's number when a signal ended it).
    int Stop(int signal = SIGTERM);
    // Waits for the simulator to end by itself (after a hang-up); throws on time-out.
    int WaitForExit(std::chrono::milliseconds limit);
    bool Running();

    // The device's flash as the simulator saved it when it ended.
    std::vector<std::uint8_t> Flash() const;
    // What the simulator wrote to stderr so far (its frame log is there with --verbose).
    std::string Log() const;

    // The simulator's program, from MTR508_SIM; throws when the variable is not set.
    static std::string ProgramPath();

private:
    std::string folder_;
    std::string linkPath_;
    std::string flashPath_;
    std::string logPath_;
    pid_t pid_ = -1;
    int exitStatus_ = -1;
};

}  // namespace test_support

#endif
