#!/usr/bin/env python3
"""Checks the allowed directions between the parts of src/: every #include "part/..." and <Q...>
of a source file, and every qn_* or Qt6:: library a target links, must be one its part may use.
Prints each offence as file:line: what is forbidden; exits 1 when there is one.
Usage: tools/check-boundaries.py [source root, default: the repository this script is in]"""

import re
import sys
from pathlib import Path

CORES = {"link", "chip", "analysis", "instruments", "run", "remote", "shell"}

# What each part may use directly; what those parts may use comes with them. "qt" is any Qt header
# or library. A ui/ folder may use its own core, host and the shared widgets of src/ui.
DIRECT = {
    "host": set(),
    "files": set(),
    "link": {"host", "files"},
    "chip": {"link"},
    "analysis": {"chip"},
    "instruments": {"host", "files"},
    "run": {"instruments", "analysis"},
    "remote": {"link", "chip", "analysis", "instruments", "run"},
    "shell": CORES - {"shell"},
    "platform": {"host", "link", "files", "qt"},
    "sim": (CORES - {"shell"}) | {"host", "files"},  # nothing below the shell uses it
    "ui": {"host", "qt"},
}
for core in CORES - {"shell"}:
    DIRECT[core + "/ui"] = {core, "host", "ui", "qt"}
# Only the shell's windows compose everything.
DIRECT["shell/ui"] = set(DIRECT) | {"shell", "platform", "sim", "qt"}


def allowed(part, seen=None):
    """The parts `part` may use: its own, what it may use directly, and what those may use."""
    seen = set() if seen is None else seen
    if part not in seen:
        seen.add(part)
        for used in DIRECT.get(part, set()):
            allowed(used, seen)
    return seen


def part_of(path):
    """The part a path under src/ belongs to: "chip", "chip/ui", ...; subfolders such as
    shell/settings and sim/emulated belong to their folder's part."""
    folders = Path(path).parts[:-1] if Path(path).suffix else Path(path).parts
    if len(folders) >= 2 and folders[1] == "ui":
        return folders[0] + "/ui"
    return folders[0] if folders else ""


INCLUDE = re.compile(r'^\s*#\s*include\s*(?:"([a-z]+(?:/[^"]+))"|<(Q[A-Za-z]*)(?:/[^>]*)?>)')
LINK = re.compile(r"target_link_libraries\s*\(([^)]*)\)", re.S)
TARGET = re.compile(r"add_(?:library|executable)\s*\(\s*([\w-]+)")


def check(root):
    src = root / "src"
    offences = []

    def judge(where, part, used, what):
        if used != part and used not in allowed(part):
            offences.append((where, part, used, f"{where}: {part} must not use {used} ({what})"))

    for file in sorted(src.rglob("*")):
        if file.suffix not in {".h", ".cpp", ".in"}:
            continue
        part = part_of(file.relative_to(src))
        for number, line in enumerate(file.read_text(encoding="utf-8").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            header = match.group(1) or match.group(2)
            used = part_of(header) if match.group(1) else "qt"
            if match.group(1) and used not in DIRECT:
                continue  # a library's own folder, such as "xlsxwriter/..."
            judge(f"{file.relative_to(root)}:{number}", part, used, f"includes {header}")

    lists = sorted(src.rglob("CMakeLists.txt"))
    owner = {}  # target -> part
    for cmake in lists:
        for name in TARGET.findall(cmake.read_text(encoding="utf-8")):
            owner[name] = part_of(cmake.parent.relative_to(src))
    for cmake in lists:
        text = cmake.read_text(encoding="utf-8")
        for match in LINK.finditer(text):
            words = match.group(1).split()
            part = owner.get(words[0], part_of(cmake.parent.relative_to(src)))
            number = text.count("\n", 0, match.start()) + 1
            for library in words[1:]:
                used = "qt" if library.startswith("Qt6::") else owner.get(library)
                if used is not None:
                    judge(f"{cmake.relative_to(root)}:{number}", part, used,
                          f"{words[0]} links {library}")
    return offences


def main():
    root = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent
    offences = check(root)
    for _, _, _, text in offences:
        print(text)
    print(f"boundaries: {len(offences)} offence(s)")
    return 1 if offences else 0


if __name__ == "__main__":
    sys.exit(main())
