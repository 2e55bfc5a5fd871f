// Decoding the identify reply, the description as MemoAbout shows it, and the version gate.
#include <gtest/gtest.h>

#include "protocol/Description.h"
#include "protocol/DeviceInfo.h"
#include "toolkit/Errors.h"

namespace protocol {
namespace {

TEST(DecodeDeviceInfo, ReadsTheFieldsAsFarAsTheReplyReaches) {
    struct Case {
        const char* reply;
        DeviceInfo info;
        const char* code;
    };
    const Case cases[] = {
        {"k8202AABB0480008055;", {"02", 4, 128, 128}, "82"},
        {"k8202AABBff0aFFFF00;", {"02", 255, 10, 65535}, "82"},  // either case of hex digits
        {"k8201AABB0480008055;", {"01", 4, 128, 128}, "82"},
        {"k8202AABBzz800080;", {"02", 0, 128, 128}, "82"},        // not hex: 0
        {"k8202AABB0480", {"02", 4, 128, 0}, "82"},               // page count missing
        {"k8202AABB04800", {"02", 4, 128, 0}, "82"},              // a partial field is read as far as it goes
        {"k8202AABB048001", {"02", 4, 128, 1}, "82"},
        {"k82", {"", 0, 0, 0}, "82"},
        {"k8", {"", 0, 0, 0}, "8"},
        {"", {"", 0, 0, 0}, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeDeviceInfo(c.reply), c.info) << c.reply;
        EXPECT_EQ(ReplyCodeOf(c.reply), c.code) << c.reply;
    }
}

TEST(DeviceGeometry, CountsTheBytesAndTheLastPage) {
    EXPECT_EQ(WrittenBytes({"02", 4, 128, 128}), 65536u);
    EXPECT_EQ(LastPageStart({"02", 4, 128, 128}), 65024u);
    EXPECT_EQ(LastPageStart({"02", 4, 128, 0}), 0u);
    EXPECT_EQ(WrittenBytes({"02", 255, 255, 65535}), 255ull * 255 * 65535);
}

TEST(DescriptionMemoText, KeepsCharactersFourToLMinusThree) {
    struct Case {
        std::string reply;
        std::string text;
    };
    const Case cases[] = {
        {"", "EMPTY"},
        {"k83;", "EMPTY"},
        {"k8;", "EMPTY"},
        {"k83X;", ""},  // 5 and 6 characters: nothing
        {"k83XY;", ""},
        {"k83ABX;", "A"},
        {"k83171115S1;", "171115"},
        {"k83A\r\nB\r\nS1;", "A\r\r\nB\r\r\n"},  // CR stays a character before the line break
        {"k83\nA\n\n\nB\nS1;", "A\r\nB\r\n"},        // repeated LF: one line break, no empty line
        {"k83\xcf\xf0\xe8\xeb\xe0\xe4S1;", "Прилад"},  // 1251 bytes become UTF-8
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DescriptionMemoText(c.reply, "EMPTY"), c.text) << c.reply;
    }
}

TEST(CheckVersion, GatesOnTheTargetVersion) {
    struct Case {
        const char* description;
        VersionVerdict verdict;
    };
    const Case cases[] = {
        {"171115", VersionVerdict::Same},
        {"171116", VersionVerdict::Newer},
        {"171114", VersionVerdict::Older},
        {"000001", VersionVerdict::Older},
        {"  +171", VersionVerdict::Older},  // leading blanks and a sign convert
        {"$FFFFF", VersionVerdict::Newer},  // the framework's hex notation converts too
        {"17111", VersionVerdict::Unknown},
        {"1711150", VersionVerdict::Unknown},
        {"", VersionVerdict::Unknown},
        {"Невідомий прилад/версія", VersionVerdict::Unknown},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckVersion(c.description), c.verdict) << c.description;
    }
    // Six characters in twelve bytes: counted in characters, so converted, and refused as a number.
    EXPECT_THROW(CheckVersion("Прилад"), toolkit::EConvertError);
    try {
        CheckVersion("17111x");
        FAIL() << "no conversion error";
    } catch (const toolkit::EConvertError& error) {
        EXPECT_STREQ(error.what(), "'17111x' is not a valid integer value");
    }
}

}  // namespace
}  // namespace protocol
