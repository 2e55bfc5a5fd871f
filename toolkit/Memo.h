#pragma once
// A multi-line text. It holds one text (UTF-8); its lines are that text split at CR LF, LF or a
// lone CR, a final line break giving no extra line, as the framework's string lists split.
#include <string>
#include <vector>

#include "toolkit/Control.h"

namespace toolkit {

class Memo : public Control {
public:
    using Control::Control;

    const std::string& Text() const { return text_; }
    void SetText(std::string text);
    void Clear() { SetText({}); }

    std::vector<std::string> Lines() const;
    // Replaces the text by the lines, each closed by CR LF.
    void SetLines(const std::vector<std::string>& lines);

    // Appends characters to the end of the text.
    void Append(std::string_view characters);
    // Adds a line, as the framework's Lines.Add does in a memo: a line break first when the last
    // line is not closed, then the line and its line break.
    void AddLine(std::string_view line);
    // A line break when the text is not empty and its last line is not empty; else nothing.
    void CloseLastLine();
    // True when the text is empty or ends with a line break (LF; a lone CR is no line end in a memo).
    bool LastLineEmpty() const { return text_.empty() || text_.back() == '\n'; }

private:
    std::string text_;
};

}  // namespace toolkit
