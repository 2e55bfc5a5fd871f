#include <gtest/gtest.h>

#include <vector>

#include "ImageFixture.h"

namespace imagetest {
namespace {

const std::string kLinearBase0 = ":020000040000FA";
const std::string kEnd = ":00000001FF";

TEST_F(ImageBuildTest, AcceptedTextIsPlacedOverErasedImageAndReported) {
    write.SetEnabled(false);
    gauge.SetMaxValue(100);
    const auto result = Build(kLinearBase0 + "\r\n" + Rec(":0400100001a2B3c4") + "\r\n" + kEnd + "\r\n");
    ASSERT_EQ(result, true);
    EXPECT_EQ(image.size(), 40'000'000u);
    EXPECT_TRUE(ErasedBut({{0x10, "01"}, {0x11, "A2"}, {0x12, "B3"}, {0x13, "C4"}}));
    EXPECT_EQ(app.Events(), (std::vector<Event>{{Event::BringToFront, {}}, {Event::MessageBeep, {}, 0x40}}));
    EXPECT_TRUE(write.Enabled());
    EXPECT_EQ(gauge.Progress(), 0);
    EXPECT_EQ(gauge.MaxValue(), 2);  // the placing's maximum: lines - 1
    EXPECT_EQ(text.Text(), kLinearBase0 + "\r\n" + Rec(":0400100001A2B3C4") + "\r\n" + kEnd + "\r\n");
}

TEST_F(ImageBuildTest, RecordsArePlacedAsTheTypeCharacterSays) {
    const struct {
        const char* what;
        std::vector<std::string> lines;
        std::initializer_list<std::pair<std::size_t, std::string>> bytes;
    } cases[] = {
        {"linear base 0001, offset 0010", {Rec(":020000040001"), Rec(":01001000AB")}, {{65552, "AB"}}},
        {"segment base 1000", {Rec(":020000021000"), Rec(":01000000CD")}, {{65536, "CD"}}},
        {"bases replace each other",
         {Rec(":020000040001"), Rec(":020000022000"), Rec(":0100010011")},
         {{131073, "11"}}},
        {"offsets run on past 65,535", {Rec(":02FFFF001122")}, {{65535, "11"}, {65536, "22"}}},
        {"a later record overwrites", {Rec(":020000001122"), Rec(":0100010033")}, {{0, "11"}, {1, "33"}}},
        {"byte count 00 places nothing", {Rec(":00001000")}, {}},
        {"only the counted bytes", {Rec(":0100000044556677")}, {{0, "44"}}},
        {"type 03 changes nothing", {Rec(":0400000300001234"), Rec(":0100020055")}, {{2, "55"}}},
        {"type 11 ends the placing", {Rec(":0100000066"), Rec(":00000011"), Rec(":0100010077")}, {{0, "66"}}},
        {"nothing after the end-of-file record", {Rec(":0100000066"), kEnd, Rec(":0100010077")}, {{0, "66"}}},
        {"no end-of-file record: placed to the last line", {Rec(":0100000066"), Rec(":0100050088")},
         {{0, "66"}, {5, "88"}}},
        {"the last byte of the image",
         {Rec(":020000040131"), Rec(":012CFF0099")},  // 0x01310000 + 0x2CFF = 19,999,999
         {{19'999'999, "99"}}},
        {"lines that are no record", {"", " :0100000011", "; comment", Rec(":0100010022")}, {{1, "22"}}},
    };
    for (const auto& c : cases) {
        std::string firmware;
        for (const auto& line : c.lines) firmware += line + "\r\n";
        app.ClearEvents();
        EXPECT_EQ(Build(firmware), true) << c.what;
        EXPECT_TRUE(ErasedBut(c.bytes)) << c.what;
        EXPECT_TRUE(app.Messages().empty()) << c.what;
    }
}

TEST_F(ImageBuildTest, LineEndsOfAllKindsAndCaseAreAccepted) {
    ASSERT_EQ(Build(":020000040000fa\n" + Rec(":01000000ab") + "\r" + Rec(":01000100Cd") + "\r\n:00000001ff"), true);
    EXPECT_EQ(Byte(0), "AB");
    EXPECT_EQ(Byte(1), "CD");
}

// Each refusal of the line test: the beep, one message naming the line among all lines (those
// that are no record included), the gauge at 0, and the image and the Write button as they were.
TEST_F(ImageBuildTest, LineTestRefusalsLeaveTheImageUntouched) {
    const struct {
        const char* what;
        std::string firmware;
        std::string message;
    } cases[] = {
        {"parity", "; a comment\r\n\r\n :0\r\n" + kLinearBase0 + "\r\n:0\r\n",
         "Порушення парності у строці мікропрограми: 5! (:0)"},
        {"parity counts a Cyrillic letter as one character", ":Ж\r\n", "Порушення парності у строці мікропрограми: 1! (:Ж)"},
        {"checksum, shown upper-cased", "\r\n:020000040000fb\r\n",
         "Помилка контрольної суми у строці мікропрограми: 2! (:020000040000FB)"},
        {"checksum after the end-of-file record", kEnd + "\r\n:0100000011EF\r\n",
         "Помилка контрольної суми у строці мікропрограми: 2! (:0100000011EF)"},
        {"no type character", kLinearBase0 + "\r\n:00\r\n", "Неповний запис у строці мікропрограми: 2! (:00)"},
        {"fewer data characters than the count", Rec(":04000000AABB") + "\r\n",
         "Неповний запис у строці мікропрограми: 1! (" + Rec(":04000000AABB") + ")"},
        {"data characters that are no hex digits", "\r\n" + Rec(":020000001G2H") + "\r\n",
         "Недопустимі символи даних у строці мікропрограми: 2! (" + Rec(":020000001G2H") + ")"},
        {"Cyrillic data characters", Rec(":01000000Ж1") + "\r\n",
         "Недопустимі символи даних у строці мікропрограми: 1! (" + Rec(":01000000Ж1") + ")"},
        {"data reaching past the image", Rec(":020000040131") + "\r\n" + Rec(":022CFF009999") + "\r\n",
         "Адреса за межами пам'яті у строці мікропрограми: 2! (" + Rec(":022CFF009999") + ")"},
        {"data far past the image", Rec(":02000004FFFF") + "\r\n" + Rec(":01FFFF0099") + "\r\n",
         "Адреса за межами пам'яті у строці мікропрограми: 2! (" + Rec(":01FFFF0099") + ")"},
    };
    ASSERT_EQ(Build(Rec(":0100000042")), true);
    const std::string built = image;
    write.SetEnabled(false);
    for (const auto& c : cases) {
        app.ClearEvents();
        EXPECT_EQ(Build(c.firmware), false) << c.what;
        EXPECT_EQ(app.Events(), (std::vector<Event>{{Event::MessageBeep, {}, 0x10}, {Event::Message, c.message}}))
            << c.what;
        EXPECT_EQ(gauge.Progress(), 0) << c.what;
        EXPECT_TRUE(image == built) << c.what;
        EXPECT_FALSE(write.Enabled()) << c.what;
    }
}

TEST_F(ImageBuildTest, PlacementFaultsBeyondWhatThePlacingReachesAreNotRefused) {
    // After the end-of-file record, a start linear address record, or a field that stops the
    // placing, nothing more is placed, so nothing more is refused for what it would place.
    EXPECT_EQ(Build(kEnd + "\r\n:00\r\n" + Rec(":01FFFF00GG") + "\r\n"), true);
    EXPECT_EQ(Build(Rec(":0400000500000000") + "\r\n:00\r\n"), false);
    EXPECT_EQ(app.Messages().back(), "Знайдено: Start Linear Address Records (MDK-ARM only): 1! (" +
                                         Rec(":0400000500000000") + ")");
    EXPECT_EQ(Build(Rec(":02000004ZZZZ") + "\r\n" + Rec(":02000000GGGG") + "\r\n"), std::nullopt);
    EXPECT_EQ(app.Messages().back(), "'$ZZZZ' is not a valid integer value");
}

TEST_F(ImageBuildTest, StartLinearAddressStopsThePlacingOnTheErasedImage) {
    image = "old";
    write.SetEnabled(false);
    const std::string firmware = "\r\n" + Rec(":0100000011") + "\r\n" + Rec(":0400000500000000") + "\r\n" +
                                 Rec(":0100010022") + "\r\n";
    EXPECT_EQ(Build(firmware), false);
    EXPECT_EQ(app.Events(),
              (std::vector<Event>{{Event::MessageBeep, {}, 0x10},
                                  {Event::Message, "Знайдено: Start Linear Address Records (MDK-ARM only): 3! (" +
                                                       Rec(":0400000500000000") + ")"}}));
    EXPECT_TRUE(ErasedBut({{0, "11"}}));
    EXPECT_EQ(gauge.Progress(), 0);
    EXPECT_FALSE(write.Enabled());
}

// Fields that are no hex number raise the framework's conversion error, which the default error
// handler reports. The gauge is not reset; the image is as the pass left it.
TEST_F(ImageBuildTest, ConversionErrorsAreRaisedWhereTheFieldIsRead) {
    const struct {
        const char* what;
        std::string firmware;
        std::string message;
        bool erased;  // raised by the placing, after the erase
    } cases[] = {
        {"a line of only the colon", kLinearBase0 + "\r\n:\r\n", "'$' is not a valid integer value", false},
        {"checksum", ":00000001ZZ\r\n", "'$ZZ' is not a valid integer value", false},
        {"Cyrillic checksum", ":000000010Ж\r\n", "'$0Ж' is not a valid integer value", false},
        {"byte count", Rec(":0100000011") + "\r\n" + Rec(":G0000000"), "'$G0' is not a valid integer value", true},
        {"offset", Rec(":0100000011") + "\r\n" + Rec(":0000X000"), "'$00X0' is not a valid integer value", true},
        {"base value", Rec(":0100000011") + "\r\n" + Rec(":020000040Y00"), "'$0Y00' is not a valid integer value",
         true},
        {"base record without a value field", Rec(":0100000011") + "\r\n:FC000004", "'$' is not a valid integer value",
         true},
    };
    for (const auto& c : cases) {
        image = "old";
        app.ClearEvents();
        EXPECT_EQ(Build(c.firmware), std::nullopt) << c.what;
        EXPECT_EQ(app.Events(), (std::vector<Event>{{Event::Exception, c.message}})) << c.what;
        if (c.erased) {
            EXPECT_TRUE(ErasedBut({{0, "11"}})) << c.what;
            EXPECT_EQ(gauge.Progress(), 1) << c.what;  // the placing's step for line 1
        } else {
            EXPECT_EQ(image, "old") << c.what;
        }
    }
}

TEST_F(ImageBuildTest, EmptyTextFailsWithTheGaugesRangeError) {
    image = "old";
    EXPECT_EQ(Build(""), std::nullopt);
    EXPECT_EQ(app.Events(), (std::vector<Event>{{Event::Exception, "Value must be between 1 and 2147483647"}}));
    EXPECT_EQ(image, "old");
    EXPECT_EQ(gauge.MaxValue(), 100);
}

}  // namespace
}  // namespace imagetest
