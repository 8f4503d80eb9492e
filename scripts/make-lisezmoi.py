#!/usr/bin/env python3
"""Writes LISEZMOI.txt for Windows users from its UTF-8 source: the version put in,
Windows-1252 bytes and CR LF line ends, so that Notepad on any Windows shows it right.
A character outside Windows-1252 is an error, not a silent "?"."""
import argparse
import sys


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--output", required=True)
    args = parser.parse_args()
    with open(args.source, encoding="utf-8") as source:
        text = source.read().replace("@VERSION@", args.version)
    try:
        data = text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp1252")
    except UnicodeEncodeError as error:
        line = text.count("\n", 0, error.start) + 1
        sys.exit(f"{args.source}:{line}: {text[error.start]!r} is not in Windows-1252")
    with open(args.output, "wb") as output:
        output.write(data)


if __name__ == "__main__":
    main()
