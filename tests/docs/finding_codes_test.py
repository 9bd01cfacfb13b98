#!/usr/bin/env python3
"""Every finding code fleet tools may match on is tested, or says why it cannot be under Wine.

The codes of the table in docs/finding-codes.md must be exactly those the checker's source
gives (string literals under checker/). Each must appear as a whole string literal in a test
source under tests/ (an expected value: the end-to-end tests compare what --json reports with
such literals), or be listed with its reason in tests/checker/windows-only-codes.txt; a code
both tested and listed is a stale entry. Literals are read from the sources rather than
collected from test runs, so the verdict does not depend on which tests ran, or in what order.

Usage: finding_codes_test.py SOURCE_DIR
"""
import pathlib
import re
import sys

CODE = re.compile(r"[a-z0-9]+(?:-[a-z0-9]+)*\.[a-z0-9]+(?:-[a-z0-9]+)*")
# Literals shaped like codes that are file names.
FILE_EXTENSIONS = {"bat", "dll", "exe", "ini", "log", "txt", "xml"}
# C and C++ tokens that can hide or look like a string literal: comments, raw strings, strings
# and character literals.
CPP_TOKEN = re.compile(
    r'//[^\n]*|/\*.*?\*/|R"([^(\s]*)\((.*?)\)\1"|"((?:\\.|[^"\\\n])*)"|\'(?:\\.|[^\'\\\n])*\'', re.S)
SCRIPT_STRING = re.compile(r'"((?:\\.|[^"\\\n])*)"|\'([^\'\n]*)\'')
TABLE_ROW = re.compile(r"^\| `([^`]+)` \|")
WINDOWS_ONLY = "tests/checker/windows-only-codes.txt"


def cpp_literals(text):
    """The contents of the string literals of a C or C++ source, comments left out."""
    for match in CPP_TOKEN.finditer(text):
        if match.group(2) is not None:
            yield match.group(2)
        elif match.group(3) is not None:
            yield match.group(3)


def script_literals(text):
    """The contents of quoted strings of a shell or Python source."""
    for match in SCRIPT_STRING.finditer(text):
        yield match.group(1) if match.group(1) is not None else match.group(2)


def literals_of(path):
    text = path.read_text(encoding="utf-8", errors="replace")
    if path.suffix in (".cpp", ".h"):
        return set(cpp_literals(text))
    return set(script_literals(text))


def table_codes(source, problems):
    codes = []
    for line in (source / "docs/finding-codes.md").read_text(encoding="utf-8").splitlines():
        match = TABLE_ROW.match(line)
        if match:
            codes.append(match.group(1))
    for code in sorted({code for code in codes if codes.count(code) > 1}):
        problems.append(f"docs/finding-codes.md: {code} has more than one row")
    if not codes:
        problems.append("docs/finding-codes.md: no table of codes found")
    return set(codes)


def source_codes(source):
    codes = {}
    for path in sorted((source / "checker").rglob("*")):
        if path.suffix not in (".cpp", ".h"):
            continue
        for literal in literals_of(path):
            if CODE.fullmatch(literal) and literal.rsplit(".", 1)[1] not in FILE_EXTENSIONS:
                codes.setdefault(literal, path.relative_to(source).as_posix())
    return codes


def tested_codes(source, codes):
    own = {(source / WINDOWS_ONLY).resolve(), pathlib.Path(__file__).resolve()}
    tested = {}
    for path in sorted((source / "tests").rglob("*")):
        if path.suffix not in (".cpp", ".h", ".sh", ".py") or path.resolve() in own:
            continue
        for code in codes & literals_of(path):
            tested.setdefault(code, path.relative_to(source).as_posix())
    return tested


def windows_only_codes(source, problems):
    listed = {}
    for number, line in enumerate((source / WINDOWS_ONLY).read_text(encoding="utf-8").splitlines(), 1):
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        code, _, reason = line.partition(" ")
        if not reason.strip():
            problems.append(f"{WINDOWS_ONLY}:{number}: {code} gives no reason")
        if code in listed:
            problems.append(f"{WINDOWS_ONLY}:{number}: {code} is listed twice")
        listed[code] = reason.strip()
    return listed


def main():
    source = pathlib.Path(sys.argv[1])
    problems = []
    table = table_codes(source, problems)
    in_source = source_codes(source)
    tested = tested_codes(source, table)
    windows_only = windows_only_codes(source, problems)

    for code in sorted(table - set(in_source)):
        problems.append(f"{code}: in docs/finding-codes.md, but no source under checker/ gives it")
    for code in sorted(set(in_source) - table):
        problems.append(f"{code}: given in {in_source[code]}, but not in docs/finding-codes.md")
    for code in sorted(table - set(tested) - set(windows_only)):
        problems.append(f"{code}: no test expects it, and {WINDOWS_ONLY} does not say why")
    for code in sorted(set(windows_only) - table):
        problems.append(f"{code}: in {WINDOWS_ONLY}, but not in docs/finding-codes.md")
    for code in sorted(set(windows_only) & set(tested)):
        problems.append(f"{code}: in {WINDOWS_ONLY}, but {tested[code]} expects it: remove it from the list")

    for problem in problems:
        print(f"FAIL: {problem}")
    print(f"{len(table)} codes: {len(set(tested) & table)} expected by tests, "
          f"{len(set(windows_only) & table)} only Windows can produce")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
