// mtr508-sim: a simulated MT-R508 bootloader on a pseudo-terminal, for tests and ./run.
// It answers the bootloader's frames, keeps the device's flash, and misbehaves on request:
// late, lost or garbled answers, a hang-up after a number of frames.

#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <getopt.h>
#include <iostream>
#include <optional>
#include <poll.h>
#include <random>
#include <stdexcept>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>

#include "tools/mtr508-sim/PseudoTerminal.h"
#include "tools/mtr508-sim/SimDevice.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kExitUsage = 2;
constexpr int kExitFailure = 1;

constexpr const char* kUsage =
    "usage: mtr508-sim --link PATH [options]\n"
    "  --link PATH             symbolic link to the pseudo-terminal (replaced; removed at exit)\n"
    "  --blocks-per-page N     write blocks in an erase page, 0..255 (default 4)\n"
    "  --block-size N          bytes in a write block, 0..255 (default 128)\n"
    "  --pages N               erase pages, 0..65535 (default 128)\n"
    "  --loader XX             bootloader version, two upper-case hex digits (default 02)\n"
    "  --describe TEXT         the device's description, sent as given (default 171001)\n"
    "  --answer-after MS       wait before every answer, 0..60000 ms (default 0)\n"
    "  --drop-rate P           fraction of answers lost, 0..1 (default 0)\n"
    "  --garbage-rate P        fraction of the other answers replaced by line noise, 0..1 (default 0)\n"
    "  --seed S                seed of the losses (default 1)\n"
    "  --hangup-after FRAMES   after that many well-formed frames (the last one answered), hang up\n"
    "                          the line and exit\n"
    "  --flash-out FILE        write the flash there on SIGTERM, SIGINT or hang-up\n"
    "  --verbose               log frames to stderr\n"
    "Prints \"ready <pty>\" on stdout once the link exists.\n";

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Options {
    std::string link;
    sim::DeviceConfig device;
    unsigned answerAfterMs = 0;
    double dropRate = 0;
    double garbageRate = 0;
    std::uint64_t seed = 1;
    std::optional<std::uint64_t> hangupAfter;
    std::string flashOut;
    bool verbose = false;
};

std::uint64_t ParseNumber(const char* option, const char* text, std::uint64_t low, std::uint64_t high) {
    std::uint64_t value = 0;
    const char* end = text + std::strlen(text);
    const auto [last, error] = std::from_chars(text, end, value);
    if (error != std::errc{} || last != end || *text == '\0' || value < low || value > high) {
        throw UsageError(std::string(option) + " needs a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not '" + text + "'");
    }
    return value;
}

double ParseRate(const char* option, const char* text) {
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text, &end);
    if (*text == '\0' || *end != '\0' || errno != 0 || !(value >= 0 && value <= 1)) {
        throw UsageError(std::string(option) + " needs a number from 0 to 1, not '" + text + "'");
    }
    return value;
}

Options ParseOptions(int argc, char** argv) {
    enum { kLink = 1, kBlocksPerPage, kBlockSize, kPages, kLoader, kDescribe, kAnswerAfter, kDropRate, kGarbageRate, kSeed,
           kHangupAfter, kFlashOut, kVerbose, kHelp };
    static const option longOptions[] = {
        {"link", required_argument, nullptr, kLink},
        {"blocks-per-page", required_argument, nullptr, kBlocksPerPage},
        {"block-size", required_argument, nullptr, kBlockSize},
        {"pages", required_argument, nullptr, kPages},
        {"loader", required_argument, nullptr, kLoader},
        {"describe", required_argument, nullptr, kDescribe},
        {"answer-after", required_argument, nullptr, kAnswerAfter},
        {"drop-rate", required_argument, nullptr, kDropRate},
        {"garbage-rate", required_argument, nullptr, kGarbageRate},
        {"seed", required_argument, nullptr, kSeed},
        {"hangup-after", required_argument, nullptr, kHangupAfter},
        {"flash-out", required_argument, nullptr, kFlashOut},
        {"verbose", no_argument, nullptr, kVerbose},
        {"help", no_argument, nullptr, kHelp},
        {nullptr, 0, nullptr, 0},
    };
    Options options;
    opterr = 0;
    for (;;) {
        const int index = optind;
        const int c = getopt_long(argc, argv, "", longOptions, nullptr);
        if (c == -1) break;
        switch (c) {
        case kLink: options.link = optarg; break;
        case kBlocksPerPage:
            options.device.geometry.blocksPerPage = static_cast<unsigned>(ParseNumber("--blocks-per-page", optarg, 0, 255));
            break;
        case kBlockSize:
            options.device.geometry.blockSize = static_cast<unsigned>(ParseNumber("--block-size", optarg, 0, 255));
            break;
        case kPages: options.device.geometry.pageCount = static_cast<unsigned>(ParseNumber("--pages", optarg, 0, 65535)); break;
        case kLoader:
            options.device.loaderVersion = optarg;
            if (options.device.loaderVersion.size() != 2 || !sim::HexPairSum(options.device.loaderVersion)) {
                throw UsageError(std::string("--loader needs two upper-case hex digits, not '") + optarg + "'");
            }
            break;
        case kDescribe: options.device.description = optarg; break;
        case kAnswerAfter: options.answerAfterMs = static_cast<unsigned>(ParseNumber("--answer-after", optarg, 0, 60000)); break;
        case kDropRate: options.dropRate = ParseRate("--drop-rate", optarg); break;
        case kGarbageRate: options.garbageRate = ParseRate("--garbage-rate", optarg); break;
        case kSeed: options.seed = ParseNumber("--seed", optarg, 0, UINT64_MAX); break;
        case kHangupAfter: options.hangupAfter = ParseNumber("--hangup-after", optarg, 1, UINT64_MAX); break;
        case kFlashOut: options.flashOut = optarg; break;
        case kVerbose: options.verbose = true; break;
        case kHelp:
            std::cout << kUsage;
            std::exit(0);
        default: throw UsageError(std::string("unknown option or missing value: ") + argv[index]);
        }
    }
    if (optind < argc) throw UsageError(std::string("unexpected argument: ") + argv[optind]);
    if (options.link.empty()) throw UsageError("--link PATH is required");
    return options;
}

// Bytes as a log line: printable ASCII as it is, everything else as \xNN.
std::string Printable(std::string_view bytes) {
    std::string text;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F) {
            text += c;
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", u);
            text += escaped;
        }
    }
    return text;
}

void WriteFlashFile(const std::string& path, const sim::SimDevice& device) {
    // Written beside and renamed, so a reader never sees half a flash.
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        device.WriteFlash(out);
        out.close();
        if (!out) throw std::runtime_error("cannot write " + temporary);
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        throw std::runtime_error("cannot rename " + temporary + " to " + path + ": " + std::strerror(errno));
    }
}

class Simulator {
public:
    static constexpr auto kLinger = std::chrono::milliseconds(500);
    static constexpr auto kIdleLook = std::chrono::milliseconds(5);

    Simulator(Options options, int signalFd)
        : options_(std::move(options)), device_(options_.device), line_(options_.link), signalFd_(signalFd),
          losses_(options_.seed), noise_(options_.seed ^ 0x9E3779B97F4A7C15u) {}

    const std::string& SlavePath() const { return line_.SlavePath(); }

    // Serves the line until a stop signal or the hang-up; returns the exit status.
    int Run() {
        bool connected = false;
        for (;;) {
            if (HangUpDue(connected)) return Finish("hanging up");

            // Without a host the master reports a hang-up at once and for good: look again a
            // little later instead of spinning on it.
            pollfd fds[2] = {{connected ? line_.MasterFd() : -1, POLLIN, 0}, {signalFd_, POLLIN, 0}};
            int timeoutMs = connected ? -1 : static_cast<int>(kIdleLook.count());
            std::optional<SteadyClock::time_point> wake = lingerUntil_;
            if (!pending_.empty() && (!wake || pending_.front().due < *wake)) wake = pending_.front().due;
            if (connected && wake) {
                const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*wake - SteadyClock::now());
                timeoutMs = static_cast<int>(std::max<std::int64_t>(0, wait.count()));
            }
            if (poll(fds, 2, timeoutMs) < 0 && errno != EINTR) throw std::runtime_error("poll failed");
            if (fds[1].revents & POLLIN) {
                signalfd_siginfo info{};
                const bool known = read(signalFd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info);
                return Finish(known ? "stopped by signal " + std::to_string(info.ssi_signo) : "stopped by a signal");
            }

            const std::string received = line_.ReadAvailable();
            if (!received.empty()) Receive(received);

            const bool nowConnected = line_.HostConnected();
            if (connected != nowConnected) Log(nowConnected ? "host opened the port" : "host closed the port");
            if (!nowConnected) {
                // A closed port hears nothing: answers on their way are lost, and what was
                // delivered but not read goes with the port.
                pending_.clear();
                if (connected) line_.DiscardUnread();
            }
            connected = nowConnected;
            if (connected) SendDueAnswers();
        }
    }

private:
    struct PendingAnswer {
        SteadyClock::time_point due;
        std::string bytes;
    };

    bool HangingUp() const { return framesUntilHangup_ && *framesUntilHangup_ == 0; }

    // After the last frame the device answers it, then hangs up once the host has had a moment
    // to read the answer: when the host sends anything more, closes the port, or after kLinger.
    // (Closing the master at once would throw away the answer still unread on the slave.)
    bool HangUpDue(bool connected) {
        if (!HangingUp()) return false;
        if (!connected || heardAfterLastFrame_) return true;
        if (!pending_.empty()) return false;
        if (!lingerUntil_) lingerUntil_ = SteadyClock::now() + kLinger;
        return SteadyClock::now() >= *lingerUntil_;
    }

    void Receive(std::string_view bytes) {
        for (const char c : bytes) {
            if (HangingUp()) {
                heardAfterLastFrame_ = true;
                return;
            }
            auto body = splitter_.Push(c);
            if (!body) continue;
            const auto result = device_.Receive(*body);
            std::string entry = "<- k" + Printable(*body) + ";";
            if (result.wellFormed && framesUntilHangup_) --*framesUntilHangup_;
            if (!result.answer) {
                Log(entry + "  (no answer: " + result.note + ")");
                continue;
            }
            if (Draw(losses_) < options_.dropRate) {
                Log(entry + "  (answer lost: " + Printable(*result.answer) + ")");
                continue;
            }
            std::string answer = *result.answer;
            if (Draw(noise_) < options_.garbageRate) {
                answer = Noise(answer.size());
                Log(entry + "  (answer garbled: " + Printable(*result.answer) + ")");
            } else {
                Log(entry);
            }
            pending_.push_back({SteadyClock::now() + std::chrono::milliseconds(options_.answerAfterMs), std::move(answer)});
        }
    }

    static double Draw(std::mt19937_64& generator) {
        return static_cast<double>(generator() >> 11) * 0x1.0p-53;  // uniform in [0, 1)
    }

    // Printable characters, but never "k" or ";", so that noise can neither start nor end a reply.
    std::string Noise(std::size_t length) {
        static constexpr std::string_view kAlphabet = "0123456789ABCDEFGHIJ#$%&*+-=?@abcdefghij";
        std::string noise(length, ' ');
        for (auto& c : noise) c = kAlphabet[noise_() % kAlphabet.size()];
        return noise;
    }

    void SendDueAnswers() {
        const auto now = SteadyClock::now();
        while (!pending_.empty() && pending_.front().due <= now) {
            const std::string& bytes = pending_.front().bytes;
            const std::size_t sent = line_.Send(bytes);
            Log("-> " + Printable(bytes) + (sent < bytes.size() ? "  (line full, " + std::to_string(bytes.size() - sent) + " bytes lost)" : ""));
            pending_.pop_front();
        }
    }

    void SaveFlash() {
        if (!options_.flashOut.empty()) WriteFlashFile(options_.flashOut, device_);
    }

    // Hangs up the line (the host sees it at once) and then saves the flash.
    int Finish(const std::string& why) {
        Log(why);
        line_.HangUp();
        SaveFlash();
        return 0;
    }

    void Log(const std::string& text) {
        if (options_.verbose) std::cerr << "mtr508-sim: " << text << std::endl;
    }

    Options options_;
    sim::SimDevice device_;
    sim::PseudoTerminal line_;
    sim::FrameSplitter splitter_;
    int signalFd_;
    std::mt19937_64 losses_;  // one draw per answer, so a seed loses the same answers every run
    std::mt19937_64 noise_;   // drawn apart, so that noise does not change which answers are lost
    std::deque<PendingAnswer> pending_;
    std::optional<std::uint64_t> framesUntilHangup_ = options_.hangupAfter;
    std::optional<SteadyClock::time_point> lingerUntil_;
    bool heardAfterLastFrame_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    Options options;
    try {
        options = ParseOptions(argc, argv);
    } catch (const UsageError& error) {
        std::cerr << "mtr508-sim: " << error.what() << "\n" << kUsage;
        return kExitUsage;
    }

    // Stop signals arrive through a descriptor, so that the loop ends cleanly and saves the flash.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGHUP);
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    const int signalFd = signalfd(-1, &stopSignals, SFD_CLOEXEC);
    if (signalFd < 0) {
        std::cerr << "mtr508-sim: signalfd: " << std::strerror(errno) << "\n";
        return kExitFailure;
    }

    try {
        Simulator simulator(std::move(options), signalFd);
        std::cout << "ready " << simulator.SlavePath() << std::endl;
        return simulator.Run();
    } catch (const std::exception& error) {
        std::cerr << "mtr508-sim: " << error.what() << "\n";
        return kExitFailure;
    }
}
