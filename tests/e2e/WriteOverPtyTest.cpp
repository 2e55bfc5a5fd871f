// mtr508-flash against mtr508-sim over a pseudo-terminal: the device commands end to end, with
// the simulated device's flash compared with the image, misbehaving devices, and Ctrl+C.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/SimProcess.h"

namespace {

using test_support::SimProcess;

// 64 pages of 4 blocks of 128 bytes: 32 KiB, which covers every run of the built-in firmware.
const std::vector<std::string> kGeometry{"--pages", "64", "--blocks-per-page", "4", "--block-size", "128"};
constexpr std::size_t kGeometryBytes = 64 * 4 * 128;
const std::string kWritingStatus = "Йде запис! Заборонено переривати!";
const std::string kWrittenStatus = "Мікропрограма : успішно завантажена в ";

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string Tool() {
    const char* tool = std::getenv("MTR508_FLASH");
    if (!tool) throw std::runtime_error("MTR508_FLASH is not set");
    return Quoted(tool);
}

struct ToolRun {
    int code = -1;
    std::string out;
    std::string err;
};

class WriteOverPty : public testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::path(testing::TempDir()) /
               ("e2e-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
                std::to_string(std::random_device()()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    // Runs a shell script whose last command's status is the tool's; a run that does not end
    // within a minute is killed (and then fails with 124).
    ToolRun RunScript(const std::string& script) {
        const auto out = dir_ / "stdout.txt";
        const auto err = dir_ / "stderr.txt";
        const auto code = dir_ / "code.txt";
        const std::string command = "cd " + Quoted(dir_.string()) + " && { " + script + "; } >" +
                                    Quoted(out.string()) + " 2>" + Quoted(err.string()) + " </dev/null";
        const int status = std::system(("timeout 60 sh -c " + Quoted(command)).c_str());
        ToolRun run;
        run.code = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = ReadFile(out);
        run.err = ReadFile(err);
        return run;
    }
    ToolRun Flash(const std::string& arguments) { return RunScript(Tool() + " " + arguments); }

    // The first bytes of the built-in firmware's image, as the device should hold them.
    std::string ImageStart(std::size_t bytes) {
        const ToolRun run = Flash("check --dump-image image.bin");
        EXPECT_EQ(run.code, 0) << run.err;
        return ReadFile(dir_ / "image.bin").substr(0, bytes);
    }
    static std::string FlashOf(SimProcess& sim) {
        sim.Stop();
        const auto bytes = sim.Flash();
        return {bytes.begin(), bytes.end()};
    }

    std::filesystem::path dir_;
};

std::vector<std::string> With(std::vector<std::string> options, const std::vector<std::string>& more) {
    options.insert(options.end(), more.begin(), more.end());
    return options;
}

// A willing device, one that loses 5 % of its answers, and one that answers late: each ends with
// the whole image in the device's flash and the success status.
TEST_F(WriteOverPty, WriteLeavesTheImageInFlash) {
    const struct {
        const char* name;
        std::vector<std::string> misbehaviour;
    } cases[] = {
        {"willing", {}},
        {"drops 5%", {"--drop-rate", "0.05", "--seed", "7"}},
        {"answers after 4 ms", {"--answer-after", "4"}},
    };
    const std::string image = ImageStart(kGeometryBytes);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimProcess sim(With(kGeometry, With({"--describe", "171001"}, c.misbehaviour)));
        const ToolRun run = Flash("write --port " + Quoted(sim.LinkPath()) + " --log write.log");
        EXPECT_EQ(run.code, 0) << run.out << run.err;
        EXPECT_NE(run.out.find(kWritingStatus + "\n" + kWrittenStatus), std::string::npos) << run.out;
        const std::string flash = FlashOf(sim);
        ASSERT_EQ(flash.size(), kGeometryBytes);
        EXPECT_TRUE(flash == image) << "the device's flash differs from the image";
        // The log: the description, then one line per frame sent.
        const std::string log = ReadFile(dir_ / "write.log");
        EXPECT_EQ(log.rfind("171001\r\n", 0), 0u) << log.substr(0, 80);
        EXPECT_NE(log.find("Очистивk0400000004;"), std::string::npos);
    }
}

// --progress always: away from a terminal the progress comes as lines on stderr, and it ends
// before the success status; --progress never (and the default, off a terminal) draws none.
TEST_F(WriteOverPty, ProgressLinesAwayFromATerminal) {
    // Answers 3 ms late, so that the write lasts long enough for more than one line.
    SimProcess sim(With(kGeometry, {"--describe", "171001", "--answer-after", "3"}));
    const ToolRun shown = Flash("write --port " + Quoted(sim.LinkPath()) + " --progress always");
    EXPECT_EQ(shown.code, 0) << shown.err;
    EXPECT_NE(shown.err.find("] page "), std::string::npos) << shown.err;
    EXPECT_NE(shown.err.find(" KiB/s "), std::string::npos) << shown.err;
    EXPECT_EQ(shown.err.find('\r'), std::string::npos) << "no redrawing away from a terminal";

    const ToolRun quiet = Flash("write --port " + Quoted(sim.LinkPath()) + " --progress never");
    EXPECT_EQ(quiet.code, 0) << quiet.err;
    EXPECT_EQ(quiet.err.find("] page "), std::string::npos) << quiet.err;
    EXPECT_EQ(Flash("write --port x --progress sometimes").code, 2);
}

// --hex: the file is opened as the Open command opens it and its image is what the device gets;
// a refused file stops the command before the port is used.
TEST_F(WriteOverPty, WritesTheOpenedFile) {
    // 16 bytes at 0x0100, 2 bytes at 0x7FFE (the last of the device's 32 KiB), in lower case.
    std::ofstream(dir_ / "dev.hex", std::ios::binary)
        << ":10010000000102030405060708090a0b0c0d0e0f77\n:027ffe00abcd09\n:00000001ff\n";
    std::ofstream(dir_ / "bad.hex", std::ios::binary) << ":10010000000102030405060708090a0b0c0d0e0f00\n";
    std::string expected(kGeometryBytes, '\xFF');
    for (int i = 0; i < 16; ++i) expected[0x100 + i] = static_cast<char>(i);
    expected[0x7FFE] = '\xAB';
    expected[0x7FFF] = '\xCD';
    {
        SimProcess sim(With(kGeometry, {"--describe", "171001"}));
        const ToolRun run = Flash("write --port " + Quoted(sim.LinkPath()) + " --hex dev.hex");
        EXPECT_EQ(run.code, 0) << run.out << run.err;
        EXPECT_TRUE(FlashOf(sim) == expected) << "the device's flash differs from the file's image";
    }
    {
        SimProcess sim(With(kGeometry, {"--describe", "171001"}));
        const ToolRun run = Flash("write --port " + Quoted(sim.LinkPath()) + " --hex bad.hex");
        EXPECT_EQ(run.code, 3) << run.out << run.err;
        EXPECT_NE(run.out.find("Помилка контрольної суми у строці мікропрограми: 1!"), std::string::npos) << run.out;
        EXPECT_EQ(FlashOf(sim), std::string(kGeometryBytes, '\xFF'));
    }
}

// Devices that the command refuses exit 1 and are not erased.
TEST_F(WriteOverPty, RefusedDevicesExitOne) {
    const struct {
        const char* name;
        std::vector<std::string> device;
        std::string message;
        bool readFlash = true;  // 25 MB of flash is not worth reading back
    } cases[] = {
        {"loader 01", {"--loader", "01", "--describe", "171001"}, "01 - невідома версія завантажувача мікроконтролера"},
        {"this firmware", {"--describe", "171115"}, "Дана версія вже записана в прилад!"},
        {"newer firmware", {"--describe", "171116"}, "В прилад вже записана новіша версія!"},
        // 65535 pages of 3 blocks of 128 bytes reach past the image (the options given last count).
        {"memory past the image", {"--describe", "171001", "--pages", "65535", "--blocks-per-page", "3"},
         "Невідома будова пам'яті приладу,\nзапис неможливий!", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimProcess sim(With(kGeometry, c.device));
        const ToolRun run = Flash("write --port " + Quoted(sim.LinkPath()));
        EXPECT_EQ(run.code, 1) << run.out << run.err;
        EXPECT_NE(run.out.find(c.message), std::string::npos) << run.out;
        EXPECT_EQ(run.out.find(kWritingStatus), std::string::npos) << run.out;
        if (c.readFlash) {
            EXPECT_EQ(FlashOf(sim), std::string(kGeometryBytes, '\xFF')) << "the device was written";
        }
    }
}

// A port with nothing behind it: the device is not found.
TEST_F(WriteOverPty, SilentDeviceIsNotFound) {
    SimProcess sim(With(kGeometry, {"--drop-rate", "1"}));
    const ToolRun run = Flash("identify --port " + Quoted(sim.LinkPath()));
    EXPECT_EQ(run.code, 1) << run.out << run.err;
}

// The device hangs up in the middle of the write: the port's error is reported and the command
// ends with 4 instead of hanging.
TEST_F(WriteOverPty, HangUpMidWriteIsAPortError) {
    SimProcess sim(With(kGeometry, {"--describe", "171001", "--hangup-after", "60"}));
    const ToolRun run = Flash("write --port " + Quoted(sim.LinkPath()));
    EXPECT_EQ(run.code, 4) << run.out << run.err;
    EXPECT_NE(run.out.find(kWritingStatus), std::string::npos) << run.out;
    // The read or the write error of the port.
    EXPECT_NE(run.err.find(" порт"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Необхідно повторно відкрити програму!"), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find(kWrittenStatus), std::string::npos) << run.out;
}

// Ctrl+C during the write stops it as Ctrl+Del does: the user is told, the exit code is 130,
// and the device holds only part of the image.
TEST_F(WriteOverPty, InterruptCancelsTheWrite) {
    SimProcess sim(With(kGeometry, {"--describe", "171001", "--answer-after", "3"}));
    const ToolRun run = RunScript(Tool() + " write --port " + Quoted(sim.LinkPath()) +
                                  " & pid=$!; "
                                  "for i in $(seq 400); do grep -q 'Йде запис' stdout.txt && break; sleep 0.05; done; "
                                  "sleep 0.5; kill -INT $pid; wait $pid");
    EXPECT_EQ(run.code, 130) << run.out << run.err;
    EXPECT_NE(run.out.find("Зупинено користувачем"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find(kWrittenStatus), std::string::npos) << run.out;
    const std::string flash = FlashOf(sim);
    EXPECT_NE(flash, ImageStart(kGeometryBytes));
}

// Ctrl+L from the command line: the reset frames reach the device.
TEST_F(WriteOverPty, ResetCommand) {
    SimProcess sim(kGeometry);
    const ToolRun run = Flash("reset --port " + Quoted(sim.LinkPath()));
    EXPECT_EQ(run.code, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("Скинуто прилад!!!"), std::string::npos) << run.out;
}

TEST_F(WriteOverPty, MissingPortIsASystemError) {
    const ToolRun run = Flash("identify --port " + Quoted((dir_ / "no-such-port").string()));
    EXPECT_EQ(run.code, 4) << run.out << run.err;
    EXPECT_NE(run.err.find("Спроба відкрити неіснуючий СОМ-порт"), std::string::npos) << run.err;
}

}  // namespace
