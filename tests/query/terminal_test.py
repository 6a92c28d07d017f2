#!/usr/bin/env python3
"""imset-query with standard input a terminal: each line is answered as it
is typed, before the end of input; a faulty line is said and the session
goes on; Ctrl-D ends it with the count, and status 2 for the faulty line.

    terminal_test.py IMSET_QUERY
"""
import os
import select
import subprocess
import sys
import time


def read_until(fd, text, seconds=20):
    got = b""
    deadline = time.monotonic() + seconds
    while text not in got:
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            sys.exit(f"no {text!r} in time; got {got!r}")
        chunk = os.read(fd, 4096)
        if not chunk:
            sys.exit(f"output ended without {text!r}; got {got!r}")
        got += chunk
    return got


def main():
    master, slave = os.openpty()
    program = subprocess.Popen([sys.argv[1], "-q"], stdin=slave, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    os.close(slave)
    out, err = program.stdout.fileno(), program.stderr.fileno()
    read_until(err, b"end with Ctrl-D")
    os.write(master, b"+0,1 +0,2|1 -0,2\n")
    # Answered while the terminal is still open.
    read_until(out, b"structural: no model")
    os.write(master, b"+0,y\n")
    read_until(err, b"<stdin>:2:4: unknown variable 'y'")
    os.write(master, b"+0,1|2 -0,1\n")
    read_until(out, b"<stdin>:3: +0,1|2 -0,1")
    os.write(master, b"\x04")
    rest = program.stdout.read()
    status = program.wait(20)
    os.close(master)
    if b"2 queries, 1 structural model found" not in rest or status != 2:
        sys.exit(f"after Ctrl-D: status {status}, output {rest!r}")
    print("answered line by line at the terminal")


main()
