#!/usr/bin/env python3
"""Line and function coverage of src/, app/ and tools/ from a coverage build's counters.

Usage: coverage-report.py SOURCE_DIR BUILD_DIR OUT_DIR [PARTLY_RUN_PERCENT]

Asks gcov for the JSON of every object compiled (its counters where a program ran it,
zeros where none did), and universal-ctags for every function defined in the sources, and
writes into OUT_DIR:
  files.txt      line and function coverage per source file,
  folders.txt    the same per folder, and the totals,
  unexecuted-functions.txt   every function that no test executed ("file:line name"),
  partly-run-functions.txt   every function that ran, but fewer of whose lines than
                             PARTLY_RUN_PERCENT (default 60) did ("file:line run/lines name"),
  never-compiled-functions.txt   every function defined in the sources that no object holds
                             (a template or inline member that nothing instantiates or calls;
                             constexpr definitions and the sanitizer's hooks are left out).
A function is one function wherever it was compiled (a header's copies, a constructor's
variants), executed when any copy was; each instance of a template is a function of its own.
The window's own test drivers (its self-test, close test, second-window test, scripted
session and state report) are counted apart from the program, under "app (test drivers)".
"""
import concurrent.futures
import json
import os
import subprocess
import sys
import tempfile
from collections import defaultdict

ROOTS = ("src/", "app/", "tools/")
# What the compiler adds to a file: static initialisation and the destructors it registers.
GENERATED = ("_GLOBAL__sub_", "__static_initialization", "__tcf_")
# The window's scripted sessions drive the program in the window tests; they are not the
# program a user runs.
DRIVERS = {f"app/{name}.{ext}" for name in
           ("SelfTest", "CloseTest", "SecondWindowTest", "ScriptedSession", "StateReport")
           for ext in ("cpp", "h")}
DRIVERS_FOLDER = "app (test drivers)"


def gcov_json(gcno, scratch):
    """The gcov JSON documents of one object (its .gcda beside it, if any)."""
    run = subprocess.run(["gcov", "--json-format", "--stdout", gcno], cwd=scratch,
                         capture_output=True, text=True)
    return [json.loads(line) for line in run.stdout.splitlines() if line.startswith("{")]


def defined_functions(source_dir):
    """(path, line, end line, name) of every function body in the sources, by ctags."""
    files = []
    for root in ROOTS:
        for folder, _, names in os.walk(os.path.join(source_dir, root)):
            files += [os.path.relpath(os.path.join(folder, n), source_dir) for n in names
                      if n.endswith((".cpp", ".h"))]
    run = subprocess.run(["ctags", "--output-format=json", "--languages=C++",
                          "--language-force=C++", "--kinds-C++=f", "--fields=+neS", "-o", "-",
                          *sorted(files)], cwd=source_dir, capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit("coverage-report: ctags failed: " + run.stderr.strip())
    found = []
    for line in run.stdout.splitlines():
        tag = json.loads(line)
        if tag.get("_type") != "tag" or tag.get("kind") != "function":
            continue
        scope = tag.get("scope", "")
        name = (scope + "::" if scope else "") + tag["name"] + tag.get("signature", "")
        found.append((tag["path"], tag["line"], tag.get("end", tag["line"]), name))
    return found


def main():
    source_dir, build_dir, out_dir = (os.path.realpath(a) for a in sys.argv[1:4])
    threshold = float(sys.argv[4]) if len(sys.argv) > 4 else 60.0
    gcnos = []
    for folder, _, names in os.walk(build_dir):
        gcnos += [os.path.join(folder, n) for n in names if n.endswith(".gcno")]
    if not gcnos:
        sys.exit("coverage-report: no .gcno files under " + build_dir)

    lines = defaultdict(int)  # (file, line) -> count
    # (file, start line, demangled name) -> [count, start column]; a template's instances
    # differ in their demangled names, a constructor's variants do not.
    functions = {}
    function_lines = defaultdict(int)  # (file, start line, demangled name, line) -> count
    with tempfile.TemporaryDirectory() as scratch, \
            concurrent.futures.ThreadPoolExecutor(os.cpu_count() or 2) as pool:
        for docs in pool.map(lambda g: gcov_json(g, scratch), gcnos):
            for doc in docs:
                cwd = doc.get("current_working_directory", build_dir)
                for f in doc["files"]:
                    path = os.path.relpath(os.path.normpath(os.path.join(cwd, f["file"])),
                                           source_dir)
                    if not path.startswith(ROOTS):
                        continue
                    keys = {}
                    for fn in f["functions"]:
                        if fn["name"].startswith(GENERATED):
                            continue
                        key = (path, fn["start_line"], fn["demangled_name"])
                        keys[fn["name"]] = key
                        entry = functions.setdefault(key, [0, fn["start_column"]])
                        entry[0] += fn["execution_count"]
                    for ln in f["lines"]:
                        lines[(path, ln["line_number"])] += ln["count"]
                        key = keys.get(ln.get("function_name"))
                        if key:
                            function_lines[key + (ln["line_number"],)] += ln["count"]

    per_function = defaultdict(lambda: [0, 0])  # key -> [lines run, lines]
    for (*key, _), count in function_lines.items():
        counts = per_function[tuple(key)]
        counts[1] += 1
        counts[0] += count > 0

    def folder_of(path):
        return DRIVERS_FOLDER if path in DRIVERS else os.path.dirname(path)

    per_file = defaultdict(lambda: [0, 0, 0, 0])  # lines run, lines, functions run, functions
    for (path, _), count in lines.items():
        per_file[path][1] += 1
        per_file[path][0] += count > 0
    for (path, _, _), (count, _) in functions.items():
        per_file[path][3] += 1
        per_file[path][2] += count > 0
    per_folder = defaultdict(lambda: [0, 0, 0, 0])
    for path, counts in per_file.items():
        folder = folder_of(path)
        groups = {folder} if folder == DRIVERS_FOLDER else {folder, path.split("/")[0], "total"}
        for group in groups:
            per_folder[group] = [a + b for a, b in zip(per_folder[group], counts)]

    def pct(run, of):
        return f"{100.0 * run / of:6.1f} %" if of else "     - "

    def row(name, c):
        return (f"{pct(c[0], c[1])} {c[0]:6}/{c[1]:<6}  {pct(c[2], c[3])} {c[2]:5}/{c[3]:<5}  "
                f"{name}\n")

    header = "lines                      functions\n"
    os.makedirs(out_dir, exist_ok=True)
    with open(os.path.join(out_dir, "files.txt"), "w") as out:
        out.write(header)
        for path in sorted(per_file):
            out.write(row(path, per_file[path]))
    with open(os.path.join(out_dir, "folders.txt"), "w") as out:
        out.write(header)
        for folder in sorted(per_folder, key=lambda f: (f == "total", f == DRIVERS_FOLDER, f)):
            out.write(row(folder, per_folder[folder]))

    never = sorted((path, line, name) for (path, line, name), (count, _) in functions.items()
                   if count == 0)
    with open(os.path.join(out_dir, "unexecuted-functions.txt"), "w") as out:
        for path, line, name in never:
            out.write(f"{path}:{line} {name}\n")

    partly = sorted((key, counts) for key, counts in per_function.items()
                    if functions[key][0] > 0 and counts[1] > 0
                    and 100.0 * counts[0] < threshold * counts[1])
    with open(os.path.join(out_dir, "partly-run-functions.txt"), "w") as out:
        out.write(f"functions that ran, with fewer than {threshold:g} % of their lines run\n")
        for (path, line, name), (run, of) in partly:
            out.write(f"{path}:{line} {run}/{of} {name}\n")

    compiled = defaultdict(set)  # file -> start lines of the functions some object holds
    for path, line, _ in functions:
        compiled[path].add(line)
    definitions = defined_functions(source_dir)
    sources = {}

    def source_line(path, line):
        if path not in sources:
            with open(os.path.join(source_dir, path), encoding="utf-8", errors="replace") as f:
                sources[path] = f.read().splitlines()
        text = sources[path]
        return text[line - 1] if 0 < line <= len(text) else ""

    def held(path, line, end, name):
        # gcov starts a function at the line of its name, ctags too; a definition whose name
        # and body share no line with any object's function was never compiled. A lambda whose parameters run onto the next line: gcov may start it a line above
        # where ctags does.
        first = line - 1 if "__anon" in name else line
        return any(start in compiled[path] for start in range(first, end + 1))

    def compiled_elsewise(path, line, name):
        # Not code that no object holds: a constexpr definition (evaluated by the compiler)
        # or a hook the sanitizer runtime calls (compiled in the sanitizer build only).
        if "constexpr" in source_line(path, line).split("//")[0]:
            return True
        return name.rsplit("::", 1)[-1].startswith(("__lsan_", "__asan_", "__ubsan_"))

    never_compiled = sorted((path, line, name) for path, line, end, name in definitions
                            if not held(path, line, end, name)
                            and not compiled_elsewise(path, line, name))
    with open(os.path.join(out_dir, "never-compiled-functions.txt"), "w") as out:
        for path, line, name in never_compiled:
            out.write(f"{path}:{line} {name}\n")

    t = per_folder["total"]
    d = per_folder[DRIVERS_FOLDER]
    print(f"lines {t[0]} of {t[1]} ({100.0 * t[0] / max(t[1], 1):.1f} %), functions {t[2]} of "
          f"{t[3]} ({100.0 * t[2] / max(t[3], 1):.1f} %) of src/, app/ and tools/; "
          f"{len(never)} functions never executed, {len(partly)} run below {threshold:g} % "
          f"of their lines, {len(never_compiled)} never compiled; the window's test drivers "
          f"apart: lines {d[0]} of {d[1]}, functions {d[2]} of {d[3]}")


if __name__ == "__main__":
    main()
