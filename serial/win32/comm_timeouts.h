// SerialTimeouts as the COM port driver takes them.
#pragma once

#include <windows.h>

#include "serial/serial_backend.h"

COMMTIMEOUTS ToCommTimeouts(const SerialTimeouts& timeouts);
