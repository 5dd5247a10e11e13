#!/usr/bin/env python3
"""Check that data/LEV is exactly what tools/make_lev.py generates.

Usage:  python3 tools/check_lev.py SRC_DIR [--work DIR]

SRC_DIR is the repository root. The generator is run into DIR (a fresh
temporary directory when --work is not given; DIR is emptied first) and every
file is compared byte for byte with SRC_DIR/data/LEV. Files present on one side
only count as differences too. Exit status 0 when both directories agree,
1 otherwise (each differing file is named), 2 when the generator fails.

Standard library only.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile


def compare(committed, generated):
    """List of messages, one per differing file."""
    have = set(os.listdir(committed)) if os.path.isdir(committed) else set()
    made = set(os.listdir(generated))
    problems = []
    for name in sorted(made - have):
        problems.append(f"missing from data/LEV: '{name}'")
    for name in sorted(have - made):
        problems.append(f"not produced by tools/make_lev.py: 'data/LEV/{name}'")
    for name in sorted(have & made):
        with open(os.path.join(committed, name), "rb") as f:
            a = f.read()
        with open(os.path.join(generated, name), "rb") as f:
            b = f.read()
        if a != b:
            line = next((i for i, (x, y) in enumerate(zip(a.split(b"\n"), b.split(b"\n")), 1)
                         if x != y), None)
            where = f" (first difference in line {line})" if line else " (lengths differ)"
            problems.append(f"differs: 'data/LEV/{name}'{where}")
    return problems


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("src_dir", help="repository root")
    parser.add_argument("--work", help="scratch directory for the regenerated files")
    args = parser.parse_args(argv)

    src = os.path.abspath(args.src_dir)
    committed = os.path.join(src, "data", "LEV")
    tool = os.path.join(src, "tools", "make_lev.py")
    sources = os.path.join(src, "data", "sources")

    scratch = None
    if args.work:
        work = os.path.abspath(args.work)
        shutil.rmtree(work, ignore_errors=True)
        os.makedirs(work)
    else:
        scratch = tempfile.mkdtemp(prefix="lev_regen_")
        work = scratch
    try:
        run = subprocess.run([sys.executable, tool, work, "--sources", sources],
                             capture_output=True, text=True)
        if run.returncode != 0:
            sys.stderr.write(run.stdout + run.stderr)
            print("check_lev: the generator failed", file=sys.stderr)
            return 2
        problems = compare(committed, work)
    finally:
        if scratch:
            shutil.rmtree(scratch, ignore_errors=True)

    for p in problems:
        print(f"check_lev: {p}")
    if problems:
        print(f"check_lev: {len(problems)} file(s) differ; regenerate with "
              "'python3 tools/make_lev.py data/LEV'")
        return 1
    print(f"check_lev: data/LEV matches the generator ({len(os.listdir(committed))} files)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
