#!/usr/bin/env python3
"""Fails when a document for users drifts from the program: those that list the
exit codes must list exactly the ones the entry point defines, those that name
the switches every switch the command line parser accepts; every example line of the detailed log ("*** ...")
must be one the program writes, and every link between the Markdown files must
lead somewhere. Usage: check_docs.py SOURCE_DIR"""
import codecs, pathlib, re, sys

root = pathlib.Path(sys.argv[1])
main = (root / "src/app/win32/main.cpp").read_text(encoding="utf-8")
parser = (root / "src/app/command_line.cpp").read_text(encoding="utf-8")

def body(source, signature):
    """The text of a function, from its signature to its closing brace at column 0."""
    start = source.index(signature)
    return source[start:source.index("\n}", start)]

def exit_codes():
    """The constants of the namespace that holds the exit codes (its name is the first one found)."""
    for name in ("exitcode",):
        if f"namespace {name} {{" in main:
            return {int(c) for c in re.findall(r"constexpr int \w+ = (\d+);", body(main, f"namespace {name} {{"))}
    return set()

codes = exit_codes()
# The switches are the literals an argument is compared with; "/log" alone is
# the same switch as "/log=".
literals = set(re.findall(r'(?:==|rfind\() *"(/[^"]*)"', parser))
switches = {s for s in literals if s + "=" not in literals}

def usage():
    """The usage text as the program shows it: its literals joined, escapes read."""
    joined = "".join(re.findall(r'"((?:[^"\\]|\\.)*)"', body(parser, "std::string usageText(")))
    return codecs.escape_decode(joined.encode("utf-8"))[0].decode("utf-8")

documents = {name: (root / name).read_text(encoding="utf-8")
             for name in ("README.md", "docs/deploying.md", "docs/releasing.md", "docs/faults.md", "res/LEEME.txt.in")}
documents = {name: re.sub(r"<!--.*?-->", "", text, flags=re.S) for name, text in documents.items()}  # notes to writers
documents["usageText()"] = usage()
# Who names every switch, and who lists the exit codes (README links to the deployment guide's list).
naming_switches = ("README.md", "docs/deploying.md", "res/LEEME.txt.in", "usageText()")
listing_codes = ("docs/deploying.md", "res/LEEME.txt.in", "usageText()")

def listed_codes(text):
    """The codes at the start of a row or line of the section whose title starts
    with "Exit codes", up to the next title (Markdown, or underlined)."""
    found = re.search(r"(?im)^(#+ *)?(exit codes|c\u00f3digos de salida)\b.*\n(-+\n)?", text)
    if not found:
        return set()
    section = re.split(r"\n#|\n[^\n]+\n-+\n", text[found.end():])[0]
    return {int(c) for c in re.findall(r"^\|? *(\d+)\b(?!\.\d)", section, re.M)}

# --- The detailed log's example lines against the texts the program writes ---
# The wording is read from the source files that write "*** " lines, wherever
# they are: each function that returns text becomes a pattern in which its
# literals stand as they are and each value (a name, a path, a code) is any text
# without a comma or a parenthesis, which no example's values hold.

TOKEN = re.compile(r'"(?:[^"\\\n]|\\.)*"|[A-Za-z_][\w:]*(?:(?:\.|->)[A-Za-z_]\w*)*|\d\w*|&&|\|\||[=!<>]=|\S')
VALUE = "[^,()]+?"  # a name, a path, a number, a version: no commas or parentheses in the examples
LITERAL = re.compile(r'"(?:[^"\\\n]|\\.)*"')

def code(source):
    """The source without its comments."""
    return re.sub(r'("(?:[^"\\\n]|\\.)*")|//[^\n]*|/\*.*?\*/', lambda m: m.group(1) or " ", source, flags=re.S)

def c_string(token):
    return codecs.escape_decode(token[1:-1].encode("utf-8"))[0].decode("utf-8")

class Texts:
    """The texts one source file returns, each as a regular expression."""
    def __init__(self, source):
        self.source = code(source)
        self.constants = {name: re.escape("".join(c_string(t) for t in LITERAL.findall(value)))
                          for name, value in re.findall(r'\b(k\w+)(?:\[\])? *= *((?:"(?:[^"\\\n]|\\.)*"\s*)+);',
                                                        self.source)}
        masked = LITERAL.sub(lambda m: '"' + "x" * (len(m.group()) - 2) + '"', self.source)
        self.functions = {}  # a name's overloads together
        for m in re.finditer(r"\b(\w+)\([^;{}()]*\)\s*(?:const\s*)?\{", masked):
            if m.group(1) in ("if", "for", "while", "switch", "catch"):
                continue
            end, depth = m.end(), 1
            while depth and end < len(masked):
                depth += {"{": 1, "}": -1}.get(masked[end], 0)
                end += 1
            self.functions.setdefault(m.group(1), []).append(self.source[m.end():end])
        self.expanding = set()

    def lines(self):
        """The detail lines the file's functions return, and the report lines that start with a constant."""
        patterns = []
        for pattern in (p for name in self.functions for p in self.returns(name)):
            words = re.sub(re.escape(VALUE) + r"|\(\?:|[|)]", "", pattern)[len(re.escape("*** ")):]
            if re.match(r"(\(\?:)*" + re.escape(re.escape("*** ")), pattern) and re.search(r"[^\W\d_]{3}", words):
                patterns.append(pattern)
        patterns += [value + VALUE for value in self.constants.values() if value.startswith(re.escape("*** "))]
        return patterns

    def function(self, name):
        """Every text a function returns, as alternatives; any text when it is not known here."""
        returns = self.returns(name) if name not in self.expanding else []
        return "(?:" + "|".join(returns) + ")" if returns else VALUE

    def returns(self, name):
        """Each text a function's return statements give (a lambda's within it too)."""
        if name not in self.functions:
            return []
        self.expanding.add(name)
        returns = []
        for function in self.functions[name]:
            tokens, variables = TOKEN.findall(function), {}
            for i, token in enumerate(tokens):
                if token in ("std::string", "auto") and tokens[i + 2:i + 3] == ["="]:
                    variables[tokens[i + 1]] = self.expression(tokens[i + 3:tokens.index(";", i)], variables)
                elif token == "return":
                    returns.append(self.expression(tokens[i + 1:tokens.index(";", i)], variables))
        self.expanding.discard(name)
        return [r for r in returns if r]

    def expression(self, tokens, variables):
        """Texts joined with +, in parentheses and ?: alternatives, as one pattern; a call
        to a function not known here that hands on to one that is (std::visit) is that one."""
        at = [0]
        peek = lambda: tokens[at[0]] if at[0] < len(tokens) else None
        def take():
            at[0] += 1
            return tokens[at[0] - 1]
        def primary():
            token = peek()
            if token is None or token in ")?:,}":
                return ""
            take()
            if token.startswith('"'):
                text = c_string(token)
                while peek() and peek().startswith('"'):
                    text += c_string(take())
                return re.escape(text)
            if token == "{":  # return {}: no text
                while peek() not in (None, "}"):
                    take()
                take()
                return ""
            if token == "(":
                inner = ternary()
                if peek() == ")":
                    take()
                return "(?:" + inner + ")"
            name = token.split("::")[-1]
            if peek() == "(":  # a call: what that function returns
                start, depth = at[0], 0
                while peek() is not None:
                    depth += {"(": 1, ")": -1}.get(take(), 0)
                    if depth == 0:
                        break
                if name in self.functions:
                    return self.function(name)
                inner = [t for t, after in zip(tokens[start:at[0]], tokens[start + 1:at[0]] + [""])
                         if t in self.functions and after == "("]
                return "(?:" + "|".join(self.function(t) for t in dict.fromkeys(inner)) + ")" if inner else VALUE
            return variables.get(token, self.constants.get(name, VALUE))
        def concat():
            parts = [primary()]
            while peek() is not None and peek() not in ")?:,":
                if take() == "+":
                    parts.append(primary())
                else:  # a condition, not a text
                    parts = [VALUE]
            return "".join(parts)
        def ternary():
            first = concat()
            if peek() != "?":
                return first
            take()
            yes = ternary()
            if peek() == ":":
                take()
            return "(?:" + yes + "|" + ternary() + ")"
        return ternary()

def written_lines():
    """The patterns of the lines the program writes that start with "*** "."""
    patterns = []
    for path in sorted((root / "src").rglob("*.[ch]*")):
        source = code(path.read_text(encoding="utf-8"))
        if any(c_string(t).startswith("*** ") for t in LITERAL.findall(source)):
            patterns += Texts(source).lines()
    return [re.compile(p) for p in patterns]

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
patterns = written_lines()
examples = [(name, line) for name, text in documents.items() for line in example_lines(name, text)]
for name, line in examples:
    if not any(p.fullmatch(line) for p in patterns):
        failures.append(f"{name}: the program writes no line such as: {line}")
if not codes or not switches or not patterns or not examples:
    failures.append("no exit codes, switches, log texts or example lines found: the check reads nothing")
print("\n".join(failures) or f"in sync: codes {sorted(codes)}, switches {sorted(switches)}, "
                              f"{len(examples)} example lines")
sys.exit(1 if failures else 0)
