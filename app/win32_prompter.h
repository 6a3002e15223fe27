// Message boxes, confirmations, file dialogs and pauses of the Windows program.
#pragma once

#include "core/prompter.h"

namespace app {

class Win32Prompter final : public Prompter {
public:
    // Installs itself; the destructor puts the previous prompter back.
    Win32Prompter();
    ~Win32Prompter() override;
    Win32Prompter(const Win32Prompter&) = delete;
    Win32Prompter& operator=(const Win32Prompter&) = delete;

    void ShowMessage(const std::wstring& text, const std::wstring& title, MessageIcon icon) override;
    bool Confirm(const std::wstring& text, const std::wstring& title) override;
    bool AskYesNo(const std::wstring& text, const std::wstring& title) override;
    std::optional<std::filesystem::path> ChooseOpenFile(const FileDialogRequest& request) override;
    std::optional<std::filesystem::path> ChooseSaveFile(const FileDialogRequest& request) override;
    void Pause(uint32_t milliseconds) override;

private:
    Prompter* previous_;
};

}  // namespace app
