#!/usr/bin/python3
"""Reads the fault list and applies one fault to a tree.

usage: apply_fault.py FAULTS list            -> "ID<TAB>FILE<TAB>WHAT" per fault
       apply_fault.py FAULTS apply ID ROOT   -> exit 0 applied, 3 stale (snippet not found
                                                exactly once), 2 unknown id or bad list

The list is a sequence of blocks (blank lines and lines starting with '#' between them):
    [ID] FILE: what the fault does
    -original line          (one or more; together the exact snippet, unique in FILE)
    +replacement line       (none, one or more; none removes the snippet)
"""
import sys


def parse(path):
    faults = []
    current = None
    with open(path, encoding="utf-8") as source:
        for number, line in enumerate(source, 1):
            line = line.rstrip("\n")
            if line.startswith("["):
                ident, _, rest = line[1:].partition("] ")
                file_name, _, what = rest.partition(": ")
                if not ident or not file_name or not what:
                    sys.exit(f"{path}:{number}: expected '[ID] FILE: what'")
                current = {"id": ident, "file": file_name, "what": what, "old": [], "new": []}
                faults.append(current)
            elif line.startswith("-") or line.startswith("+"):
                if current is None:
                    sys.exit(f"{path}:{number}: snippet line before any fault")
                current["old" if line[0] == "-" else "new"].append(line[1:])
            elif line.strip() and not line.startswith("#"):
                sys.exit(f"{path}:{number}: unexpected line")
    ids = [fault["id"] for fault in faults]
    for fault in faults:
        if not fault["old"]:
            sys.exit(f"{path}: fault {fault['id']} has no original snippet")
        if ids.count(fault["id"]) > 1:
            sys.exit(f"{path}: fault {fault['id']} is listed twice")
    return faults


def main():
    faults = parse(sys.argv[1])
    if sys.argv[2] == "list":
        for fault in faults:
            print(f"{fault['id']}\t{fault['file']}\t{fault['what']}")
        return 0
    ident, root = sys.argv[3], sys.argv[4]
    fault = next((f for f in faults if f["id"] == ident), None)
    if fault is None:
        print(f"no fault {ident}", file=sys.stderr)
        return 2
    path = f"{root}/{fault['file']}"
    try:
        with open(path, encoding="utf-8", newline="") as source:
            text = source.read()
    except FileNotFoundError:
        return 3
    old = "\n".join(fault["old"])
    new = "\n".join(fault["new"])
    if text.count(old) != 1:
        return 3
    with open(path, "w", encoding="utf-8", newline="") as target:
        target.write(text.replace(old, new))
    return 0


if __name__ == "__main__":
    sys.exit(main())
