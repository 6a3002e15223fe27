// The one seam for everything that waits on a person or on the clock: message boxes, confirmations,
// file dialogs and the fixed pauses between controller exchanges. The Windows program answers with
// real dialogs and Sleep, the command line with its own prompts and options, tests at once.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

enum class MessageIcon { None, Information, Warning, Error };

struct FileFilter {
    std::string description;  // "Vantrel Data Files (*.vtdata)"
    std::string pattern;      // "*.vtdata"
};

struct FileDialogRequest {
    std::string title;
    std::vector<FileFilter> filters;
    std::string defaultExtension;
    std::filesystem::path initialDirectory;
    std::string proposedName;
};

class Prompter {
public:
    virtual ~Prompter() = default;
    // A message box with an OK button.
    virtual void ShowMessage(const std::wstring& text, const std::wstring& title, MessageIcon icon) = 0;
    // OK/Cancel; true for OK.
    virtual bool Confirm(const std::wstring& text, const std::wstring& title) = 0;
    // Yes/No with No the default answer, for a question whose safe answer is No; true for Yes. A
    // prompter without a box of its own for it asks Confirm.
    virtual bool AskYesNo(const std::wstring& text, const std::wstring& title) {
        return Confirm(text, title);
    }
    virtual std::optional<std::filesystem::path> ChooseOpenFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::filesystem::path> ChooseSaveFile(const FileDialogRequest& request) = 0;
    virtual void Pause(uint32_t milliseconds) = 0;
};

// The prompter in force. Until one is installed, messages are logged, confirmations and file
// dialogs are refused, and pauses sleep.
Prompter& CurrentPrompter();
// Installs a prompter (not owned); nullptr restores the default. Returns the previous one.
Prompter* SetPrompter(Prompter* prompter);

// Shorthand for CurrentPrompter().Pause(ms).
void Pause(uint32_t milliseconds);
