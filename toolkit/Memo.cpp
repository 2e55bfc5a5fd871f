#include "toolkit/Memo.h"

namespace toolkit {

void Memo::SetText(std::string text) {
    text_ = std::move(text);
    Changed();
}

std::vector<std::string> Memo::Lines() const {
    std::vector<std::string> lines;
    std::size_t start = 0;
    const std::size_t size = text_.size();
    while (start < size) {
        std::size_t end = start;
        while (end < size && text_[end] != '\r' && text_[end] != '\n') ++end;
        lines.emplace_back(text_, start, end - start);
        if (end < size && text_[end] == '\r') {
            ++end;
            if (end < size && text_[end] == '\n') ++end;
        } else if (end < size) {
            ++end;
        }
        start = end;
    }
    return lines;
}

void Memo::SetLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    SetText(std::move(text));
}

void Memo::Append(std::string_view characters) {
    text_ += characters;
    Changed();
}

void Memo::AddLine(std::string_view line) {
    if (!LastLineEmpty()) text_ += "\r\n";
    text_ += line;
    text_ += "\r\n";
    Changed();
}

void Memo::CloseLastLine() {
    if (LastLineEmpty()) return;
    text_ += "\r\n";
    Changed();
}

}  // namespace toolkit
