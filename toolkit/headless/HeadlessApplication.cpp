#include "toolkit/headless/HeadlessApplication.h"

#include "platform/MainThreadCalls.h"

namespace toolkit::headless {

void HeadlessApplication::ProcessMessages() {
    ++pumps_;
    platform::MainThreadCalls::Instance().RunPending();
    for (std::size_t i = 0; i < pumpActions_.size();) {
        if (pumpActions_[i].first == pumps_) {
            auto action = std::move(pumpActions_[i].second);
            pumpActions_.erase(pumpActions_.begin() + static_cast<std::ptrdiff_t>(i));
            Run(action);
        } else {
            ++i;
        }
    }
    for (std::size_t i = 0; i < conditionActions_.size();) {
        if (conditionActions_[i].first()) {
            auto action = std::move(conditionActions_[i].second);
            conditionActions_.erase(conditionActions_.begin() + static_cast<std::ptrdiff_t>(i));
            Run(action);
        } else {
            ++i;
        }
    }
}

void HeadlessApplication::AtPump(std::uint64_t pump, std::function<void()> action) {
    pumpActions_.emplace_back(pump, std::move(action));
}

void HeadlessApplication::When(std::function<bool()> condition, std::function<void()> action) {
    conditionActions_.emplace_back(std::move(condition), std::move(action));
}

void HeadlessApplication::OnNextMessage(std::function<void(const std::string&)> action) {
    messageActions_.push_back(std::move(action));
}

void HeadlessApplication::BringToFront() {
    Record({Event::BringToFront, {}});
}

void HeadlessApplication::ShowMessage(const std::string& text) {
    Record({Event::Message, text});
    if (!messageActions_.empty()) {
        auto action = std::move(messageActions_.front());
        messageActions_.pop_front();
        Run([&] { action(text); });
    }
}

void HeadlessApplication::MessageBeep(std::uint32_t type) {
    Record({Event::MessageBeep, {}, type});
}

void HeadlessApplication::Beep(std::uint32_t frequencyHz, std::uint32_t durationMs) {
    Record({Event::Beep, {}, frequencyHz, durationMs});
}

void HeadlessApplication::OpenWithShell(Form*, const std::string& verb, const std::string& file, int showCommand) {
    Record({Event::Shell, verb.empty() ? file : verb + " " + file, 0, static_cast<std::uint32_t>(showCommand)});
}

bool HeadlessApplication::ExecuteOpenDialog(const std::string& filter, std::string& fileName) {
    lastFilter_ = filter;
    std::optional<std::string> answer;
    if (!dialogAnswers_.empty()) {
        answer = std::move(dialogAnswers_.front());
        dialogAnswers_.pop_front();
    }
    Record({Event::OpenDialog, answer.value_or("")});
    if (!answer) return false;
    fileName = *answer;
    return true;
}

void HeadlessApplication::HandleException(const std::exception& error) {
    Record({Event::Exception, error.what()});
}

void HeadlessApplication::QueueOpenDialogAnswer(std::optional<std::string> fileName) {
    dialogAnswers_.push_back(std::move(fileName));
}

std::vector<std::string> HeadlessApplication::Messages() const {
    std::vector<std::string> messages;
    for (const auto& event : events_) {
        if (event.kind == Event::Message || event.kind == Event::Exception) messages.push_back(event.text);
    }
    return messages;
}

void HeadlessApplication::Record(Event event) {
    events_.push_back(event);
    if (Printer) Printer(events_.back());
}

}  // namespace toolkit::headless
