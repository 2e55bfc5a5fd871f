// mtr508-flash check, run as a program: the image it dumps against srec_cat's, the cases of the
// line test and the placement, refusals with their exit codes, and the usage.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>

#include "FlashTool.h"

namespace {

using namespace cli_test;

constexpr std::size_t kImageBytes = 20'000'000;

class CheckCommand : public testing::Test {
protected:
    void SetUp() override {
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(test->test_suite_name()) + "-" + test->name();
        std::replace(name.begin(), name.end(), '/', '-');
        // Unique per run: other runs of this suite may share the temporary folder.
        dir_ = std::filesystem::path(testing::TempDir()) / ("cli-" + name + "-" + std::to_string(std::random_device()()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    // Writes the text to name and checks it, dumping the image to name.bin.
    ToolRun Check(const std::string& name, const std::string& text) {
        WriteFile(dir_ / name, text);
        return RunFlash(dir_, "check --hex " + Quoted(dir_ / name) + " --dump-image " + Quoted(Dump(name)));
    }
    std::filesystem::path Dump(const std::string& name) const { return dir_ / (name + ".bin"); }

    std::filesystem::path dir_;
};

// Where two images first differ, for a readable failure.
std::string FirstDifference(const std::string& actual, const std::string& expected) {
    if (actual.size() != expected.size()) {
        return "sizes " + std::to_string(actual.size()) + " and " + std::to_string(expected.size());
    }
    const auto at = std::mismatch(actual.begin(), actual.end(), expected.begin());
    if (at.first == actual.end()) return {};
    return "first difference at byte " + std::to_string(at.first - actual.begin());
}

std::string Lower(std::string text) {
    for (auto& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::vector<std::uint8_t> RandomBytes(std::mt19937& random, std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random() & 0xFF);
    return bytes;
}

struct DialectCase {
    Dialect dialect;
    const char* lineEnd;
    bool lowerCase;
};

std::string DialectCaseName(const testing::TestParamInfo<DialectCase>& info) {
    static constexpr const char* kDialects[] = {"I8HEX", "I16HEX", "I32HEX"};
    const std::string end = info.param.lineEnd;
    return std::string(kDialects[static_cast<int>(info.param.dialect)]) +
           (end == "\r\n" ? "_CRLF" : end == "\n" ? "_LF" : "_CR") + (info.param.lowerCase ? "_lower" : "_upper");
}

class CheckDialect : public CheckCommand, public testing::WithParamInterface<DialectCase> {};

// Every dialect with every line end, in both letter cases between them: the dumped image is
// byte for byte what srec_cat makes of the same file on an erased background.
TEST_P(CheckDialect, DumpEqualsSrecCat) {
    const auto& param = GetParam();
    std::mt19937 random(static_cast<unsigned>(param.dialect) * 7 + static_cast<unsigned>(param.lowerCase));
    std::vector<DataRun> runs;
    switch (param.dialect) {
        case Dialect::I8HEX:
            runs = {{0x0000, RandomBytes(random, 40)}, {0x5800, RandomBytes(random, 19)},
                    {0xFFF0, RandomBytes(random, 16)}};
            break;
        case Dialect::I16HEX:
            runs = {{0x00100, RandomBytes(random, 20)}, {0x1FFF8, RandomBytes(random, 24)},
                    {0xFFFF8, RandomBytes(random, 8)}};
            break;
        case Dialect::I32HEX:
            runs = {{0x0000, RandomBytes(random, 5)}, {0x123450, RandomBytes(random, 50)},
                    {0x6FFFF0, RandomBytes(random, 33)}, {kImageBytes - 10, RandomBytes(random, 10)}};
            break;
    }
    std::string text = Joined(HexText(param.dialect, runs), param.lineEnd);
    if (param.lowerCase) text = Lower(text);

    const ToolRun run = Check("firmware.hex", text);
    ASSERT_EQ(run.code, 0) << run.out << run.err;
    EXPECT_EQ(run.out,
              "Мікропрограма відкрита,\n   запишіть її в прилад\n"
              "Мікропрограма : firmware.hex - відкрита. Запишіть в прилад\n");

    // srec_cat reads lines that end in LF (or CR LF): it gets the same records that way.
    WriteFile(dir_ / "srec.hex", Joined(HexText(param.dialect, runs), "\n"));
    ASSERT_EQ(RunShell("srec_cat " + Quoted(dir_ / "srec.hex") + " -intel -fill 0xFF 0 20000000 -o " +
                       Quoted(dir_ / "srec.bin") + " -binary"),
              0);
    const std::string actual = ReadFile(Dump("firmware.hex"));
    const std::string expected = ReadFile(dir_ / "srec.bin");
    EXPECT_TRUE(actual == expected) << FirstDifference(actual, expected);
}

INSTANTIATE_TEST_SUITE_P(AllLineEnds, CheckDialect,
                         testing::Values(DialectCase{Dialect::I8HEX, "\r\n", false},
                                         DialectCase{Dialect::I8HEX, "\n", true},
                                         DialectCase{Dialect::I8HEX, "\r", false},
                                         DialectCase{Dialect::I16HEX, "\r\n", true},
                                         DialectCase{Dialect::I16HEX, "\n", false},
                                         DialectCase{Dialect::I16HEX, "\r", true},
                                         DialectCase{Dialect::I32HEX, "\r\n", false},
                                         DialectCase{Dialect::I32HEX, "\n", true},
                                         DialectCase{Dialect::I32HEX, "\r", false}),
                         DialectCaseName);

// Lines that are no record, records the placement ignores or stops at, and overlapping data:
// the whole image is compared with one built here.
TEST_F(CheckCommand, PlacementFollowsRecordTypes) {
    const struct {
        const char* name;
        std::vector<std::string> lines;
        std::vector<DataRun> placed;
    } cases[] = {
        {"comments",
         {"; made by hand", "", HexRecord(4, 0, {0x00, 0x01}), HexRecord(0, 0x0010, {0x11, 0x22, 0x33, 0x44}),
          " :0400200055555555FF",  // begins with a blank: neither tested nor placed
          HexRecord(3, 0, {0x12, 0x34, 0x56, 0x78}),  // start segment address: changes nothing
          HexRecord(0, 0x0012, {0xAA, 0xBB}),         // overwrites the two bytes placed before
          HexRecord(0, 0x0030, {}),                   // no bytes
          ":00000001FF", HexRecord(0, 0x0000, {0x99})},  // after the end: not placed
         {{0x10010, {0x11, 0x22, 0xAA, 0xBB}}}},
        {"type11",
         {HexRecord(2, 0, {0x10, 0x00}), HexRecord(0, 0xFFFF, {0x01, 0x02, 0x03}),  // runs on past 64 KiB
          HexRecord(0x11, 0, {}), HexRecord(0, 0x0000, {0x77})},
         {{0x1FFFF, {0x01, 0x02, 0x03}}}},
        {"noend", {HexRecord(0, 0x4000, {0x5A})}, {{0x4000, {0x5A}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = std::string(c.name) + ".hex";
        const ToolRun run = Check(file, Joined(c.lines, "\r\n"));
        ASSERT_EQ(run.code, 0) << run.out << run.err;
        std::string expected(kImageBytes, '\xFF');
        for (const auto& data : c.placed) {
            std::copy(data.bytes.begin(), data.bytes.end(), expected.begin() + data.address);
        }
        const std::string actual = ReadFile(Dump(file));
        EXPECT_TRUE(actual == expected) << FirstDifference(actual, expected);
    }
}

// Refused texts exit 3, name the right 1-based line (blank and comment lines counted) and
// write no image.
TEST_F(CheckCommand, RefusedTextsNameTheirLine) {
    const std::string startLinear = HexRecord(5, 0, {0x00, 0x00, 0x01, 0x23});
    const std::string pastImage = HexRecord(0, 0x2CFF, {0x01, 0x02});  // base 0x1310000: bytes 19,999,999 and on
    const struct {
        const char* name;
        std::string text;
        std::string lastMessageLine;  // the message's last line on stdout, or "" to test no text
    } cases[] = {
        {"parity", "; x\n:0\n:00000001FF\n", "Порушення парності у строці мікропрограми: 2! (:0)"},
        {"checksum", "\n; a\n\n:020000040000FA\n\n; b\n:01000000ab00\n:00000001FF\n",
         "Помилка контрольної суми у строці мікропрограми: 7! (:01000000AB00)"},
        {"checksum-after-end", ":00000001FF\r\n:00000001FE\r\n",
         "Помилка контрольної суми у строці мікропрограми: 2! (:00000001FE)"},
        {"start-linear", HexRecord(0, 0, {1, 2}) + "\r" + startLinear + "\r:00000001FF\r",
         "Знайдено: Start Linear Address Records (MDK-ARM only): 2! (" + startLinear + ")"},
        {"past-image", HexRecord(4, 0, {0x01, 0x31}) + "\n" + pastImage + "\n:00000001FF\n",
         "у строці мікропрограми: 2! (" + pastImage + ")"},
        {"empty", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = std::string(c.name) + ".hex";
        const ToolRun run = Check(file, c.text);
        EXPECT_EQ(run.code, 3) << run.out << run.err;
        EXPECT_FALSE(std::filesystem::exists(Dump(file)));
        if (c.lastMessageLine.empty()) continue;
        // The message, then the status line, which still asks for the device.
        const std::string tail = c.lastMessageLine + "\nВизначте прилад\n";
        ASSERT_GE(run.out.size(), tail.size()) << run.out;
        EXPECT_EQ(run.out.substr(run.out.size() - tail.size()), tail) << run.out;
    }
}

// A field that is not a number is reported in the framework's words.
TEST_F(CheckCommand, ConversionErrorExitsThree) {
    const ToolRun run = Check("convert.hex", ":0G0000000000\n:00000001FF\n");
    EXPECT_EQ(run.code, 3) << run.out << run.err;
    EXPECT_EQ(run.err, "'$0G' is not a valid integer value\n");
}

TEST_F(CheckCommand, FilesThatCannotBeReadOrWrittenAreSystemErrors) {
    const auto missing = dir_ / "missing.hex";
    const ToolRun run = RunFlash(dir_, "check --hex " + Quoted(missing));
    EXPECT_EQ(run.code, 4);
    EXPECT_EQ(run.err.rfind("Cannot open file \"" + missing.string() + "\". ", 0), 0u) << run.err;

    // An image that cannot be written: the folder itself as the file.
    const ToolRun dump = RunFlash(dir_, "check --dump-image " + Quoted(dir_));
    EXPECT_EQ(dump.code, 4);
    EXPECT_EQ(dump.err.rfind("Cannot create file \"" + dir_.string() + "\". ", 0), 0u) << dump.err;
}

// Without --hex: the built-in firmware, whose image equals srec_cat's of the same text.
TEST_F(CheckCommand, BuiltInFirmwareIsReady) {
    const auto source = std::filesystem::path(__FILE__).parent_path() / "../../resources/firmware/mt-r508-171115.hex";
    const ToolRun run = RunFlash(dir_, "check --dump-image image.bin");
    ASSERT_EQ(run.code, 0) << run.out << run.err;
    EXPECT_EQ(run.out, "Мікропрограма готова до запису\n");
    ASSERT_EQ(RunShell("srec_cat " + Quoted(source) + " -intel -fill 0xFF 0 20000000 -o " +
                       Quoted(dir_ / "srec.bin") + " -binary"),
              0);
    const std::string actual = ReadFile(dir_ / "image.bin");
    const std::string expected = ReadFile(dir_ / "srec.bin");
    EXPECT_TRUE(actual == expected) << FirstDifference(actual, expected);
    EXPECT_EQ(actual.substr(0x6800, 12), std::string("\x55\xAA\xAA\x55" "171115\x02\x00", 12));
}

TEST_F(CheckCommand, UsageErrorsExitTwo) {
    for (const std::string arguments :
         {"", "frobnicate", "check --bogus x", "check --hex", "check extra", "check --hex a --hex b", "ports --hex a"}) {
        const ToolRun run = RunFlash(dir_, arguments);
        EXPECT_EQ(run.code, 2) << "'" << arguments << "': " << run.err;
        EXPECT_NE(run.err.find("Usage: mtr508-flash"), std::string::npos) << arguments;
    }
    const ToolRun help = RunFlash(dir_, "--help");
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("Exit codes:"), std::string::npos);
}

}  // namespace
