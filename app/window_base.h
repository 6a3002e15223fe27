// The one window procedure of the program: it keeps the C++ object in the window's user data and
// forwards every message to it.
#pragma once

#include <windows.h>

namespace app {

class WindowBase {
public:
    WindowBase() = default;
    virtual ~WindowBase();
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    HWND Handle() const { return hwnd_; }

protected:
    // Registers a class whose windows forward to their WindowBase. True also when it already exists.
    static bool RegisterWindowClass(HINSTANCE instance, const wchar_t* className, HBRUSH background);
    HWND CreateFor(HINSTANCE instance, const wchar_t* className, const wchar_t* title, DWORD style, int x,
                   int y, int width, int height);
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
};

}  // namespace app
