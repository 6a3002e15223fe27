#include "cli/cli_prompter.h"

#include <chrono>
#include <ostream>
#include <thread>

#include "core/text.h"

namespace cli {

CliPrompter::CliPrompter() : previous_(SetPrompter(this)) {}

CliPrompter::~CliPrompter() {
    SetPrompter(previous_);
}

std::string OneLine(const std::wstring& text) {
    std::string line;
    bool pendingBreak = false;
    for (char c : text::WideToUtf8(text)) {
        if (c == '\r' || c == '\n' || c == '\t') {
            pendingBreak = !line.empty();
            continue;
        }
        if (pendingBreak && c != ' ' && line.back() != ' ') line += ' ';
        pendingBreak = false;
        line += c;
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

void CliPrompter::ShowMessage(const std::wstring& text, const std::wstring& title, MessageIcon) {
    lastText_ = OneLine(text);
    messages_.push_back(title.empty() ? lastText_ : OneLine(title) + ": " + lastText_);
}

// The warnings the tuning page puts before a write are for a person at a window; whoever typed the
// command has already decided.
bool CliPrompter::Confirm(const std::wstring&, const std::wstring&) {
    return true;
}

// A question whose safe answer is No is one the command line leaves to an option of the command.
bool CliPrompter::AskYesNo(const std::wstring&, const std::wstring&) {
    return false;
}

std::optional<std::filesystem::path> CliPrompter::ChooseOpenFile(const FileDialogRequest&) {
    return openFile_;
}

std::optional<std::filesystem::path> CliPrompter::ChooseSaveFile(const FileDialogRequest&) {
    return saveFile_;
}

// These are the drivers' protocol pauses: the controller needs them, whoever is watching.
void CliPrompter::Pause(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void CliPrompter::FlushMessages(std::ostream& err) {
    for (const auto& message : messages_) err << message << '\n';
    messages_.clear();
}

}  // namespace cli
