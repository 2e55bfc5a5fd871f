#include "image/LoadHexFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <fstream>

#include "toolkit/Errors.h"

namespace {

using Lines = std::vector<std::string>;

TEST(SplitFileLines, SplitsAtEachKindOfLineEnd) {
    const struct {
        std::string bytes;
        Lines lines;
    } cases[] = {
        {"", {}},
        {"\r\n", {""}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\rb", {"a", "b"}},
        {"a\n\r\nb", {"a", "", "b"}},   // LF, then CR LF: one empty line between
        {"a\r\rb", {"a", "", "b"}},     // two lone CRs
        {"a\n\nb\n\n", {"a", "", "b", ""}},
        {"a\r\n\r\n", {"a", ""}},
        {"x\n\ry", {"x", "", "y"}},     // LF CR is two line ends, not one
    };
    for (const auto& c : cases) {
        EXPECT_EQ(image::SplitFileLines(c.bytes), c.lines) << testing::PrintToString(c.bytes);
    }
}

class LoadHexFileTest : public testing::Test {
protected:
    std::filesystem::path Write(const std::string& name, const std::string& bytes) {
        const auto path = dir_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    void SetUp() override {
        dir_ = std::filesystem::path(testing::TempDir()) /
               ("loadhex-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
                std::to_string(std::random_device()()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::filesystem::path dir_;
};

TEST_F(LoadHexFileTest, ReadsLinesAndConvertsCodePage1251) {
    // 0xCF 0xF0 0xE8 0xEB 0xE0 0xE4 is "Прилад" in 1251; a NUL byte stays part of its line.
    static constexpr char kBytes[] = ":00000001FF\r\n; \xCF\xF0\xE8\xEB\xE0\xE4\rA\0B\n";
    const auto path = Write("dev.hex", std::string(kBytes, sizeof kBytes - 1));
    EXPECT_EQ(image::LoadHexFile(path.string()), (Lines{":00000001FF", "; Прилад", std::string("A\0B", 3)}));
}

TEST_F(LoadHexFileTest, EmptyFileHasNoLines) {
    EXPECT_TRUE(image::LoadHexFile(Write("empty.hex", "").string()).empty());
}

TEST_F(LoadHexFileTest, UnreadableFileRaisesOpenErrorNamingIt) {
    for (const auto& path : {dir_ / "missing.hex", dir_}) {
        try {
            image::LoadHexFile(path.string());
            ADD_FAILURE() << "no error for " << path;
        } catch (const toolkit::EFOpenError& error) {
            const std::string prefix = "Cannot open file \"" + path.string() + "\". ";
            const std::string message = error.what();
            EXPECT_EQ(message.substr(0, prefix.size()), prefix);
            EXPECT_GT(message.size(), prefix.size()) << "no reason given: " << message;
        }
    }
}

}  // namespace
