// A prompter for tests: pauses pass at once and are recorded, questions get the answers set here.
#pragma once

#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/prompter.h"

namespace testsupport {

class FakePrompter final : public Prompter {
public:
    FakePrompter() : previous_(SetPrompter(this)) {}
    ~FakePrompter() override { SetPrompter(previous_); }

    void ShowMessage(const std::wstring& text, const std::wstring& title, MessageIcon) override {
        messages.push_back(title + L": " + text);
    }
    bool Confirm(const std::wstring& text, const std::wstring& title) override {
        messages.push_back(title + L"? " + text);
        return confirmAnswer;
    }
    bool AskYesNo(const std::wstring& text, const std::wstring& title) override {
        messages.push_back(title + L"? " + text);
        return yesNoAnswer.value_or(confirmAnswer);
    }
    std::optional<std::filesystem::path> ChooseOpenFile(const FileDialogRequest& request) override {
        dialogs.push_back(request);
        return openFile;
    }
    std::optional<std::filesystem::path> ChooseSaveFile(const FileDialogRequest& request) override {
        dialogs.push_back(request);
        return saveFile;
    }
    void Pause(uint32_t milliseconds) override {
        pauses.push_back(milliseconds);
        if (events) events->push_back("pause " + std::to_string(milliseconds));
    }

    bool confirmAnswer = true;
    std::optional<bool> yesNoAnswer;  // the answer to a Yes/No question; confirmAnswer's when not set
    std::optional<std::filesystem::path> openFile;
    std::optional<std::filesystem::path> saveFile;
    std::vector<std::wstring> messages;
    std::vector<FileDialogRequest> dialogs;
    std::vector<uint32_t> pauses;
    std::vector<std::string>* events = nullptr;  // when set, pauses are noted there too, among other fakes'

private:
    Prompter* previous_;
};

}  // namespace testsupport
