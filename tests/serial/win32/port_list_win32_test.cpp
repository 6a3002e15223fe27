#include <windows.h>
// After windows.h, which it builds on.
#include <objbase.h>

#include <gtest/gtest.h>

#include "serial/port_list.h"

TEST(Win32PortList, LeavesTheCallersApartmentAlone) {
    // As on the UI thread once a file dialog has run: COM is already single-threaded there.
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    const auto first = ListSerialPorts();
    EXPECT_EQ(ListSerialPorts(), first);
    // Still initialised: had the list torn the apartment down, this would start a new one (S_OK).
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
    CoUninitialize();
    CoUninitialize();
}
