#!/usr/bin/env python3
"""Checks that every include in the source tree points down the layers.

    scripts/check-layers.py [SRC_DIR]      (default: src/ beside this script)

The folders of src/ are layers, each standing only on those below it:

    platform/                 operating-system interfaces and helpers (win32/: their
                              implementations)
    base/                     the texts and settings everything reads
    scan/ remedy/ update/     the subsystems, side by side
    agent/                    the agent's commands and state
    ui/                       the windows
    app/                      the programs

A file may include headers of its own folder and of the layers below it; the
subsystems do not include one another; below ui/, nothing includes a win32/ header
unless it is in a win32/ folder itself; the resource ids (res/) are for agent/ and
above, which name the commands by them.
Prints one line per include that breaks this, naming the file, the line and the
include, and exits 1; exits 0 when there is none.
"""

import pathlib
import re
import sys

LAYERS = [
    ("platform",),
    ("base",),
    ("scan", "remedy", "update"),
    ("agent",),
    ("ui",),
    ("app",),
]
RANK = {folder: rank for rank, folders in enumerate(LAYERS) for folder in folders}
RESOURCES = "res"  # the resource ids, beside src/
FIRST_WINDOWS_RANK = RANK["ui"]

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def below(rank):
    names = [f for r, folders in enumerate(LAYERS) if r < rank for f in folders]
    return ", ".join(names) if names else "nothing else"


def check_include(folder, in_win32, target):
    """The fault of one include of a file in `folder`, or None."""
    parts = target.split("/")
    if len(parts) < 2:
        return "name the header by its path from src/"
    head = parts[0]
    if head == RESOURCES:
        if RANK[folder] < RANK["agent"]:
            return "the resource ids are for agent, ui and app only"
        return None
    if head not in RANK:
        return f"{head}/ is not a layer"
    if "win32" in parts[:-1] and not in_win32 and RANK[folder] < FIRST_WINDOWS_RANK:
        return "only win32/ folders, ui and app may include a win32/ header"
    if head == folder:
        return None
    if RANK[head] > RANK[folder]:
        return f"{folder} may include only {below(RANK[folder])}; {head} is above it"
    if RANK[head] == RANK[folder]:
        return f"{folder} and {head} are side by side; neither includes the other"
    return None


def check_tree(src):
    faults = []
    files = sorted(p for p in src.rglob("*") if p.suffix in (".h", ".cpp") and p.is_file())
    for path in files:
        relative = path.relative_to(src)
        folder = relative.parts[0]
        shown = path.as_posix()
        if len(relative.parts) < 2 or folder not in RANK:
            faults.append(f"{shown}: {folder}/ is not a layer; put the file in one")
            continue
        in_win32 = "win32" in relative.parts[:-1]
        text = path.read_text(encoding="utf-8", errors="replace")
        for number, line in enumerate(text.splitlines(), start=1):
            match = INCLUDE.match(line)
            if not match:
                continue
            fault = check_include(folder, in_win32, match.group(1))
            if fault:
                faults.append(f'{shown}:{number}: #include "{match.group(1)}": {fault}')
    return faults


def main(argv):
    src = pathlib.Path(argv[1]) if len(argv) > 1 else pathlib.Path(__file__).parent.parent / "src"
    if not src.is_dir():
        print(f"check-layers: {src} is not a folder", file=sys.stderr)
        return 2
    faults = check_tree(src)
    for fault in faults:
        print(fault)
    if faults:
        print(f"check-layers: {len(faults)} include(s) against the layers", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
