#!/usr/bin/env python3
"""Measures what the tests catch: flips one operator at a time in the core
libraries, rebuilds, runs the test suite (without the window stages) and
counts the mutants the suite kills.

A mutant is killed when any test fails or hangs. To get there sooner the test
programs run directly, two at a time, those of the mutated folder first; each
stops at its first failing case, and the first failure stops the others.
Survivors still run every test, so the verdicts are those of a full ctest run.

The sites are every operator of the kinds below in src/model, src/editor,
src/gamedata and src/disk, outside comments, strings and preprocessor lines.
The sample is drawn with a fixed seed from the sorted list of sites, so the
same code gives the same sample. Mutants that do not compile are skipped and
replaced by the next ones in the sample order.

The work happens in a copy of the tree (build-mutants/tree), so the real
sources are never touched, even when the run is interrupted.
"""
import argparse
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
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


# Test programs that most likely catch a mutant in each core folder; the
# rest follow.
FIRST = {
    "src/model": ["test_model", "test_app"],
    "src/editor/draw": ["test_draw"],
    "src/editor": ["test_model", "test_app", "test_draw"],
    "src/gamedata": ["test_gamedata", "test_cli", "test_app"],
    "src/disk": ["test_disk", "test_app", "test_cli"],
}


def list_tests(build):
    out = subprocess.run(["ctest", "--test-dir", build, "--show-only=json-v1"],
                         stdout=subprocess.PIPE, check=True, text=True).stdout
    tests = []
    for t in json.loads(out)["tests"]:
        props = {p["name"]: p["value"] for p in t.get("properties", [])}
        env = dict(os.environ, GTEST_FAIL_FAST="1")
        for pair in props.get("ENVIRONMENT", []):
            key, _, value = pair.partition("=")
            env[key] = value
        tests.append((t["name"], t["command"], props.get("WORKING_DIRECTORY", build), env))
    return tests


def run_tests(tests, path, timeout, jobs, log, durations=None):
    """Returns 0 when every test passes, else the name of the first failure.
    timeout maps a program to its limit in seconds; durations, when given,
    gets each program's run time."""
    folder = max((f for f in FIRST if path.startswith(f + "/")), key=len, default=None)
    first = FIRST.get(folder, [])
    queue = sorted(tests, key=lambda t: first.index(t[0]) if t[0] in first else len(first))
    running, failed = [], None
    try:
        while (queue or running) and failed is None:
            while queue and len(running) < jobs:
                name, cmd, cwd, env = queue.pop(0)
                out = tempfile.TemporaryFile("w+")
                proc = subprocess.Popen(cmd, cwd=cwd, env=env, stdout=out,
                                        stderr=subprocess.STDOUT, text=True,
                                        start_new_session=True)
                running.append((name, proc, time.time(), out))
            time.sleep(0.05)
            for entry in list(running):
                name, proc, began, out = entry
                code = proc.poll()
                if code is None and time.time() - began > timeout(name):
                    failed = f"{name} (timeout)"
                    break
                if code is None:
                    continue
                running.remove(entry)
                if durations is not None:
                    durations[name] = time.time() - began
                out.seek(0)
                output = out.read()
                out.close()
                if code != 0:
                    log.write(output[-4000:])
                    failed = name
                    break
    finally:
        for name, proc, _, out in running:
            if proc.poll() is None:
                os.killpg(proc.pid, 9)
            proc.wait()
            out.close()
    return 0 if failed is None else failed


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("count", nargs="?", type=int, default=60)
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build-mutants"))
    parser.add_argument("--list", action="store_true", help="print the sample and stop")
    parser.add_argument("--test-timeout", type=int, default=300,
                        help="longest a test program may run on a mutant; a mutant that "
                        "hangs is caught sooner, at five times the unmutated run")
    parser.add_argument("--match", help="run only the sampled sites whose label matches this "
                        "regular expression (the others count as if they compiled)")
    parser.add_argument("--tests", help="comma-separated test programs to run (default: all)")
    args = parser.parse_args()
    # A stop from outside still ends the test programs started.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(130))

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
            # Fresh file times: the build dir is reused, and a source older
            # than its object from an earlier run would not be rebuilt.
            shutil.copytree(src, dst, ignore=ignore, symlinks=True, copy_function=shutil.copy)
        else:
            shutil.copy(src, dst, follow_symlinks=False)

    log = open(os.path.join(args.build_dir, "mutants.log"), "w")
    gen = ["-G", "Ninja"] if shutil.which("ninja") else []
    env_launcher = ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"] if shutil.which("ccache") else []
    configure = ["cmake", "-S", tree, "-B", build, *gen, *env_launcher,
                 "-DCMAKE_BUILD_TYPE=Release", "-DCMAKE_CXX_FLAGS_RELEASE=-O1",
                 "-DGRUSK_BUILD_GUI=OFF", "-DGRUSK_WERROR=OFF", "-DGRUSK_BUILD_BENCH=OFF",
                 "-DGRUSK_BUILD_FUZZ=OFF"]
    jobs = str(os.cpu_count() or 2)
    build_cmd = ["cmake", "--build", build, "-j", jobs]
    if run(configure, ROOT, log=log) != 0 or run(build_cmd, ROOT, log=log) != 0:
        print("mutants: the unmutated tree does not build; see", log.name)
        return 2
    tests = list_tests(build)
    if args.tests:
        wanted = args.tests.split(",")
        tests = [t for t in tests if t[0] in wanted]
    durations = {}
    if run_tests(tests, "", lambda name: args.test_timeout, int(jobs), log, durations) != 0:
        print("mutants: the unmutated suite fails; see", log.name)
        return 2

    def timeout(name):
        return min(args.test_timeout, max(30, 5 * durations.get(name, args.test_timeout)))

    killed, survived, skipped, passed_over = [], [], 0, 0
    started = time.time()
    for i in order:
        if len(killed) + len(survived) + passed_over >= args.count:
            break
        path, number, col, kind, length, repl = sites[i]
        if args.match and not re.search(args.match, f"{path}:{number}:{col + 1} {kind} -> {repl}"):
            passed_over += 1
            continue
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
            result = run_tests(tests, path, timeout, int(jobs), log)
        finally:
            with open(target, "w", encoding="utf-8") as f:
                f.write(original)
        if result == 0:
            survived.append((label, lines[number - 1].strip()))
            print(f"  SURVIVED {label}", flush=True)
        else:
            killed.append(label)
            print(f"  killed {label} ({result})", flush=True)
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
