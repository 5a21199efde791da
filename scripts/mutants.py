#!/usr/bin/env python3
"""Measures what the tests catch: flips one operator at a time in the core
libraries, rebuilds, runs the test suite (without the window stages) and
counts the mutants the suite kills.

The sites are every operator of the kinds below in src/model, src/editor,
src/gamedata and src/disk, outside comments, strings and preprocessor lines.
The sample is drawn with a fixed seed from the sorted list of sites, so the
same code gives the same sample. Mutants that do not compile are skipped and
replaced by the next ones in the sample order.

The work happens in a copy of the tree (build-mutants/tree), so the real
sources are never touched, even when the run is interrupted.
"""
import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CORE = ["src/model", "src/editor", "src/gamedata", "src/disk"]
SEED = 64

# (name, pattern, replacement). Patterns avoid ->, <<, >>, <=>, templates and
# compound assignments; the lookarounds keep each match a whole operator.
FLIPS = [
    ("==", r"(?<![=!<>])==(?!=)", "!="),
    ("!=", r"!=(?!=)", "=="),
    ("<=", r"(?<![<])<=(?![>=])", "<"),
    (">=", r"(?<![>-])>=(?!=)", ">"),
    ("<", r"(?<=[\w)\]] )<(?= [\w(-])", "<="),
    (">", r"(?<=[\w)\]] )>(?= [\w(-])", ">="),
    ("&&", r"(?<=\S )&&(?= \S)", "||"),
    ("||", r"\|\|", "&&"),
    ("+ 1", r"(?<=[\w)\]] )\+ 1\b(?!\.)", "- 1"),
    ("- 1", r"(?<=[\w)\]] )- 1\b(?!\.)", "+ 1"),
    ("true", r"\btrue\b", "false"),
    ("false", r"\bfalse\b", "true"),
]


def code_spans(line, in_block):
    """Yields (start, end) of the parts of a line that are code, and whether a
    block comment is still open at its end."""
    spans = []
    i, start, n = 0, None, len(line)
    if not in_block:
        start = 0
    while i < n:
        if in_block:
            end = line.find("*/", i)
            if end < 0:
                return spans, True
            in_block, i, start = False, end + 2, end + 2
            continue
        c = line[i]
        if line.startswith("//", i):
            break
        if line.startswith("/*", i):
            spans.append((start, i))
            in_block, i = True, i + 2
            continue
        if c in "\"'":
            spans.append((start, i))
            j = i + 1
            while j < n and line[j] != c:
                j += 2 if line[j] == "\\" else 1
            i = start = j + 1
            continue
        i += 1
    if not in_block and start is not None and start < n:
        end = line.find("//", start)
        spans.append((start, n if end < 0 else end))
    return spans, in_block


def find_sites():
    sites = []
    for folder in CORE:
        for dirpath, _, files in os.walk(os.path.join(ROOT, folder)):
            for name in sorted(files):
                if not name.endswith((".cpp", ".h")):
                    continue
                path = os.path.relpath(os.path.join(dirpath, name), ROOT)
                with open(os.path.join(ROOT, path), encoding="utf-8") as f:
                    lines = f.read().split("\n")
                in_block = False
                for number, line in enumerate(lines, 1):
                    spans, next_block = code_spans(line, in_block)
                    in_block = next_block
                    if line.lstrip().startswith(("#", "static_assert")):
                        continue
                    for start, end in spans:
                        for kind, pattern, repl in FLIPS:
                            for m in re.finditer(pattern, line[start:end]):
                                col = start + m.start()
                                sites.append((path, number, col, kind, m.end() - m.start(), repl))
    sites.sort()
    return sites


def run(cmd, cwd, timeout=None, log=None):
    try:
        p = subprocess.run(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                           timeout=timeout, text=True)
        if log is not None:
            log.write(p.stdout)
        return p.returncode
    except subprocess.TimeoutExpired:
        return "timeout"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("count", nargs="?", type=int, default=60)
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build-mutants"))
    parser.add_argument("--list", action="store_true", help="print the sample and stop")
    parser.add_argument("--test-timeout", type=int, default=300)
    args = parser.parse_args()

    sites = find_sites()
    order = list(range(len(sites)))
    random.Random(SEED).shuffle(order)
    print(f"{len(sites)} mutation sites in the core; sampling {args.count}")
    if args.list:
        for i in order[: args.count]:
            path, number, col, kind, _, repl = sites[i]
            print(f"  {path}:{number}:{col + 1} {kind} -> {repl}")
        return 0

    tree = os.path.join(args.build_dir, "tree")
    build = os.path.join(args.build_dir, "build")
    os.makedirs(args.build_dir, exist_ok=True)
    # A fresh copy of the sources; the build dir survives between runs.
    if os.path.isdir(tree):
        shutil.rmtree(tree)
    ignore = shutil.ignore_patterns(".git", "*.pyc", "__pycache__")
    os.makedirs(tree)
    for entry in os.listdir(ROOT):
        if entry == ".git" or entry.startswith("build"):
            continue
        src = os.path.join(ROOT, entry)
        dst = os.path.join(tree, entry)
        if os.path.isdir(src):
            shutil.copytree(src, dst, ignore=ignore, symlinks=True)
        else:
            shutil.copy2(src, dst, follow_symlinks=False)

    log = open(os.path.join(args.build_dir, "mutants.log"), "w")
    gen = ["-G", "Ninja"] if shutil.which("ninja") else []
    env_launcher = ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"] if shutil.which("ccache") else []
    configure = ["cmake", "-S", tree, "-B", build, *gen, *env_launcher,
                 "-DCMAKE_BUILD_TYPE=Release", "-DCMAKE_CXX_FLAGS_RELEASE=-O1",
                 "-DGRUSK_BUILD_GUI=OFF", "-DGRUSK_WERROR=OFF", "-DGRUSK_BUILD_BENCH=OFF",
                 "-DGRUSK_BUILD_FUZZ=OFF"]
    jobs = str(os.cpu_count() or 2)
    build_cmd = ["cmake", "--build", build, "-j", jobs]
    test_cmd = ["ctest", "--test-dir", build, "-j", jobs, "--stop-on-failure",
                "--timeout", str(args.test_timeout)]
    if run(configure, ROOT, log=log) != 0 or run(build_cmd, ROOT, log=log) != 0:
        print("mutants: the unmutated tree does not build; see", log.name)
        return 2
    if run(test_cmd, ROOT, log=log) != 0:
        print("mutants: the unmutated suite fails; see", log.name)
        return 2

    killed, survived, skipped = [], [], 0
    started = time.time()
    for i in order:
        if len(killed) + len(survived) >= args.count:
            break
        path, number, col, kind, length, repl = sites[i]
        target = os.path.join(tree, path)
        with open(target, encoding="utf-8") as f:
            original = f.read()
        lines = original.split("\n")
        line = lines[number - 1]
        lines[number - 1] = line[:col] + repl + line[col + length:]
        label = f"{path}:{number}:{col + 1} {kind} -> {repl}"
        try:
            with open(target, "w", encoding="utf-8") as f:
                f.write("\n".join(lines))
            log.write(f"\n=== {label}\n")
            if run(build_cmd, ROOT, log=log) != 0:
                skipped += 1
                print(f"  skip   {label} (does not compile)", flush=True)
                continue
            result = run(test_cmd, ROOT, timeout=args.test_timeout * 2, log=log)
        finally:
            with open(target, "w", encoding="utf-8") as f:
                f.write(original)
        if result == 0:
            survived.append((label, lines[number - 1].strip()))
            print(f"  SURVIVED {label}", flush=True)
        else:
            killed.append(label)
            print(f"  killed {label}", flush=True)
    # Leave the build matching the unmutated tree.
    run(build_cmd, ROOT, log=log)

    total = len(killed) + len(survived)
    rate = 100.0 * len(killed) / total if total else 0.0
    print(f"\nKill rate: {len(killed)}/{total} = {rate:.1f}% "
          f"({skipped} mutants did not compile; {time.time() - started:.0f} s)")
    if survived:
        print("Surviving mutants:")
        for label, text in survived:
            print(f"  {label}\n      {text}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
