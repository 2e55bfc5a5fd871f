#include "toolkit/Convert.h"

#include <optional>

#include "toolkit/Errors.h"

namespace toolkit {
namespace {

std::optional<std::int32_t> Parse(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else return std::nullopt;
        value = value * base + digit;
        // Hex texts may give the 32-bit pattern of a negative number, as the framework allows.
        if (value > (base == 16 ? 0xFFFFFFFFll : 0x80000000ll)) return std::nullopt;
    }
    if (base == 16) {
        const auto bits = static_cast<std::uint32_t>(value);
        return static_cast<std::int32_t>(negative ? 0u - bits : bits);
    }
    if (negative) return static_cast<std::int32_t>(-value);
    if (value > 0x7FFFFFFF) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

}  // namespace

std::int32_t StrToInt(const std::string& text) {
    if (auto value = Parse(text)) return *value;
    throw EConvertError("'" + text + "' is not a valid integer value");
}

std::int32_t StrToIntDef(const std::string& text, std::int32_t fallback) {
    return Parse(text).value_or(fallback);
}

}  // namespace toolkit
