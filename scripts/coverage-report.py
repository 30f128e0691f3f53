#!/usr/bin/env python3
"""Line and function coverage of src/, app/ and tools/ from a coverage build's counters.

Usage: coverage-report.py SOURCE_DIR BUILD_DIR OUT_DIR

Asks gcov for the JSON of every object compiled (its counters where a program ran it,
zeros where none did) and writes into OUT_DIR:
  files.txt      line and function coverage per source file,
  folders.txt    the same per folder, and the totals,
  unexecuted-functions.txt   every function that no test executed ("file:line name").
A function compiled into several objects (a header's, a template's instances, a constructor's
variants) is one function, executed when any of its copies was; a line likewise.
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


def gcov_json(gcno, scratch):
    """The gcov JSON documents of one object (its .gcda beside it, if any)."""
    run = subprocess.run(["gcov", "--json-format", "--stdout", gcno], cwd=scratch,
                         capture_output=True, text=True)
    return [json.loads(line) for line in run.stdout.splitlines() if line.startswith("{")]


def main():
    source_dir, build_dir, out_dir = (os.path.realpath(a) for a in sys.argv[1:4])
    gcnos = []
    for folder, _, names in os.walk(build_dir):
        gcnos += [os.path.join(folder, n) for n in names if n.endswith(".gcno")]
    if not gcnos:
        sys.exit("coverage-report: no .gcno files under " + build_dir)

    lines = defaultdict(int)  # (file, line) -> count
    functions = {}  # (file, start line, start column) -> [count, name]
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
                    for ln in f["lines"]:
                        lines[(path, ln["line_number"])] += ln["count"]
                    for fn in f["functions"]:
                        if fn["name"].startswith(GENERATED):
                            continue
                        key = (path, fn["start_line"], fn["start_column"])
                        entry = functions.setdefault(key, [0, fn["demangled_name"]])
                        entry[0] += fn["execution_count"]

    per_file = defaultdict(lambda: [0, 0, 0, 0])  # lines run, lines, functions run, functions
    for (path, _), count in lines.items():
        per_file[path][1] += 1
        per_file[path][0] += count > 0
    for (path, _, _), (count, _) in functions.items():
        per_file[path][3] += 1
        per_file[path][2] += count > 0
    per_folder = defaultdict(lambda: [0, 0, 0, 0])
    for path, counts in per_file.items():
        for folder in {os.path.dirname(path), path.split("/")[0], "total"}:
            per_folder[folder] = [a + b for a, b in zip(per_folder[folder], counts)]

    def row(name, c):
        pct = lambda run, of: f"{100.0 * run / of:6.1f} %" if of else "     - "
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
        for folder in sorted(per_folder, key=lambda f: (f == "total", f)):
            out.write(row(folder, per_folder[folder]))
    never = sorted((path, line, name) for (path, line, _), (count, name) in functions.items()
                   if count == 0)
    with open(os.path.join(out_dir, "unexecuted-functions.txt"), "w") as out:
        for path, line, name in never:
            out.write(f"{path}:{line} {name}\n")
    t = per_folder["total"]
    print(f"lines {t[0]} of {t[1]} ({100.0 * t[0] / max(t[1], 1):.1f} %), functions {t[2]} of "
          f"{t[3]} ({100.0 * t[2] / max(t[3], 1):.1f} %) of src/, app/ and tools/; "
          f"{len(never)} functions never executed")


if __name__ == "__main__":
    main()
