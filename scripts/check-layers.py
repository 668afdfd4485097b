#!/usr/bin/env python3
"""Fails when a file includes a header of a layer above its own.

    scripts/check-layers.py [SOURCE_DIR]

The layers of the editor, lowest first; a file may include its own layer and those below:

    base, platform, render, catalogue, avatar, net, chatlink, ui, screens, app

The programs and tools beside the editor name what they may use. Test code (a tests/, fuzz/
or benchmarks/ folder) may also include test_support/, which no other code may; no file
includes another subsystem's tests/ folder. Only `#include "..."` lines are read: system
headers are not the project's layers.
"""

import os
import re
import sys

LAYERS = ["base", "platform", "render", "catalogue", "avatar", "net", "chatlink", "ui", "screens", "app"]

# Folders outside the editor's stack and what each may include besides itself.
OTHERS = {
    "news": {"base", "platform"},
    "update": {"base", "platform", "news"},
    "server": {"base", "platform", "render", "catalogue", "avatar", "net"},
    "tools": {"base", "platform", "render", "catalogue", "avatar", "net", "update"},
    "test_support": set(LAYERS) - {"screens", "app"},
}
# Parts of render that only the editor's own layers may use: the Win32 back ends and text engines.
BACK_ENDS = ("render/win/", "render/text/win/")

TEST_FOLDERS = {"tests", "fuzz", "benchmarks"}
SKIPPED = {".git", "content", "docs", "cmake", "scripts"}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".c", ".in", ".rc")


def allowed(top, target_top):
    """True when code in folder `top` may include a header of folder `target_top`."""
    if top == target_top:
        return True
    if top in LAYERS and target_top in LAYERS:
        return LAYERS.index(target_top) <= LAYERS.index(top)
    return target_top in OTHERS.get(top, set())


def check_file(root, path):
    relative = os.path.relpath(path, root).replace(os.sep, "/")
    parts = relative.split("/")
    top = parts[0]
    is_test = any(p in TEST_FOLDERS for p in parts[1:-1])
    problems = []
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            lines = f.readlines()
    except OSError as error:
        return [f"{relative}: cannot read: {error}"]
    for number, line in enumerate(lines, 1):
        match = INCLUDE.match(line)
        if not match:
            continue
        target = match.group(1)
        if "/" not in target:
            continue  # a header beside the file
        target_parts = target.split("/")
        target_top = target_parts[0]
        where = f"{relative}:{number}: includes \"{target}\""
        if target_top not in LAYERS and target_top not in OTHERS:
            problems.append(f"{where}: no such layer or folder \"{target_top}\"")
        elif target_top == "test_support":
            if not is_test and top != "test_support":
                problems.append(f"{where}: only test code may use test_support/")
        elif any(p in TEST_FOLDERS for p in target_parts[1:-1]) and target_top != top:
            problems.append(f"{where}: another subsystem's test files; move what is shared to test_support/")
        elif not allowed(top, target_top):
            problems.append(f"{where}: {top}/ may not include {target_top}/ (a higher layer)")
        elif top not in LAYERS and top != "test_support" and target.startswith(BACK_ENDS):
            problems.append(f"{where}: {top}/ may use only the portable part of render/")
    return problems


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
    problems = []
    checked = 0
    for directory, folders, files in os.walk(root):
        relative = os.path.relpath(directory, root)
        if relative == ".":
            folders[:] = sorted(f for f in folders if f not in SKIPPED and not f.startswith("build"))
        else:
            folders.sort()
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                checked += 1
                problems.extend(check_file(root, os.path.join(directory, name)))
    for problem in problems:
        print(f"layer check: {problem}")
    if problems:
        print(f"layer check: {len(problems)} include(s) against the layer order "
              f"({', '.join(LAYERS)}, lowest first)")
        return 1
    print(f"layer check: {checked} files, every include points downward")
    return 0


if __name__ == "__main__":
    sys.exit(main())
