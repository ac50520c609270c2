#!/usr/bin/env python3
"""Writes the pairs that rename Delphi's Windows message records and constants to the LCL's.

Usage: messages.py MESSAGES.INC LMESSAGES.PPU OUTPUT.dat

MESSAGES.INC is Free Pascal's rtl/win/wininc/messages.inc, the source of its Windows Messages unit (and of the
message records its Windows unit declares, which Delphi's Messages unit declares itself); LMESSAGES.PPU is the
LCL's compiled LMessages unit, read with `ppudump -Fj`. A pair is written for TMessage and for every TWMxxx type
and WM_xxx constant whose TLMxxx or LM_xxx counterpart LMessages declares (names compared without regard to letter
case, each side spelled as its unit spells it). The output is a repository file: the marker of the rename choice
"de DELPHI para LAZARUS", then one find=replace line a pair, sorted, CR LF line ends.
"""
import json
import re
import subprocess
import sys

MARKER = "<|ChangeFileName=2|>"
DECLARATION = re.compile(r"^\s*([A-Za-z_][A-Za-z0-9_]*)\s*=", re.MULTILINE)
# Comments of all three kinds; compiler directives are comments too, and both branches of each {$ifdef} are read:
# the include file is compiled into Messages and into Windows, with and without UNICODE.
COMMENT = re.compile(r"\{[^}]*\}|\(\*.*?\*\)|//[^\n]*", re.DOTALL)


def pascal_declarations(path):
    with open(path, encoding="latin-1") as f:
        text = COMMENT.sub(" ", f.read())
    return set(DECLARATION.findall(text))


def unit_symbols(ppu):
    dump = subprocess.run(["ppudump", "-Fj", ppu], check=True, capture_output=True, text=True).stdout
    return {d["Name"] for d in json.loads(dump)[0].get("Interface", []) if d.get("Name")}


def lcl_name(delphi):
    upper = delphi.upper()
    if upper == "TMESSAGE":
        return "TLMessage"
    if upper.startswith("TWM"):
        return "TLM" + delphi[3:]
    if upper.startswith("WM_"):
        return "LM_" + delphi[3:]
    return None


def main():
    messages_inc, lmessages_ppu, output = sys.argv[1:4]
    lcl = {name.upper(): name for name in unit_symbols(lmessages_ppu)}
    pairs = {}
    # Sorted, so that of two spellings of one name the same one is kept on every run.
    for delphi in sorted(pascal_declarations(messages_inc)):
        wanted = lcl_name(delphi)
        if wanted is None or wanted.upper() not in lcl or delphi.upper() in pairs:
            continue
        replace = lcl[wanted.upper()]
        if replace != delphi:
            pairs[delphi.upper()] = f"{delphi}={replace}"
    lines = [MARKER] + [pairs[key] for key in sorted(pairs)]
    with open(output, "wb") as f:
        f.write("".join(line + "\r\n" for line in lines).encode("ascii"))
    print(f"lcl-messages: {len(pairs)} pairs", file=sys.stderr)


if __name__ == "__main__":
    main()
