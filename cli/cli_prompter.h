// The command line's answers to the questions the shared code asks: the command itself is the
// technician's decision, so confirmations are answered yes and file dialogs with the paths given as
// options. Message boxes are kept so that a failing command can say in one line what went wrong.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "core/prompter.h"

namespace cli {

class CliPrompter final : public Prompter {
public:
    CliPrompter();
    ~CliPrompter() override;
    CliPrompter(const CliPrompter&) = delete;
    CliPrompter& operator=(const CliPrompter&) = delete;

    void ShowMessage(const std::wstring& text, const std::wstring& title, MessageIcon icon) override;
    bool Confirm(const std::wstring& text, const std::wstring& title) override;
    bool AskYesNo(const std::wstring& text, const std::wstring& title) override;
    std::optional<std::filesystem::path> ChooseOpenFile(const FileDialogRequest& request) override;
    std::optional<std::filesystem::path> ChooseSaveFile(const FileDialogRequest& request) override;
    void Pause(uint32_t milliseconds) override;

    void SetOpenFile(std::filesystem::path file) { openFile_ = std::move(file); }
    void SetSaveFile(std::filesystem::path file) { saveFile_ = std::move(file); }

    // The message boxes shown so far, each as one line "Title: text".
    const std::vector<std::string>& Messages() const { return messages_; }
    // The text of the last message box, on one line; empty when none was shown.
    std::string LastMessageText() const { return lastText_; }
    // Writes the messages not yet written, one line each, and forgets them.
    void FlushMessages(std::ostream& err);
    // Forgets them unwritten: an error line that already carries their text replaces them.
    void DiscardMessages() { messages_.clear(); }

private:
    Prompter* previous_;
    std::optional<std::filesystem::path> openFile_;
    std::optional<std::filesystem::path> saveFile_;
    std::vector<std::string> messages_;
    std::string lastText_;
};

// The text with its line breaks and tabs turned into single blanks, so that it stays one line.
std::string OneLine(const std::wstring& text);

}  // namespace cli
