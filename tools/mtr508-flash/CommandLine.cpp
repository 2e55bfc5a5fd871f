#include "tools/mtr508-flash/CommandLine.h"

#include <cstdio>

namespace flash {

Options::Options(const std::vector<std::string>& words, const std::set<std::string>& accepted) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.rfind("--", 0) != 0) throw UsageError("unexpected argument: " + word);
        std::string name = word.substr(2);
        std::optional<std::string> value;
        if (const auto equals = name.find('='); equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        if (!accepted.contains(name)) throw UsageError("unknown option: --" + name);
        if (!value) {
            if (i + 1 >= words.size()) throw UsageError("--" + name + " needs a value");
            value = words[++i];
        }
        if (value->empty()) throw UsageError("--" + name + " needs a value");
        if (!values_.emplace(name, *value).second) throw UsageError("--" + name + " given twice");
    }
}

std::optional<std::string> Options::Get(const std::string& name) const {
    const auto found = values_.find(name);
    if (found == values_.end()) return std::nullopt;
    return found->second;
}

void PrintLines(std::FILE* stream, const std::string& text) {
    std::string lines;
    lines.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            lines += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            lines += text[i];
        }
    }
    if (lines.empty() || lines.back() != '\n') lines += '\n';
    std::fputs(lines.c_str(), stream);
    std::fflush(stream);
}

}  // namespace flash
