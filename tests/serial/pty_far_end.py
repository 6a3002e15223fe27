#!/usr/bin/env python3
"""The far end of the line for the COM port tests under Wine: writes its pseudo-terminal's slave path to
the file named by argv[1], then echoes every request, except that one starting with 0xE8 stalls the line
for a while, after which what piled up is dropped."""
import fcntl
import os
import pty
import select
import sys
import termios
import time

# Made this process's controlling terminal, so the wine server (a session leader that opens it without
# O_NOCTTY) cannot take it and get a hang-up when the test ends.
os.setsid()
master, slave = pty.openpty()
fcntl.ioctl(slave, termios.TIOCSCTTY, 0)
# The slave stays open here too, so the master never sees a hang-up while the port is reopened.
with open(sys.argv[1] + ".tmp", "w") as ready:
    ready.write(os.ttyname(slave))
os.rename(sys.argv[1] + ".tmp", sys.argv[1])
while True:
    if not select.select([master], [], [], 1.0)[0]:
        continue
    try:
        request = os.read(master, 4096)
    except OSError:
        time.sleep(0.01)
        continue
    if request[0] != 0xE8:
        os.write(master, request)
        continue
    time.sleep(1.5)
    while select.select([master], [], [], 0.2)[0]:
        try:
            os.read(master, 65536)
        except OSError:
            break
