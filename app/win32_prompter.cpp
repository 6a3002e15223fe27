#include "app/win32_prompter.h"

#include <windows.h>

#include <commdlg.h>

#include <string>

#include "app/main_window.h"

namespace app {

namespace {

UINT IconFlags(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return MB_ICONINFORMATION;
        case MessageIcon::Warning:
            return MB_ICONWARNING;
        case MessageIcon::Error:
            return MB_ICONERROR;
        case MessageIcon::None:
            break;
    }
    return 0;
}

// The dialogs are the ANSI ones: paths are in the system code page from here on.
std::string AnsiPath(const std::filesystem::path& path) {
    const std::wstring& wide = path.native();
    if (wide.empty()) return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), out.data(), size, nullptr,
                        nullptr);
    return out;
}

std::filesystem::path PathFromAnsi(const char* ansi) {
    const int size = MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0);
    if (size <= 1) return {};
    std::wstring wide(static_cast<size_t>(size - 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide.data(), size);
    return std::filesystem::path(wide);
}

std::optional<std::filesystem::path> RunFileDialog(const FileDialogRequest& request, bool save) {
    // "description\0pattern\0...\0\0"
    std::string filter;
    for (const auto& f : request.filters) {
        filter += f.description;
        filter += '\0';
        filter += f.pattern;
        filter += '\0';
    }
    filter += '\0';
    const std::string directory = AnsiPath(request.initialDirectory);
    char file[MAX_PATH] = {};
    request.proposedName.copy(file, MAX_PATH - 1);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = MainWindowHandle();
    dialog.lpstrFilter = request.filters.empty() ? nullptr : filter.c_str();
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = directory.empty() ? nullptr : directory.c_str();
    dialog.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
    dialog.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
    dialog.Flags = OFN_NOCHANGEDIR | (save ? OFN_OVERWRITEPROMPT : (OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST));
    const BOOL chosen = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    if (!chosen) return std::nullopt;
    return PathFromAnsi(file);
}

}  // namespace

Win32Prompter::Win32Prompter() : previous_(SetPrompter(this)) {}

Win32Prompter::~Win32Prompter() {
    SetPrompter(previous_);
}

void Win32Prompter::ShowMessage(const std::wstring& text, const std::wstring& title, MessageIcon icon) {
    MessageBoxW(MainWindowHandle(), text.c_str(), title.c_str(), MB_OK | IconFlags(icon));
}

bool Win32Prompter::Confirm(const std::wstring& text, const std::wstring& title) {
    return MessageBoxW(MainWindowHandle(), text.c_str(), title.c_str(), MB_OKCANCEL | MB_ICONWARNING) == IDOK;
}

bool Win32Prompter::AskYesNo(const std::wstring& text, const std::wstring& title) {
    return MessageBoxW(MainWindowHandle(), text.c_str(), title.c_str(),
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

std::optional<std::filesystem::path> Win32Prompter::ChooseOpenFile(const FileDialogRequest& request) {
    return RunFileDialog(request, false);
}

std::optional<std::filesystem::path> Win32Prompter::ChooseSaveFile(const FileDialogRequest& request) {
    return RunFileDialog(request, true);
}

void Win32Prompter::Pause(uint32_t milliseconds) {
    Sleep(milliseconds);
}

}  // namespace app
