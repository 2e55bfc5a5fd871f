#pragma once
// The application without windows. Everything the commands show or sound is recorded in order
// (and, when a printer is set, printed: the command line uses that). The user is scripted: an
// action can be set to run at a chosen pump of the message queue, or when a message box comes up.
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/Application.h"

namespace toolkit::headless {

struct Event {
    enum Kind { Message, MessageBeep, Beep, BringToFront, Shell, OpenDialog, Exception };
    Kind kind;
    std::string text;          // message text, shell file, dialog file name
    std::uint32_t value = 0;   // beep type or frequency
    std::uint32_t extra = 0;   // beep duration, shell show command
    bool operator==(const Event&) const = default;
};

class HeadlessApplication : public Application {
public:
    // Pumps
    void ProcessMessages() override;
    std::uint64_t PumpCount() const { return pumps_; }
    // The scripted user's actions run as the message loop runs handlers: an error they raise goes
    // to the default error handler, not to the command that pumped.
    // Runs action at the pump whose number (counted from 1 since start) is pump.
    void AtPump(std::uint64_t pump, std::function<void()> action);
    // Runs action at the first pump at which condition() holds.
    void When(std::function<bool()> condition, std::function<void()> action);
    // Runs action when the next message box comes up, before the user closes it.
    void OnNextMessage(std::function<void(const std::string&)> action);

    void BringToFront() override;
    void ShowMessage(const std::string& text) override;
    void MessageBeep(std::uint32_t type) override;
    void Beep(std::uint32_t frequencyHz, std::uint32_t durationMs) override;
    void OpenWithShell(Form* owner, const std::string& verb, const std::string& file, int showCommand) override;
    bool ExecuteOpenDialog(const std::string& filter, std::string& fileName) override;
    void HandleException(const std::exception& error) override;

    // The user's answer to the next open dialog: a file name, or nothing to cancel.
    void QueueOpenDialogAnswer(std::optional<std::string> fileName);
    const std::string& LastOpenDialogFilter() const { return lastFilter_; }

    const std::vector<Event>& Events() const { return events_; }
    std::vector<std::string> Messages() const;
    void ClearEvents() { events_.clear(); }

    // Called for every message box and error (the command line prints them).
    std::function<void(const Event&)> Printer;

private:
    void Record(Event event);

    std::uint64_t pumps_ = 0;
    std::vector<std::pair<std::uint64_t, std::function<void()>>> pumpActions_;
    std::vector<std::pair<std::function<bool()>, std::function<void()>>> conditionActions_;
    std::deque<std::function<void(const std::string&)>> messageActions_;
    std::deque<std::optional<std::string>> dialogAnswers_;
    std::string lastFilter_;
    std::vector<Event> events_;
};

}  // namespace toolkit::headless
