#include <windows.h>
// After windows.h, which it builds on.
#include <objbase.h>

#include <gtest/gtest.h>

#include "serial/port_list.h"
#include "serial/win32/serial_backend_win32.h"

TEST(Win32PortList, LeavesTheCallersApartmentAlone) {
    // As on the UI thread once a file dialog has run: COM is already single-threaded there.
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    const auto first = ListSerialPorts();
    const auto second = ListSerialPorts();
    EXPECT_EQ(first, second);
    // Still initialised: had the list torn the apartment down, this would start a new one (S_OK).
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
    CoUninitialize();
    CoUninitialize();
}

TEST(Win32SerialBackend, ErrorTextHasNoLineBreak) {
    const std::string message = win32serial::SystemErrorText(ERROR_ACCESS_DENIED);
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(message.find_first_of("\r\n"), std::string::npos);
}
