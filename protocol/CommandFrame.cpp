#include "protocol/CommandFrame.h"

#include "image/HexByteSum.h"

namespace protocol {

std::string HexDigits(std::uint32_t value, int digits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    do {
        text.insert(text.begin(), kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    if (static_cast<int>(text.size()) < digits) text.insert(0, static_cast<std::size_t>(digits) - text.size(), '0');
    return text;
}

std::string CommandFrame(std::string_view code, std::string_view parameters) {
    std::string payload;
    payload.reserve(code.size() + parameters.size());
    payload.append(code).append(parameters);
    std::string frame;
    frame.reserve(payload.size() + 4);
    frame += 'k';
    frame += payload;
    frame += image::HexByteSum(payload);
    frame += ';';
    return frame;
}

std::string EraseFrame(std::uint32_t address) {
    return CommandFrame(kEraseCode, HexDigits(address, 6));
}

std::string WriteFrame(unsigned blockNumber, std::string_view blockData) {
    std::string parameters = HexDigits(blockNumber, 2);
    parameters.append(blockData);
    return CommandFrame(kWriteCode, parameters);
}

bool ReplyAccepted(std::string_view reply, std::string_view expectedStart) {
    return reply.size() >= expectedStart.size() && reply.substr(0, expectedStart.size()) == expectedStart &&
           reply.back() == ';';
}

}  // namespace protocol
