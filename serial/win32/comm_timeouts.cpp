#include "serial/win32/comm_timeouts.h"

COMMTIMEOUTS ToCommTimeouts(const SerialTimeouts& timeouts) {
    COMMTIMEOUTS comm{};
    comm.ReadIntervalTimeout = timeouts.readIntervalMs;
    comm.ReadTotalTimeoutMultiplier = timeouts.readTotalMultiplierMs;
    comm.ReadTotalTimeoutConstant = timeouts.readTotalConstantMs;
    comm.WriteTotalTimeoutMultiplier = timeouts.writeTotalMultiplierMs;
    comm.WriteTotalTimeoutConstant = timeouts.writeTotalConstantMs;
    return comm;
}
