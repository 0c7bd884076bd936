#!/usr/bin/env python3
"""Expands the hand-written report sources (*.in) into the expected files.

Notation of a source: the first line is "width N" (0: a side file, lines
kept as written); then one report line per line, where
  <FF>   is the form feed (12),
  <n>    is n blanks,
  <-n>   is n "-", <=n> is n "=".
Each line of a print file is padded with blanks to the width (a longer one
is an error); every line ends with CR LF; the text becomes Windows-1250.

  python3 make_golden.py          # writes x.txt / x.csv beside x.in / x.csv.in
"""
import pathlib
import re
import sys

TOKEN = re.compile(r"<(FF|-\d+|=\d+|\d+)>")


def expand(line):
    def one(m):
        t = m.group(1)
        if t == "FF":
            return "\f"
        if t[0] in "-=":
            return t[0] * int(t[1:])
        return " " * int(t)
    return TOKEN.sub(one, line)


def build(source):
    lines = source.read_text(encoding="utf-8").split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    width = int(lines[0].split()[1])
    out = []
    for n, raw in enumerate(lines[1:], start=2):
        text = expand(raw)
        if width:
            if len(text) > width:
                sys.exit(f"{source}:{n}: {len(text)} characters, wider than {width}")
            text = text.ljust(width)
        out.append(text + "\r\n")
    return "".join(out).encode("cp1250")


def main():
    here = pathlib.Path(__file__).parent
    for source in sorted(here.glob("*.in")):
        name = source.name[:-3]
        target = here / (name if name.endswith(".csv") else name + ".txt")
        target.write_bytes(build(source))
        print(target.name)


if __name__ == "__main__":
    main()
