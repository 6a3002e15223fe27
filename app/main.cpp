#include <windows.h>

#include "app/application.h"
#include "app/win32_prompter.h"
#include "core/host.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    app::Win32Prompter prompter;
    app::Application application(instance, host::ExecutableDirectory().value_or(std::filesystem::path()));
    application.Start();
    if (!application.CreateMainWindow(showCommand)) {
        application.Shutdown();
        return 1;
    }
    const int exitCode = application.RunMessageLoop();
    application.Shutdown();
    return exitCode;
}
