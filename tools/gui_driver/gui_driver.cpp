// Drives a running Vantrel.exe from outside, for the screenshot script: waits for its window, clicks
// its buttons and navigation entries, closes it.
//   vantrel_gui_driver wait          prints the window's screen rectangle: left top width height
//   vantrel_gui_driver click <id>    a click on the child control with that id
//   vantrel_gui_driver nav <index>   a click on the navigation entry at that index (0 = top)
//   vantrel_gui_driver close
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kWaitStepMs = 200;
constexpr int kWaitSteps = 150;
// Where the main window stacks its navigation entries.
constexpr int kNavFirstTop = 125;
constexpr int kNavEntryPitch = 40;
constexpr int kNavEntryMiddle = 18;
constexpr int kNavEntryX = 90;

HWND FindMainWindow() {
    for (int step = 0; step < kWaitSteps; ++step) {
        HWND window = FindWindowW(L"DashboardWindowClass", nullptr);
        if (window && IsWindowVisible(window)) return window;
        Sleep(kWaitStepMs);
    }
    return nullptr;
}

int Usage() {
    std::fputs("usage: vantrel_gui_driver wait | click <id> | nav <index> | close\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    HWND window = FindMainWindow();
    if (!window) {
        std::fputs("Vantrel's window did not appear\n", stderr);
        return 1;
    }
    const char* command = argv[1];
    if (std::strcmp(command, "wait") == 0) {
        RECT rect{};
        GetWindowRect(window, &rect);
        std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
        return 0;
    }
    if (std::strcmp(command, "click") == 0 && argc == 3) {
        HWND control = GetDlgItem(window, std::atoi(argv[2]));
        if (!control) {
            std::fprintf(stderr, "no control %s\n", argv[2]);
            return 1;
        }
        SendMessageW(control, BM_CLICK, 0, 0);
        return 0;
    }
    if (std::strcmp(command, "nav") == 0 && argc == 3) {
        const int y = kNavFirstTop + std::atoi(argv[2]) * kNavEntryPitch + kNavEntryMiddle;
        SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kNavEntryX, y));
        SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(kNavEntryX, y));
        return 0;
    }
    if (std::strcmp(command, "close") == 0) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    }
    return Usage();
}
