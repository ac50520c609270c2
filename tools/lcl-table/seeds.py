#!/usr/bin/env python3
"""Lists the classes the interface of each given compiled unit declares, from `ppudump -Fj` of its .ppu.

Usage: seeds.py OUTDIR UNIT.ppu...
Writes OUTDIR/lcltable-uses.inc (the units, for lcltable's uses clause) and OUTDIR/lcltable-seeds.inc (one
Seed(Unit.TClass); a class) for tools/lcl-table/lcltable.lpr.
"""
import json
import os
import re
import subprocess
import sys

# Units lcltable.lpr's uses clause names itself.
FIXED_UNITS = {"interfaces", "classes", "sysutils", "typinfo", "forms", "graphics", "comctrls", "lclversion",
               "lclplatformdef", "interfacebase"}
IDENTIFIER = re.compile(r"^[A-Za-z_][A-Za-z0-9_]*$")


def unit_classes(ppu):
    dump = subprocess.run(["ppudump", "-Fj", ppu], check=True, capture_output=True, text=True).stdout
    unit = json.loads(dump)[0]
    names = [d["Name"] for d in unit.get("Interface", [])
             if d.get("Type") == "obj" and d.get("ObjType") == "class" and IDENTIFIER.match(d.get("Name", ""))]
    return unit["Name"], names


def main():
    out_dir, ppus = sys.argv[1], sys.argv[2:]
    uses, seeds = [], []
    for ppu in ppus:
        unit, names = unit_classes(ppu)
        if unit.lower() not in FIXED_UNITS:
            uses.append(unit)
        seeds += [f"  Seed({unit}.{name});" for name in sorted(set(names), key=str.upper)]
    with open(os.path.join(out_dir, "lcltable-uses.inc"), "w") as f:
        f.write(",\n".join("  " + u for u in uses) + "\n")
    with open(os.path.join(out_dir, "lcltable-seeds.inc"), "w") as f:
        f.write("\n".join(seeds) + "\n")
    print(f"lcl-table: {len(seeds)} classes declared in {len(ppus)} units", file=sys.stderr)


if __name__ == "__main__":
    main()
