#!/usr/bin/env python3
"""repeated-blocks.py [--lines N] [FOLDER...]: blocks of N or more lines (6 by default) that
appear more than once in the product's C++ sources, compared after stripping each line's
indentation and leaving out blank lines and lines of comment only. Prints each repeated block
once, with every place it appears, then the count. A window of N lines is the unit; overlapping
repeated windows at the same places are merged into one longer block.

Run from the top of the source tree; FOLDER defaults to the product's folders."""
import argparse
import collections
import os
import sys

PRODUCT = ["checker", "foundation", "helpers", "launcher", "lowtracessupport", "runrules"]


def significant_lines(path):
    """(line number, stripped text) for each line that is neither blank nor only a comment."""
    kept = []
    with open(path, encoding="utf-8", errors="replace") as source:
        for number, line in enumerate(source, 1):
            text = line.strip()
            if text and not text.startswith("//"):
                kept.append((number, text))
    return kept


def sources(folders):
    for folder in folders:
        for root, _, names in os.walk(folder):
            for name in sorted(names):
                if name.endswith((".cpp", ".h")):
                    yield os.path.join(root, name)


def repeated_blocks(files, size):
    windows = collections.defaultdict(list)  # text of a window -> [(file, index of its first line)]
    for path, lines in files.items():
        for i in range(len(lines) - size + 1):
            windows[tuple(text for _, text in lines[i:i + size])].append((path, i))
    repeated = {key: places for key, places in windows.items() if len(places) > 1}
    # Merge a window into the one before it when every place of it continues a place of that one.
    starts = {}
    for key, places in repeated.items():
        starts[tuple(places)] = key
    blocks = []
    seen = set()
    for places in sorted(starts, key=lambda p: p):
        if places in seen:
            continue
        length = size
        following = places
        while True:
            following = tuple((path, i + 1) for path, i in following)
            if following not in starts:
                break
            seen.add(following)
            length += 1
        blocks.append((places, length))
    return blocks


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--lines", type=int, default=6)
    parser.add_argument("folders", nargs="*", default=[f for f in PRODUCT if os.path.isdir(f)])
    options = parser.parse_args()
    files = {path: significant_lines(path) for path in sources(options.folders)}
    blocks = repeated_blocks(files, options.lines)
    for places, length in blocks:
        where = ", ".join(f"{path}:{files[path][i][0]}" for path, i in places)
        print(f"{length} lines at {where}")
        for _, text in files[places[0][0]][places[0][1]:places[0][1] + length]:
            print(f"    {text}")
    print(f"{len(blocks)} repeated blocks of {options.lines} lines or more")


if __name__ == "__main__":
    sys.exit(main())
