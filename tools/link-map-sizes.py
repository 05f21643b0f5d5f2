#!/usr/bin/env python3
"""Sums up a GNU ld linker map (-Wl,-Map) of a MinGW program: the bytes each
library or object file brings into each output section, largest first.

usage: tools/link-map-sizes.py MAP [--by archive|object] [--top N]

"archive" groups by the library (libjpeg.a, libstdc++.a, the project's own
libraries) and lists the resources and the linker's own padding apart;
"object" lists each archive member. The sizes are those of the input
sections kept after garbage collection, before the file's own alignment.
"""
import argparse
import collections
import os
import re
import sys

SECTIONS = (".text", ".data", ".rdata", ".pdata", ".xdata", ".bss", ".idata", ".CRT", ".tls", ".rsrc", ".reloc")
# An input section line: " .text.foo   0x0000000140001000   0x1234 file(member)";
# long section names put the address and size on the next line.
INPUT = re.compile(r"^ (\S+)\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(.+)$")
NAME_ONLY = re.compile(r"^ (\S+)$")
CONTINUED = re.compile(r"^\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(.+)$")
OUTPUT = re.compile(r"^(\S+)\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)")


def owner(path, by):
    member = None
    m = re.match(r"^(.*)\((.*)\)$", path)
    if m:
        path, member = m.group(1), m.group(2)
    name = os.path.basename(path)
    if by == "object" and member:
        return f"{name}({member})"
    if name.endswith(".res"):
        return "resources (.res)"
    return name


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("map")
    parser.add_argument("--by", choices=("archive", "object"), default="archive")
    parser.add_argument("--top", type=int, default=25)
    args = parser.parse_args()

    sizes = collections.defaultdict(lambda: collections.Counter())
    outputs = collections.Counter()
    current = None
    pending = None
    in_map = False
    with open(args.map, errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            if line.startswith("Linker script and memory map"):
                in_map = True
                continue
            if not in_map:
                continue
            m = OUTPUT.match(line)
            if m and m.group(1) in SECTIONS:
                current = m.group(1)
                outputs[current] += int(m.group(3), 16)
                continue
            if m and not line.startswith(" "):
                current = None  # a section that is not in the program (debug, discarded)
                continue
            if current is None:
                continue
            m = INPUT.match(line)
            if m and not m.group(4).startswith("0x") and "=" not in m.group(4):
                size = int(m.group(3), 16)
                if size:
                    sizes[owner(m.group(4), args.by)][current] += size
                pending = None
                continue
            m = NAME_ONLY.match(line)
            if m and m.group(1).startswith("."):
                pending = m.group(1)
                continue
            m = CONTINUED.match(line)
            if pending and m and "=" not in m.group(3):
                size = int(m.group(2), 16)
                if size:
                    sizes[owner(m.group(3), args.by)][current] += size
                pending = None

    shown = [s for s in SECTIONS if any(c[s] for c in sizes.values())]
    total = collections.Counter()
    for counter in sizes.values():
        total.update(counter)
    rows = sorted(sizes.items(), key=lambda kv: -sum(kv[1].values()))
    width = max(len(name) for name, _ in rows[: args.top] + [("total", None)])
    header = f"| {'part'.ljust(width)} | " + " | ".join(s.rjust(8) for s in shown) + " |    total |"
    print(header)
    print("|" + "-" * (width + 2) + "|" + "|".join("-" * 10 for _ in shown) + "|----------|")
    for name, counter in rows[: args.top]:
        print(f"| {name.ljust(width)} | " + " | ".join(str(counter[s]).rjust(8) for s in shown)
              + f" | {str(sum(counter.values())).rjust(8)} |")
    rest = collections.Counter()
    for _, counter in rows[args.top:]:
        rest.update(counter)
    if rest:
        print(f"| {'(the rest)'.ljust(width)} | " + " | ".join(str(rest[s]).rjust(8) for s in shown)
              + f" | {str(sum(rest.values())).rjust(8)} |")
    print(f"| {'total'.ljust(width)} | " + " | ".join(str(total[s]).rjust(8) for s in shown)
          + f" | {str(sum(total.values())).rjust(8)} |")
    return 0


if __name__ == "__main__":
    sys.exit(main())
