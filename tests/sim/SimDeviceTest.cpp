// The simulated device, driven through its pseudo-terminal as a host would drive it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "tests/support/SimProcess.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using test_support::SimProcess;
using Clock = std::chrono::steady_clock;

std::string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

// The sum of the bytes that the hex pairs denote, modulo 256.
unsigned PairSum(const std::string& hex) {
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) sum += std::stoul(hex.substr(i, 2), nullptr, 16);
    return sum & 0xFF;
}

std::string Frame(const std::string& code, const std::string& params) {
    return "k" + code + params + Hex(PairSum(code + params), 2) + ";";
}

// The host's end of the line: the simulator's link opened raw, as a serial port.
class HostLine {
public:
    explicit HostLine(const std::string& path) : fd_(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
        if (fd_ < 0) throw std::runtime_error("cannot open " + path);
        termios settings{};
        tcgetattr(fd_, &settings);
        cfmakeraw(&settings);
        tcsetattr(fd_, TCSANOW, &settings);
    }
    ~HostLine() { Close(); }
    HostLine(const HostLine&) = delete;
    HostLine& operator=(const HostLine&) = delete;

    void Close() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

    void Send(const std::string& bytes) {
        ASSERT_EQ(write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    // Everything that arrives until `quiet` passes without a byte (or `limit` in all).
    std::string Collect(std::chrono::milliseconds quiet = 150ms, std::chrono::milliseconds limit = 5s) {
        std::string received;
        const auto deadline = Clock::now() + limit;
        while (Clock::now() < deadline && WaitReadable(quiet)) {
            if (!ReadSome(received)) break;
        }
        return received;
    }

    // Reads until a ";" ends what arrived (or `limit` passes).
    std::string ReadReply(std::chrono::milliseconds limit = 5s) {
        std::string received;
        const auto deadline = Clock::now() + limit;
        while ((received.empty() || received.back() != ';') && Clock::now() < deadline) {
            if (!WaitReadable(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()))) break;
            if (!ReadSome(received)) break;
        }
        return received;
    }

    std::string Exchange(const std::string& frame) {
        Send(frame);
        return ReadReply();
    }

    short PollEvents(std::chrono::milliseconds limit) {
        pollfd p{fd_, POLLIN, 0};
        poll(&p, 1, static_cast<int>(limit.count()));
        return p.revents;
    }

private:
    bool WaitReadable(std::chrono::milliseconds limit) {
        return (PollEvents(std::max(limit, 0ms)) & POLLIN) != 0;
    }

    bool ReadSome(std::string& into) {
        char buffer[4096];
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n <= 0) return false;
        into.append(buffer, static_cast<std::size_t>(n));
        return true;
    }

    int fd_;
};

// Runs the simulator to its end with these arguments; returns its exit status.
int RunToExit(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), SimProcess::ProgramPath());
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const std::vector<std::string> kSmallGeometry{"--blocks-per-page", "2", "--block-size", "4", "--pages", "3"};

TEST(SimDevice, IdentifyAndDescribeRepliesCarryTheConfiguredDevice) {
    struct Case {
        std::vector<std::string> options;
        std::string loader, blocksPerPage, blockSize, pageCount, description;
    };
    const std::vector<Case> cases{
        {{}, "02", "04", "80", "0080", "171001"},
        {{"--loader", "01", "--blocks-per-page", "3", "--block-size", "255", "--pages", "300", "--describe",
          "17\r\n11\xD0\xBA 15"},
         "01", "03", "FF", "012C", "17\r\n11\xD0\xBA 15"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        SimProcess sim(c.options);
        HostLine line(sim.LinkPath());

        const std::string identify = line.Exchange("k0202;");
        ASSERT_EQ(identify.size(), 20u) << identify;
        EXPECT_EQ(identify.substr(0, 3), "k82");
        EXPECT_EQ(identify.substr(3, 2), c.loader);
        EXPECT_EQ(identify.substr(9, 2), c.blocksPerPage);
        EXPECT_EQ(identify.substr(11, 2), c.blockSize);
        EXPECT_EQ(identify.substr(13, 4), c.pageCount);
        EXPECT_EQ(identify.substr(17, 2), Hex(PairSum(identify.substr(1, 16)), 2));
        EXPECT_EQ(identify.back(), ';');

        const std::string describe = line.Exchange("k0303;");
        ASSERT_GE(describe.size(), 6u);
        EXPECT_EQ(describe.substr(0, 3), "k83");
        EXPECT_EQ(describe.substr(3, describe.size() - 6), c.description);
        unsigned sum = 0x83;
        for (const char ch : c.description) sum += static_cast<unsigned char>(ch);
        EXPECT_EQ(describe.substr(describe.size() - 3), Hex(sum & 0xFF, 2) + ";");
    }
}

TEST(SimDevice, MalformedFramesGetNoAnswerAndTheNextFrameIsHeard) {
    SimProcess sim(kSmallGeometry);
    HostLine line(sim.LinkPath());
    ASSERT_EQ(line.Exchange(Frame("04", "000000")), "k84000000" + Hex(PairSum("84000000"), 2) + ";");
    const std::string identify = line.Exchange("k0202;");
    ASSERT_EQ(identify.substr(0, 3), "k82");

    const std::vector<std::pair<std::string, std::string>> cases{
        {"wrong sum", "k0203;"},
        {"wake-up", "kkkkk"},
        {"frame cut short", "k0202"},
        {"noise outside a frame", "0202;xyz;"},
        {"too short", "k02;"},
        {"odd length", "k020;"},
        {"not hex", "k0G0G;"},
        {"lower-case hex", Frame("05", "01aabbccdd")},
        {"unknown command", Frame("07", "")},
        {"identify with a parameter", Frame("02", "00")},
        {"erase address of 4 digits", Frame("04", "0000")},
        {"write one byte short", Frame("05", "01112233")},
        {"write one byte long", Frame("05", "011122334455")},
        {"overlong", "k" + std::string(3000, '0') + ";"},
    };
    for (const auto& [what, bad] : cases) {
        SCOPED_TRACE(what);
        // Whatever the bad frame drew would arrive ahead of the identify reply.
        line.Send(bad + "k0202;");
        EXPECT_EQ(line.ReadReply(), identify);
    }
    EXPECT_EQ(line.Collect(), "");
}

TEST(SimDevice, EraseWriteAndFlashEndInTheFlashFile) {
    SimProcess sim(kSmallGeometry);
    HostLine line(sim.LinkPath());
    const auto accepted = [&](const std::string& frame, const std::string& start) {
        const std::string reply = line.Exchange(frame);
        EXPECT_EQ(reply.substr(0, 3), start) << frame;
        EXPECT_EQ(reply.back(), ';') << frame;
    };
    const auto unanswered = [&](const std::string& frame) {
        line.Send(frame);
        EXPECT_EQ(line.Collect(), "") << frame;
    };

    unanswered(Frame("05", "0111223344"));  // nothing erased yet
    unanswered("k0606;");                    // nothing written yet

    // Page 1, with every frame sent twice as a host does when a reply is lost.
    for (int i = 0; i < 2; ++i) accepted(Frame("04", "000008"), "k84");
    for (int i = 0; i < 2; ++i) accepted(Frame("05", "0111223344"), "k85");
    for (int i = 0; i < 2; ++i) accepted("k0606;", "k86");
    accepted(Frame("05", "0255667788"), "k85");
    accepted("k0606;", "k86");

    // Page 0, second block only; then the same block again without an erase: flash only
    // clears bits.
    accepted(Frame("04", "000000"), "k84");
    accepted(Frame("05", "02A0A1A2A3"), "k85");
    accepted("k0606;", "k86");
    accepted(Frame("05", "020F0F0F0F"), "k85");
    accepted("k0606;", "k86");

    unanswered(Frame("04", "000004"));      // not the start of a page
    unanswered(Frame("04", "000018"));      // beyond the third page
    unanswered(Frame("05", "0099999999"));  // block 0
    unanswered(Frame("05", "0399999999"));  // block 3 of a page of 2

    // A reset forgets the erased page and the written block.
    accepted("k0101;", "k81");
    unanswered(Frame("05", "0199999999"));
    unanswered("k0606;");

    ASSERT_EQ(sim.Stop(), 0);
    const std::vector<std::uint8_t> expected{
        0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x01, 0x02, 0x03,  // page 0
        0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88,  // page 1
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,  // page 2
    };
    EXPECT_EQ(sim.Flash(), expected);
}

TEST(SimDevice, StopSignalsSaveTheErasedFlashAndRemoveTheLink) {
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        SimProcess sim;
        ASSERT_TRUE(std::filesystem::is_symlink(sim.LinkPath()));
        EXPECT_EQ(sim.Stop(signal), 0);
        const auto flash = sim.Flash();
        EXPECT_EQ(flash.size(), 4u * 128u * 128u);
        EXPECT_TRUE(std::all_of(flash.begin(), flash.end(), [](std::uint8_t b) { return b == 0xFF; }));
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(sim.LinkPath())));
    }
}

TEST(SimDevice, TakesOverAnExistingLinkAndRemovesOnlyItsOwn) {
    SimProcess first({"--describe", "first"});
    // The later --link wins: the second simulator takes over the first one's path.
    SimProcess second({"--describe", "second", "--link", first.LinkPath()});
    {
        HostLine line(first.LinkPath());
        EXPECT_EQ(line.Exchange("k0303;").substr(0, 9), "k83second");
    }
    ASSERT_EQ(first.Stop(), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(first.LinkPath()));
    ASSERT_EQ(second.Stop(), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(first.LinkPath())));
}

// Which of 64 erase frames, sent in one burst, the device answered: the reply carries the address.
std::set<std::string> AnsweredErases(const std::vector<std::string>& lossOptions) {
    std::vector<std::string> options{"--blocks-per-page", "1", "--block-size", "1", "--pages", "64"};
    options.insert(options.end(), lossOptions.begin(), lossOptions.end());
    SimProcess sim(options);
    HostLine line(sim.LinkPath());
    std::string burst;
    for (unsigned address = 0; address < 64; ++address) burst += Frame("04", Hex(address, 6));
    line.Send(burst);
    const std::string replies = line.Collect(300ms);
    std::set<std::string> answered;
    for (std::size_t at = replies.find("k84"); at != std::string::npos; at = replies.find("k84", at + 1)) {
        answered.insert(replies.substr(at + 3, 6));
    }
    return answered;
}

TEST(SimDevice, DroppedAnswersFollowTheSeed) {
    const auto first = AnsweredErases({"--drop-rate", "0.5", "--seed", "7"});
    const auto again = AnsweredErases({"--drop-rate", "0.5", "--seed", "7"});
    const auto otherSeed = AnsweredErases({"--drop-rate", "0.5", "--seed", "8"});
    EXPECT_EQ(first, again);
    EXPECT_NE(first, otherSeed);
    EXPECT_GE(first.size(), 16u);
    EXPECT_LE(first.size(), 48u);
    EXPECT_EQ(AnsweredErases({"--drop-rate", "0"}).size(), 64u);
    EXPECT_EQ(AnsweredErases({"--drop-rate", "1"}).size(), 0u);
}

TEST(SimDevice, GarbledAnswersAreNoiseThatNoHostAccepts) {
    SimProcess sim({"--garbage-rate", "1"});
    HostLine line(sim.LinkPath());
    line.Send("k0202;");
    const std::string noise = line.Collect();
    EXPECT_EQ(noise.size(), 20u) << noise;
    EXPECT_EQ(noise.find_first_of("k;"), std::string::npos) << noise;
}

TEST(SimDevice, HangsUpAfterTheGivenNumberOfWellFormedFrames) {
    SimProcess sim({"--hangup-after", "3", "--blocks-per-page", "1", "--block-size", "2", "--pages", "2"});
    HostLine line(sim.LinkPath());
    EXPECT_EQ(line.Exchange("k0202;").substr(0, 3), "k82");
    line.Send("k0203;");  // a bad sum does not count
    EXPECT_EQ(line.Collect(), "");
    EXPECT_EQ(line.Exchange("k0303;").substr(0, 3), "k83");
    EXPECT_EQ(line.Exchange(Frame("04", "000002")).substr(0, 3), "k84");

    EXPECT_NE(line.PollEvents(5000ms) & POLLHUP, 0);
    EXPECT_EQ(sim.WaitForExit(10s), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(sim.LinkPath())));
    EXPECT_EQ(sim.Flash(), std::vector<std::uint8_t>(4, 0xFF));
}

TEST(SimDevice, AnswersAfterTheGivenDelay) {
    SimProcess sim({"--answer-after", "200"});
    HostLine line(sim.LinkPath());
    const auto sent = Clock::now();
    line.Send("k0202;");
    EXPECT_EQ(line.Collect(50ms, 100ms), "");
    EXPECT_EQ(line.ReadReply().substr(0, 3), "k82");
    EXPECT_GE(Clock::now() - sent, 190ms);
}

TEST(SimDevice, AReopenedPortHoldsNothingFromBefore) {
    // The first answer is either on its way (delayed) or delivered and unread when the host
    // closes the port; in both cases the next opening must not see it.
    for (const char* delay : {"0", "100"}) {
        SCOPED_TRACE(delay);
        SimProcess sim({"--answer-after", delay});
        {
            HostLine line(sim.LinkPath());
            line.Send("k0202;");
        }
        std::this_thread::sleep_for(300ms);
        HostLine line(sim.LinkPath());
        const std::string reply = line.Exchange("k0303;");
        EXPECT_EQ(reply.substr(0, 3), "k83") << reply;
        EXPECT_EQ(line.Collect(), "");
    }
}

TEST(SimDevice, UsageErrorsExitWithTwo) {
    const std::string link = (std::filesystem::temp_directory_path() / "mtr508-sim-usage-test").string();
    const std::vector<std::vector<std::string>> cases{
        {},
        {"--link", link, "--pages", "65536"},
        {"--link", link, "--block-size", "256"},
        {"--link", link, "--blocks-per-page", "-1"},
        {"--link", link, "--loader", "2"},
        {"--link", link, "--loader", "0g"},
        {"--link", link, "--drop-rate", "1.5"},
        {"--link", link, "--drop-rate", "x"},
        {"--link", link, "--garbage-rate", "-0.1"},
        {"--link", link, "--answer-after", "10ms"},
        {"--link", link, "--hangup-after", "0"},
        {"--link", link, "--bogus"},
        {"--link", link, "stray"},
        {"--link"},
    };
    for (const auto& arguments : cases) {
        std::string joined;
        for (const auto& a : arguments) joined += a + " ";
        SCOPED_TRACE(joined);
        EXPECT_EQ(RunToExit(arguments), 2);
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
    }
}

}  // namespace
