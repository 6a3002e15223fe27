#include "serial/win32/comm_timeouts.h"

#include <gtest/gtest.h>

TEST(CommTimeouts, CarryEachFieldToItsPlace) {
    struct Case {
        const char* what;
        SerialTimeouts timeouts;
        DWORD interval, readMultiplier, readConstant, writeMultiplier, writeConstant;
    };
    const Case kCases[] = {
        {"open", OpenTimeouts(), 50, 10, 50, 10, 50},
        {"FJ read", ReadTimeouts(500), 50, 0, 500, 0, 0},
        {"EV48-400-C read", ReadTimeouts(1000), 50, 0, 1000, 0, 0},
        {"all distinct", SerialTimeouts{1, 2, 3, 4, 5}, 1, 2, 3, 4, 5},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        const COMMTIMEOUTS comm = ToCommTimeouts(c.timeouts);
        EXPECT_EQ(comm.ReadIntervalTimeout, c.interval);
        EXPECT_EQ(comm.ReadTotalTimeoutMultiplier, c.readMultiplier);
        EXPECT_EQ(comm.ReadTotalTimeoutConstant, c.readConstant);
        EXPECT_EQ(comm.WriteTotalTimeoutMultiplier, c.writeMultiplier);
        EXPECT_EQ(comm.WriteTotalTimeoutConstant, c.writeConstant);
    }
}
