// Frames, reply tests and log lines.
#include <gtest/gtest.h>

#include "protocol/CommandFrame.h"
#include "protocol/FrameLog.h"
#include "toolkit/Memo.h"

namespace protocol {
namespace {

TEST(CommandFrame, BuildsTheFramesOfTheBootloader) {
    EXPECT_EQ(CommandFrame(kResetCode), kResetFrame);
    EXPECT_EQ(CommandFrame(kIdentifyCode), kIdentifyFrame);
    EXPECT_EQ(CommandFrame(kDescribeCode), kDescribeFrame);
    EXPECT_EQ(CommandFrame(kFlashCode), kFlashFrame);
    EXPECT_EQ(std::string(kResetFrame), "k0101;");
    EXPECT_EQ(std::string(kFlashFrame), "k0606;");

    EXPECT_EQ(EraseFrame(0), "k0400000004;");
    EXPECT_EQ(EraseFrame(256), "k0400010005;");
    EXPECT_EQ(EraseFrame(0xFFFFFF), "k04FFFFFF01;");  // 04 + 3 * FF = 0x301
    EXPECT_EQ(WriteFrame(1, "AABB"), "k0501AABB6B;");
    EXPECT_EQ(WriteFrame(0x12, ""), "k051217;");

    // Error messages name addresses with at least six digits, never cut.
    EXPECT_EQ(HexDigits(0, 6), "000000");
    EXPECT_EQ(HexDigits(0xABC, 6), "000ABC");
    EXPECT_EQ(HexDigits(0x1000010, 6), "1000010");
}

TEST(ReplyAccepted, TestsTheStartAndTheLastCharacterOnly) {
    struct Case {
        const char* reply;
        const char* expected;
        bool accepted;
    };
    const Case cases[] = {
        {"k8484;", "k84", true},
        {"k84;", "k84", true},
        {"k84xx;k84yy;", "k84", true},  // two answers of the right kind
        {"k84", "k84", false},          // no ";"
        {"k8484", "k84", false},
        {"k8585;", "k84", false},       // another command's answer
        {"", "k84", false},
        {";", "k84", false},
        {"k8", "k84", false},
        {"K8686;", "k86", false},
        {"k8686;k86", "k86", false},  // a second answer cut short
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReplyAccepted(c.reply, c.expected), c.accepted) << '"' << c.reply << "\" for " << c.expected;
    }
}

TEST(LogSentFrame, EveryAttemptGetsALineOfItsOwn) {
    toolkit::Memo memo{"MemoAbout"};
    memo.SetText("171114");  // the description, its last line not closed
    LogSentFrame(memo, "Очистив", "k0400000004;");
    LogSentFrame(memo, "Очистив", "k0400000004;");
    LogSentFrame(memo, "Прошив", "k0606;");
    const std::vector<std::string> expected = {"171114", "Очистивk0400000004;", "Очистивk0400000004;", "Прошивk0606;"};
    EXPECT_EQ(memo.Lines(), expected);

    toolkit::Memo empty{"MemoAbout"};
    LogSentFrame(empty, "Записав", "k0501AABB6B;");
    EXPECT_EQ(empty.Lines(), std::vector<std::string>{"Записавk0501AABB6B;"});
}

}  // namespace
}  // namespace protocol
