#include "serial/ListSerialPorts.h"

#include <algorithm>
#include <array>

#include "serial/EComPort.h"

namespace serial {
namespace {

constexpr std::uint32_t kBufferSize = 256;

char FoldCase(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Character by character, case folded; a name that is a prefix of another comes first.
bool ComesBefore(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) {
                                            return static_cast<unsigned char>(FoldCase(x)) <
                                                   static_cast<unsigned char>(FoldCase(y));
                                        });
}

class OpenKey {
public:
    explicit OpenKey(platform::SerialCommRegistry& registry) : registry_(registry) {
        if (registry_.OpenKey() != platform::kRegSuccess) throw EComPort(kRegistryErrorMessage);
    }
    ~OpenKey() { registry_.CloseKey(); }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

private:
    platform::SerialCommRegistry& registry_;
};

}  // namespace

void ListSerialPorts(platform::SerialCommRegistry& registry, std::vector<std::string>& target) {
    OpenKey key(registry);
    std::vector<std::string> names;
    for (std::uint32_t index = 0;; ++index) {
        std::array<char, kBufferSize> name{};
        std::array<unsigned char, kBufferSize> data{};
        std::uint32_t nameSize = kBufferSize;
        std::uint32_t dataSize = kBufferSize;
        std::uint32_t type = 0;
        const long result = registry.EnumValue(index, name.data(), &nameSize, &type, data.data(), &dataSize);
        if (result == platform::kRegNoMoreItems) break;
        if (result != platform::kRegSuccess) throw EComPort(kRegistryErrorMessage);
        // The data is text up to its terminating zero; the reported size counts that zero.
        const auto length = std::min<std::size_t>(dataSize, kBufferSize);
        const auto* text = reinterpret_cast<const char*>(data.data());
        names.emplace_back(text, std::find(text, text + length, '\0'));
    }
    std::stable_sort(names.begin(), names.end(), ComesBefore);
    target = std::move(names);
}

}  // namespace serial
