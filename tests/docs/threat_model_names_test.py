#!/usr/bin/env python3
"""Every test docs/threat-model.md cites exists.

The last column of its tables cites tests as `program: Suite/Case` or `program: Suite.Case`
(a row of a parameterised test may leave out the instantiation and the test: `Suite/Row`), a
whole program as `program`, and a case alone, `Suite/Case` or `Case`, continuing the program
cited just before it in a list separated by commas, or in the row above when it opens the
cell. `*` stands for any characters of a name. A test program is asked for its cases
(--gtest_list_tests, under Wine); a cited case must match the parts of one of them in order.
A program that is a script (tests/**/<program>.sh) must name a cited case as a word.

Usage: threat_model_names_test.py SOURCE_DIR BIN_DIR [RUNNER...]
(RUNNER: what runs a Windows program here, such as Wine with its prefix; nothing on Windows)
"""
import fnmatch
import pathlib
import re
import subprocess
import sys

PROGRAM = re.compile(r"([a-z0-9_]+_test)(?::\s*(.*))?")
CASE = re.compile(r"[A-Za-z0-9_*]+(?:[/.][A-Za-z0-9_*]+)*")
SPAN = re.compile(r"`([^`]+)`")
CITING_COLUMN = "Test or document"


def cells(line):
    return [cell.strip() for cell in line.strip().strip("|").split("|")]


def citing_cells(text):
    """(line number, cell) for the test column of every table row, and None where a table ends."""
    column = None
    for number, line in enumerate(text.splitlines(), 1):
        if not line.startswith("|"):
            if column is not None:
                yield number, None
            column = None
            continue
        row = cells(line.replace("\\|", "\0"))
        if column is None:
            column = row.index(CITING_COLUMN) if CITING_COLUMN in row else -1
        elif column >= 0 and not set(row[0]) <= set("-: ") and column < len(row):
            yield number, row[column].replace("\0", "|")


def citations(text):
    """(line number, program, case or None) for every test the document cites; program None for
    a `Suite/Case` that follows no program in the way described above."""
    program = None
    for number, cell in citing_cells(text):
        if cell is None:
            program = None
            continue
        last_end = None  # where the last citation of this cell ended
        for span in SPAN.finditer(cell):
            text = span.group(1)
            named = PROGRAM.fullmatch(text)
            before = cell[last_end or 0:span.start()]
            continues = not before.strip() if last_end is None else before == ", "
            if named:
                program = named.group(1)
                yield number, program, named.group(2)
            elif CASE.fullmatch(text) and program and continues:
                yield number, program, text
            else:
                if CASE.fullmatch(text) and "/" in text:
                    yield number, None, text
                continue
            last_end = span.end()


def parts(name):
    return re.split(r"[/.]", name)


def matches(case, full_name):
    """Whether the parts of case match parts of full_name, in order."""
    wanted = parts(case)
    at = 0
    for part in parts(full_name):
        if at < len(wanted) and fnmatch.fnmatchcase(part, wanted[at]):
            at += 1
    return at == len(wanted)


def listed_cases(program_path, runner):
    """The full names of a test program's cases, or None when it cannot list them."""
    done = subprocess.run(runner + [str(program_path), "--gtest_list_tests"],
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=120)
    if done.returncode != 0:
        return None
    names, suite = [], ""
    for line in done.stdout.decode("utf-8", "replace").splitlines():
        line = line.split("#")[0].rstrip()
        if not line or line.startswith("Running main()"):
            continue
        if line.startswith(" "):
            names.append(suite + line.strip())
        else:
            suite = line
    return names


def main():
    source, binaries, runner = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2]).resolve(), sys.argv[3:]
    scripts = {path.stem: path for path in (source / "tests").rglob("*.sh")}
    known = {}  # program: list of case names, or the script's text
    problems = []
    cited = 0
    for number, program, case in citations((source / "docs/threat-model.md").read_text(encoding="utf-8")):
        cited += 1
        if program is None:
            problems.append(f"docs/threat-model.md:{number}: {case} follows no program it could belong to")
            continue
        where = f"docs/threat-model.md:{number}: {program}" + (f": {case}" if case else "")
        if program not in known:
            executable = binaries / (program + ".exe")
            if executable.exists():
                known[program] = listed_cases(executable, runner)
                if known[program] is None:
                    problems.append(f"{where}: {executable} does not list its tests")
            elif program in scripts:
                known[program] = scripts[program].read_text(encoding="utf-8")
            else:
                known[program] = None
                problems.append(f"{where}: no test program {program}.exe in {binaries}, and no {program}.sh")
        found = known[program]
        if case is None or found is None:
            continue
        if isinstance(found, str):
            if not re.search(r"\b" + re.escape(case) + r"\b", found):
                problems.append(f"{where}: {scripts[program].relative_to(source)} names no case {case}")
        elif not any(matches(case, name) for name in found):
            problems.append(f"{where}: no such test")
    for problem in problems:
        print(f"FAIL: {problem}")
    print(f"{cited} tests cited, {len(problems)} not found")
    return 1 if problems or cited == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
