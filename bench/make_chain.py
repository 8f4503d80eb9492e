#!/usr/bin/env python3
"""Makes a chain of folders "d", each inside the one before: make_chain.py DEST DEPTH.

Each level is made relative to the one above it (mkdir and open with dir_fd), so that no
path grows with the depth: a chain of 100,000 levels is far past the system's 4,096-byte
paths.
"""
import os
import sys


def main():
    dest, depth = sys.argv[1], int(sys.argv[2])
    os.makedirs(dest, exist_ok=True)
    folder = os.open(dest, os.O_RDONLY)
    for _ in range(depth):
        try:
            os.mkdir("d", dir_fd=folder)
        except FileExistsError:
            pass
        inner = os.open("d", os.O_RDONLY, dir_fd=folder)
        os.close(folder)
        folder = inner
    os.close(folder)


if __name__ == "__main__":
    main()
