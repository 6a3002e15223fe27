#include "core/prompter.h"

#include <chrono>
#include <thread>

#include "core/log.h"

namespace {

class DefaultPrompter final : public Prompter {
public:
    void ShowMessage(const std::wstring& text, const std::wstring& title, MessageIcon) override {
        Log(title + L": " + text);
    }
    bool Confirm(const std::wstring& text, const std::wstring& title) override {
        Log(title + L": " + text + L" (nobody to answer: cancelled)");
        return false;
    }
    std::optional<std::filesystem::path> ChooseOpenFile(const FileDialogRequest&) override {
        return std::nullopt;
    }
    std::optional<std::filesystem::path> ChooseSaveFile(const FileDialogRequest&) override {
        return std::nullopt;
    }
    void Pause(uint32_t milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
};

DefaultPrompter& Default() {
    static DefaultPrompter prompter;
    return prompter;
}

Prompter* g_current = nullptr;

}  // namespace

Prompter& CurrentPrompter() {
    return g_current ? *g_current : Default();
}

Prompter* SetPrompter(Prompter* prompter) {
    Prompter* previous = g_current;
    g_current = prompter;
    return previous;
}

void Pause(uint32_t milliseconds) {
    CurrentPrompter().Pause(milliseconds);
}
