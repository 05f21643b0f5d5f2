#!/usr/bin/env python3
"""Every folder of src/ includes only itself and folders on lower floors.

A lower floor never reaches up: the settings record sits below everything
that reads it, the tray owns its command identifiers, and the version texts
live with the update check that the About box builds on.
"""
import pathlib
import re
import sys

FLOORS = [
    {"platform"},
    {"settings", "color", "dialogs", "tray"},
    {"colorize", "manual", "update", "options"},
    {"about"},
    {"app", "cli"},
]
FLOOR = {folder: level for level, folders in enumerate(FLOORS) for folder in folders}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/')


def main(src: pathlib.Path) -> int:
    faults = []
    for folder in sorted(p for p in src.iterdir() if p.is_dir()):
        if folder.name not in FLOOR:
            faults.append(f"{folder.name}: not on any floor")
            continue
        for file in sorted(folder.rglob("*")):
            if file.suffix not in {".h", ".cpp"}:
                continue
            for number, line in enumerate(file.read_text(encoding="utf-8").splitlines(), 1):
                match = INCLUDE.match(line)
                if not match or match.group(1) in {"..", "."}:
                    continue
                target = match.group(1)
                if target == folder.name:
                    continue
                if target not in FLOOR:
                    continue  # not a folder of src/ (a library, resources)
                if FLOOR[target] >= FLOOR[folder.name]:
                    faults.append(f"{file.relative_to(src)}:{number}: {folder.name} includes {target}, "
                                  f"which is not on a lower floor")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(pathlib.Path(sys.argv[1])))
