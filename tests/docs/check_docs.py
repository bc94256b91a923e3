#!/usr/bin/env python3
"""Fails when a document for users drifts from the program: those that list the
exit codes must list exactly the ones the entry point defines, those that name
the switches every switch the command line parser accepts (the read-me files and
the guide every component line, of the pass and of /U, too); every example line of the detailed log ("*** ...")
must be one the program writes; the administrator's guide must name the results
files and give the version as the program has them; and every link between the
Markdown files must lead somewhere. Usage: check_docs.py SOURCE_DIR"""
import codecs, pathlib, re, sys

root = pathlib.Path(sys.argv[1])
program = (root / "src/app/program.h").read_text(encoding="utf-8")
GUIDE = "docs/guia-administrador.md"
parser = (root / "src/app/command_line.cpp").read_text(encoding="utf-8")

def body(source, signature):
    """The text of a function, from its signature to its closing brace at column 0."""
    start = source.index(signature)
    return source[start:source.index("\n}", start)]

def exit_codes():
    """The constants of the namespace that holds the exit codes (its name is the first one found)."""
    for name in ("exitcode",):
        if f"namespace {name} {{" in program:
            return {int(c) for c in re.findall(r"constexpr int \w+ = (\d+);", body(program, f"namespace {name} {{"))}
    return set()

codes = exit_codes()
# The switches are the literals an argument is compared with; "/log" alone is
# the same switch as "/log=".
literals = set(re.findall(r'(?:==|rfind\() *"(/[^"]*)"', parser))
switches = {s for s in literals if s + "=" not in literals}

# The names of the results files, written once.
file_names = dict(re.findall(r'constexpr std::string_view (k\w+Name) = "([^"]*)";', program))

def usage():
    """The usage text as the program shows it: its literals and the files' names
    joined, escapes read."""
    text = body(parser, "std::string usageText(")
    for name, value in file_names.items():
        text = text.replace(f"std::string({name})", f'"{value}"')
    joined = "".join(re.findall(r'"((?:[^"\\]|\\.)*)"', text))
    return codecs.escape_decode(joined.encode("utf-8"))[0].decode("utf-8")

documents = {name: (root / name).read_text(encoding="utf-8")
             for name in ("README.md", GUIDE, "docs/releasing.md", "docs/faults.md", "res/LEEME.txt.in")}
documents = {name: re.sub(r"<!--.*?-->", "", text, flags=re.S) for name, text in documents.items()}  # notes to writers
documents["usageText()"] = usage()
# Who names every switch, and who lists the exit codes (README links to the deployment guide's list).
naming_switches = ("README.md", GUIDE, "res/LEEME.txt.in", "usageText()")
listing_codes = (GUIDE, "res/LEEME.txt.in", "usageText()")

# The version, written once in project(); the program shows major.minor, the minor in two digits.
numbers = re.search(r"project\(Trevanil VERSION (\d+)\.(\d+)\.(\d+)\.(\d+)",
                    (root / "CMakeLists.txt").read_text(encoding="utf-8")).groups()
version = "%d.%02d (%s)" % (int(numbers[0]), int(numbers[1]), ".".join(numbers))

def listed_codes(text):
    """The codes at the start of a row or line of the section whose title starts
    with "Exit codes", up to the next title (Markdown, or underlined)."""
    found = re.search(r"(?im)^(#+ *)?(exit codes|c\u00f3digos de salida)\b.*\n(-+\n)?", text)
    if not found:
        return set()
    section = re.split(r"\n#|\n[^\n]+\n-+\n", text[found.end():])[0]
    return {int(c) for c in re.findall(r"^\|? *(\d+)\b(?!\.\d)", section, re.M)}

# --- The detailed log's example lines against the texts the program writes ---
# Every text of the log is in src/detail/log_texts.*. What a function there
# returns becomes patterns: its literals as they are, a call to another of its
# functions what that one returns, a call that hands on to a lambda what the
# lambda returns, (a ? b : c) b or c, a string's or a constant's name its text,
# and anything else a value (a name, a path, a code): text without a comma or a
# parenthesis, which no example's values hold.
STRING, VALUE = r'(?:"(?:[^"\\\n]|\\.)*"\s*)+', "[^,()]+?"
pieces = []  # the patterns of literals and of parentheses, each named \0<index>\0 in the code
piece = lambda pattern: pieces.append(pattern) or f"\0{len(pieces) - 1}\0"

def literal(run):
    """Adjacent literals joined, their escapes read."""
    joined = "".join(re.findall(r'"((?:[^"\\]|\\.)*)"', run))
    return re.escape(codecs.escape_decode(joined.encode("utf-8"))[0].decode("utf-8"))

texts = "".join((root / "src/detail" / n).read_text(encoding="utf-8") for n in ("log_texts.h", "log_texts.cpp"))
texts = re.sub("(" + STRING + r")|//[^\n]*|/\*.*?\*/",  # the literals made pieces, the comments dropped
               lambda m: piece(literal(m[1])) if m[1] else " ", texts, flags=re.S)
constants = {name: pieces[int(i)] for name, i in re.findall(r"\b(k\w+) = \0(\d+)\0", texts)}
parts = re.split(r"(\w+)\([^;{}()]*\)\s*\{", texts)
bodies = {}  # a name's overloads together
for name, body in zip(parts[1::2], parts[2::2]):
    bodies.setdefault(name, []).append(body)

def returns(name):
    """The patterns of what a function returns."""
    found = []
    for body in bodies[name]:
        while re.search(r"\([^()]*\)", body):  # parentheses, innermost first
            body = re.sub(r"([\w:.]*)\(([^()]*)\)", lambda m: piece(call(re.split(r"::|\.", m[1])[-1], m[2])), body)
        named = {}
        value = lambda p: re.sub("\1(.*?)\1", lambda m: named.get(m[1], constants.get(m[1], VALUE)), p)
        for string, expression in re.findall(r"(?:std::string (\w+) =|return)([^;]*)", body):
            if string:
                named[string] = value(flat(expression))
            else:
                found.append(value(flat(expression)))
    return found

def call(name, arguments):
    if name in bodies:
        return "(?:" + "|".join(returns(name)) + ")"
    handed = re.findall(r"return (\0\d+\0)", arguments)
    return flat(handed[0]) if handed else VALUE if name else flat(arguments)

def flat(expression):
    """The pattern of code without parentheses; a name in it is marked \\1name\\1 until its text is known."""
    if "?" in expression:
        yes, no = expression.split("?", 1)[1].split(":", 1)
        return f"(?:{flat(yes)}|{flat(no)})"
    terms = [term.strip() for term in expression.split("+")]
    return "".join(pieces[int(term[1:-1])] if re.fullmatch("\0\\d+\0", term)
                   else f"\1{term}\1" if re.search(r"\w", term) else "" for term in terms)

written = [p for name in bodies for p in returns(name)] + [c + VALUE for c in constants.values()]
patterns = [re.compile(p) for p in written if p.startswith(re.escape("*** "))]

def example_lines(name, text):
    """The "*** " lines in a document's examples (Markdown code blocks, LEEME's indented
    lines); a line with a <placeholder> is a form, not an example."""
    if name.endswith(".md"):
        blocks = re.findall(r"^```[^\n]*\n(.*?)^```", text, re.S | re.M)
        lines = [line for block in blocks for line in block.splitlines()]
    else:
        lines = [line for line in text.splitlines() if line.startswith(" ")]
    return [line.strip() for line in lines if line.strip().startswith("*** ") and not re.search(r"<\w+>", line)]

def anchors(text):
    """The anchors GitHub gives a Markdown file's titles."""
    return {re.sub(r"[^\w\- ]", "", title.strip().lower()).replace(" ", "-")
            for title in re.findall(r"^#+ (.*)$", re.sub(r"^```.*?^```", "", text, flags=re.S | re.M), re.M)}

def broken_links():
    """Links between the Markdown files that lead to no file, or to no title in it."""
    for page in [root / "README.md", *sorted((root / "docs").glob("*.md"))]:
        for target in re.findall(r"\]\(([^)\s]+)\)", page.read_text(encoding="utf-8")):
            if re.match(r"\w+:", target):
                continue
            path, _, anchor = target.partition("#")
            linked = (page.parent / path).resolve() if path else page
            if not linked.exists():
                yield f"{page.relative_to(root)}: a link to {target}, which does not exist"
            elif anchor and linked.suffix == ".md" and anchor not in anchors(linked.read_text(encoding="utf-8")):
                yield f"{page.relative_to(root)}: a link to {target}, a title that does not exist"

failures = list(broken_links())
for name, text in documents.items():
    listed = listed_codes(text)
    if name in listing_codes and listed != codes:
        failures.append(f"{name}: exit codes {sorted(listed)}, the program's are {sorted(codes)}")
    for switch in sorted(switches) if name in naming_switches else ():
        # A one-letter switch counts in upper case only, as the documents write
        # them: "cmd /c" or "regsvr32 /s" does not document /C or /S.
        one_letter = len(switch) == 2
        written = switch.upper() if one_letter else switch
        if not re.search(r"(?<![\w/])" + re.escape(written) + r"(?![\w])", text, 0 if one_letter else re.I):
            failures.append(f"{name}: the switch {switch.upper()} is not documented")
# The lines a component gets in the log, of the pass and of /U (log_texts.h's
# constants that begin and end with a blank), each named by the read-me files.
component_lines = re.findall(r'constexpr const char\* k\w+ = " ([^"]*) ";',
                             (root / "src/detail/log_texts.h").read_text(encoding="utf-8"))
failures += [f"{name}: the log line '{line}' is not documented" for name in ("README.md", "res/LEEME.txt.in", GUIDE)
             for line in component_lines if line not in documents[name]]
# The guide gives the version as "1.00 (1.0.0.0)", and a zip's name only with the program's version.
shown = re.findall(r"versi\u00f3n (\d+\.\d+ \(\d+\.\d+\.\d+\.\d+\))", documents[GUIDE])
if shown != [version]:
    failures.append(f"{GUIDE}: the version given is {shown}, the program's is {version}")
for name, text in documents.items():
    for zip_version in set(re.findall(r"Trevanil-(\d[^\s`/]*)\.zip", text)) - {version.split()[0]}:
        failures.append(f"{name}: Trevanil-{zip_version}.zip, the program's version is {version}")
# The results files by the names the program gives them; a name like them that it does not write is a slip.
for name in (GUIDE, "res/LEEME.txt.in", "README.md"):
    for file_name in set(re.findall(r"\b\w+OCX\.log\b", documents[name])) - set(file_names.values()):
        failures.append(f"{name}: names {file_name}, the program writes {sorted(file_names.values())}")
for file_name in file_names.values():
    if file_name not in documents[GUIDE]:
        failures.append(f"{GUIDE}: does not name {file_name}")
examples = [(name, line) for name, text in documents.items() for line in example_lines(name, text)]
for name, line in examples:
    if not any(p.fullmatch(line) for p in patterns):
        failures.append(f"{name}: the program writes no line such as: {line}")
if not codes or not switches or not patterns or not examples:
    failures.append("no exit codes, switches, log texts or example lines found: the check reads nothing")
print("\n".join(failures) or f"in sync: codes {sorted(codes)}, switches {sorted(switches)}, "
                              f"{len(examples)} example lines")
sys.exit(1 if failures else 0)
