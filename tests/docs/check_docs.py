#!/usr/bin/env python3
"""Fails when a document for users drifts from the program: each of them must
list exactly the exit codes the entry point defines and name every switch the
command line parser accepts. Usage: check_docs.py SOURCE_DIR"""
import codecs, pathlib, re, sys

root = pathlib.Path(sys.argv[1])
main = (root / "src/app/win32/main.cpp").read_text(encoding="utf-8")
parser = (root / "src/app/command_line.cpp").read_text(encoding="utf-8")

def body(source, signature):
    """The text of a function, from its signature to its closing brace at column 0."""
    start = source.index(signature)
    return source[start:source.index("\n}", start)]

codes = {int(c) for c in re.findall(r"constexpr int \w+ = (\d+);", body(main, "namespace salida {"))}
# The switches are the literals an argument is compared with; "/log" alone is
# the same switch as "/log=".
literals = set(re.findall(r'(?:==|rfind\() *"(/[^"]*)"', body(parser, "CommandLine parseCommandLine(")))
switches = {s for s in literals if s + "=" not in literals}

def usage():
    """The usage text as the program shows it: its literals joined, escapes read."""
    joined = "".join(re.findall(r'"((?:[^"\\]|\\.)*)"', body(parser, "std::string usageText(")))
    return codecs.escape_decode(joined.encode("utf-8"))[0].decode("utf-8")

documents = {name: (root / name).read_text(encoding="utf-8")
             for name in ("README.md", "docs/shipping.md", "res/LEEME.txt.in")}
documents["usageText()"] = usage()

def listed_codes(text):
    """The codes at the start of a row or line of the section whose title starts
    with "Exit codes", up to the next title (Markdown, or underlined)."""
    found = re.search(r"(?im)^(#+ *)?(exit codes|c\u00f3digos de salida)\b.*\n(-+\n)?", text)
    if not found:
        return set()
    section = re.split(r"\n#|\n[^\n]+\n-+\n", text[found.end():])[0]
    return {int(c) for c in re.findall(r"^\|? *(\d+)\b(?!\.\d)", section, re.M)}

failures = []
for name, text in documents.items():
    listed = listed_codes(text)
    if listed != codes:
        failures.append(f"{name}: exit codes {sorted(listed)}, the program's are {sorted(codes)}")
    for switch in sorted(switches):
        # A one-letter switch counts in upper case only, as the documents write
        # them: "cmd /c" or "regsvr32 /s" does not document /C or /S.
        one_letter = len(switch) == 2
        written = switch.upper() if one_letter else switch
        if not re.search(r"(?<![\w/])" + re.escape(written) + r"(?![\w])", text, 0 if one_letter else re.I):
            failures.append(f"{name}: the switch {switch.upper()} is not documented")
if not codes or not switches:
    failures.append("no exit codes or no switches found in the source: the check reads nothing")
print("\n".join(failures) or f"in sync: codes {sorted(codes)}, switches {sorted(switches)}")
sys.exit(1 if failures else 0)
