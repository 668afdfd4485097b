#!/usr/bin/env python3
"""Lists the process-wide mutable objects of the programs and fails on one not allowed.

    scripts/check-globals.py SOURCE_DIR BUILD_DIR

Reads the symbol tables of the object files of a built tree: the host build in BUILD_DIR
(server, tools and the portable layers) and the Windows build in BUILD_DIR/windows when it
exists (the editor, Update.exe, News.dll, merge.exe). An object in a writable data section
(.data or .bss, thread-local ones too) that the project defined is counted, whether it sits
at namespace scope, is a class's static member or a function's static local: the compiler
places all three alike. Constants that need no code to initialise them live in read-only
sections and are not counted; a constant that does (a `const std::string`) cannot be told
from a mutable object here and is counted, so it should be made `constexpr` instead.

Allowed are the objects of platform/ and app/, which hold process-wide facts of Windows and
the program's entry, the exports of News.dll, and the few listed in ALLOWED with the reason
each may stay. PENDING lists the ones still waiting to be passed in through a constructor:
they are reported, and the check fails on any object in neither list. Test code (tests/,
fuzz/, benchmarks/, test_support/) is not read, nor an object whose source file is gone.
"""

import os
import re
import shutil
import subprocess
import sys

# Source folders whose objects may hold process-wide state.
ALLOWED_FOLDERS = ("platform/", "app/", "news/win/NewsExports.cpp")

# Objects that may stay, by source file and the last part of their name, each with its reason.
ALLOWED = {
    ("news/FeedUrl.cpp", "kPattern"): "a compiled regular expression, built once on first use and never changed",
    ("update/HtmlSanitizer.cpp", "kElements"):
        "a constexpr table; GCC places its string addresses in a writable section all the same",
    ("server/ServerConfig.cpp", "kNewsAddress"):
        "a compiled regular expression, built once on first use and never changed",
    ("tools/avatar-art/Body.cpp", "kLight"): "a constant direction, normalised once when the generator starts",
    ("tools/avatar-art/DataSet.cpp", "names"): "a constant lookup table, built on first use and never changed",
}

# Process-wide objects still to be passed in through constructors; none are left.
PENDING = {
}

SKIPPED_FOLDERS = {"tests", "fuzz", "benchmarks", "test_support", "_deps", "CMakeFiles.tmp"}
# Symbols the compiler or a library defines in our objects: not ours to count.
FOREIGN = re.compile(r"^(guard variable for |vtable for |typeinfo |VTT for |construction vtable |DW\.ref\.|"
                     r"__emutls_|\.|boost::|std::|__gnu_|__cxx|_GLOBAL_|__tcf_|.*::static_instance<)")
WRITABLE_ELF = re.compile(r"^\.(bss|data|tbss|tdata)(\.|$)")


def source_of(root, path):
    """The source file an object was compiled from, from CMake's object path."""
    rel = os.path.relpath(path, root).replace(os.sep, "/")
    rel = re.sub(r"CMakeFiles/[^/]+\.dir/", "", rel)
    return re.sub(r"\.(o|obj)$", "", rel)


def objects(root, suffix, skip_windows):
    for folder, dirs, files in os.walk(root):
        rel = os.path.relpath(folder, root).replace(os.sep, "/")
        if skip_windows and (rel == "windows" or rel.startswith("windows/")):
            dirs[:] = []
            continue
        dirs[:] = [d for d in dirs if d not in SKIPPED_FOLDERS and not d.startswith("build-")]
        for name in files:
            if name.endswith(suffix):
                yield os.path.join(folder, name)


def elf_symbols(path):
    """(section, name) of the defined data objects of an ELF object."""
    out = subprocess.run(["objdump", "-t", "-C", path], capture_output=True, text=True, check=True).stdout
    for line in out.splitlines():
        # 0000000000000000 l     O .bss	0000000000000008 likenex::name
        match = re.match(r"^[0-9a-f]+ (.{7}) (\S+)\s+[0-9a-f]+\s+(.*)$", line)
        if not match or "O" not in match.group(1):
            continue
        section, name = match.group(2), match.group(3).strip()
        if WRITABLE_ELF.match(section) and not section.startswith(".data.rel.ro"):
            yield section, name


def pe_symbols(nm, path):
    """(section letter, name) of the defined data objects of a PE/COFF object."""
    out = subprocess.run([nm, "-C", path], capture_output=True, text=True, check=True).stdout
    for line in out.splitlines():
        parts = line.split(" ", 2)
        if len(parts) == 3 and parts[1] in ("b", "B", "d", "D"):
            yield parts[1], parts[2]


def last_name(symbol):
    """The last part of a demangled name, without its function's parameters."""
    depth, cut = 0, len(symbol)
    for index in range(len(symbol) - 1, -1, -1):
        char = symbol[index]
        if char in ")>]":
            depth += 1
        elif char in "(<[":
            depth -= 1
        elif char == ":" and depth == 0 and index > 0 and symbol[index - 1] == ":":
            return symbol[index + 1:cut]
    return symbol


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    source_dir = os.path.abspath(sys.argv[1])
    build = os.path.abspath(sys.argv[2])
    found = {}
    for path in objects(build, ".o", skip_windows=True):
        for section, name in elf_symbols(path):
            found.setdefault((source_of(build, path), name), section)
    host_sources = {source_of(build, path) for path in objects(build, ".o", skip_windows=True)}
    windows = os.path.join(build, "windows")
    if os.path.isdir(windows):
        nm = shutil.which("x86_64-w64-mingw32-nm")
        if not nm:
            sys.exit("x86_64-w64-mingw32-nm is missing: the Windows objects cannot be read")
        for path in objects(windows, ".obj", skip_windows=False):
            source = source_of(windows, path)
            for section, name in pe_symbols(nm, path):
                # MinGW keeps constant tables that hold addresses in writable .data. Where the
                # host compiled the same source and placed the object read-only, it is constant.
                if section in ("d", "D") and source in host_sources and (source, name) not in found:
                    continue
                found.setdefault((source, name), section)

    counted = sorted((source, name) for source, name in found
                     if not FOREIGN.match(name) and os.path.isfile(os.path.join(source_dir, source)))
    failures = 0
    for source, name in counted:
        key = (source, last_name(name))
        if source.startswith(ALLOWED_FOLDERS):
            verdict = "allowed (process-wide by design)"
        elif key in ALLOWED:
            verdict = "allowed: " + ALLOWED[key]
        elif key in PENDING:
            verdict = "pending: to be passed in through a constructor"
        else:
            verdict = "NOT ALLOWED"
            failures += 1
        print(f"{source}: {name}: {verdict}")
    if not counted:
        sys.exit("no objects were read: build first")
    if failures:
        print(f"{failures} process-wide mutable object(s) outside platform/ and app/: pass each in through a "
              "constructor, or make it constexpr if it never changes", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
