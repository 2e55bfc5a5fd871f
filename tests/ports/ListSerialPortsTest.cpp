#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/fake/FakeSerialCommRegistry.h"
#include "serial/EComPort.h"
#include "serial/ListSerialPorts.h"
#ifndef _WIN32
#include "platform/posix/SysfsSerialCommRegistry.h"
#endif

namespace {

using platform::fake::FakeSerialCommRegistry;

FakeSerialCommRegistry RegistryWith(std::vector<std::string> ports) {
    FakeSerialCommRegistry registry;
    int n = 0;
    for (auto& port : ports) registry.Values.push_back({"\\Device\\Serial" + std::to_string(n++), port});
    return registry;
}

void ExpectRegistryError(FakeSerialCommRegistry& registry) {
    std::vector<std::string> target{"COM7", "COM8"};
    try {
        serial::ListSerialPorts(registry, target);
        FAIL() << "no error raised";
    } catch (const serial::EComPort& error) {
        EXPECT_STREQ(error.what(), "Помилка звернення до системного реєстру\nНеобхідно повторно відкрити програму!");
    }
    EXPECT_EQ(target, (std::vector<std::string>{"COM7", "COM8"}));
}

TEST(ListSerialPorts, SortsCaseInsensitivelyCharacterByCharacter) {
    auto registry = RegistryWith({"COM3", "COM1", "com10", "COM2", "COM1"});
    std::vector<std::string> target{"old"};
    serial::ListSerialPorts(registry, target);
    // Duplicates stay; no terminating zero is left on an item.
    EXPECT_EQ(target, (std::vector<std::string>{"COM1", "COM1", "com10", "COM2", "COM3"}));
    EXPECT_EQ(registry.Opens, 1);
    EXPECT_EQ(registry.Closes, 1);
}

TEST(ListSerialPorts, EmptyKeyGivesEmptyList) {
    FakeSerialCommRegistry registry;
    std::vector<std::string> target{"COM1"};
    serial::ListSerialPorts(registry, target);
    EXPECT_TRUE(target.empty());
    EXPECT_EQ(registry.Closes, 1);
}

TEST(ListSerialPorts, MissingKeyRaisesAndKeepsTarget) {
    FakeSerialCommRegistry registry;
    registry.KeyMissing = true;
    ExpectRegistryError(registry);
    EXPECT_EQ(registry.Closes, 0);  // never opened, so never closed
}

TEST(ListSerialPorts, ValueTooLongOrUnreadableRaisesAndClosesKey) {
    // Data of 256 characters needs 257 bytes with its zero; a name of 256 characters needs 257.
    auto longData = RegistryWith({"COM1", std::string(256, 'C')});
    ExpectRegistryError(longData);
    EXPECT_EQ(longData.Closes, 1);

    auto longName = RegistryWith({"COM1"});
    longName.Values.push_back({std::string(256, 'n'), "COM2"});
    ExpectRegistryError(longName);
    EXPECT_EQ(longName.Closes, 1);

    auto failing = RegistryWith({"COM1", "COM2"});
    failing.FailAt = std::make_pair(1u, 5L);
    ExpectRegistryError(failing);
    EXPECT_EQ(failing.Closes, 1);
}

TEST(ListSerialPorts, LongestNamesThatFitAreRead) {
    auto registry = RegistryWith({std::string(255, 'C')});
    registry.Values[0].name = std::string(255, 'n');
    std::vector<std::string> target;
    serial::ListSerialPorts(registry, target);
    ASSERT_EQ(target.size(), 1u);
    EXPECT_EQ(target[0].size(), 255u);
}

#ifndef _WIN32
// A sysfs tty folder as Linux lays it out: ports bound to a driver are listed, serial8250 ports
// without hardware (type 0) and virtual terminals are not.
TEST(SysfsSerialCommRegistry, ListsTtysBoundToADriver) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("mtr-sysfs-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::remove_all(root);
    auto add = [&](const std::string& name, bool driver, const char* type) {
        fs::create_directories(root / name);
        if (driver) fs::create_directories(root / name / "device" / "driver");
        if (type) std::ofstream(root / name / "type") << type << "\n";
    };
    add("ttyS0", true, "4");
    add("ttyS1", true, "0");
    add("ttyUSB0", true, nullptr);
    add("ttyACM1", true, nullptr);
    add("tty0", false, nullptr);
    platform::SysfsSerialCommRegistry registry(root);
    std::vector<std::string> target;
    serial::ListSerialPorts(registry, target);
    EXPECT_EQ(target, (std::vector<std::string>{"ttyACM1", "ttyS0", "ttyUSB0"}));
    fs::remove_all(root);

    platform::SysfsSerialCommRegistry missing(root / "absent");
    EXPECT_THROW(serial::ListSerialPorts(missing, target), serial::EComPort);
}
#else
// Wine always publishes COM1 under HARDWARE\DEVICEMAP\SERIALCOMM; the list is only read, no port opened.
TEST(SystemSerialCommRegistry, ReadsTheSystemsPortList) {
    std::vector<std::string> target;
    serial::ListSerialPorts(platform::SystemSerialCommRegistry(), target);
    EXPECT_NE(std::find(target.begin(), target.end(), "COM1"), target.end());
    EXPECT_TRUE(std::is_sorted(target.begin(), target.end()));
}
#endif

}  // namespace
