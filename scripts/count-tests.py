#!/usr/bin/env python3
"""Counts what a ctest run ran and fails when a part that should have been tested was not.

    scripts/count-tests.py BUILD_DIR JUNIT_XML [--exe NAME]... [--test NAME]...

The tests ctest knows in BUILD_DIR (ctest --show-only=json-v1) are checked against the
JUnit file written by `ctest --output-junit`: every known test must have run and passed
(a test skipped by itself counts as skipped). Each --exe NAME must have at least one
passing test whose command runs the executable NAME (a GoogleTest binary), each --test
NAME must be a known test that passed. Prints one line per group and a last line
"<name>: N passed, F failed, S skipped".
"""
import argparse
import json
import os
import subprocess
import sys
import xml.etree.ElementTree as ET


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build_dir")
    ap.add_argument("junit")
    ap.add_argument("--name", default="ctest")
    ap.add_argument("--exe", action="append", default=[])
    ap.add_argument("--test", action="append", default=[])
    args = ap.parse_args()

    listing = subprocess.run(["ctest", "--test-dir", args.build_dir, "--show-only=json-v1"],
                             check=True, capture_output=True, text=True).stdout
    known = {}
    for t in json.loads(listing).get("tests", []):
        command = t.get("command") or [""]
        known[t["name"]] = os.path.basename(command[0])

    status = {}
    for case in ET.parse(args.junit).getroot().iter("testcase"):
        s = case.get("status", "")
        skipped = case.find("skipped")
        if case.find("failure") is not None or s == "fail":
            s = "failed"
        elif skipped is not None and "Unable to find" in skipped.get("message", ""):
            s = "failed"  # the test's executable was not built
        elif skipped is not None or s in ("notrun", "disabled"):
            s = "skipped"
        else:
            s = "passed" if s == "run" else s
        status[case.get("name")] = s

    problems = []
    for name in sorted(known):
        if name not in status:
            problems.append(f"test {name} is known to ctest but did not run")
    for exe in args.exe:
        tests = [n for n, e in known.items() if e == exe]
        passed = sum(status.get(n) == "passed" for n in tests)
        print(f"{args.name}: {exe}: {len(tests)} tests, {passed} passed")
        if passed == 0:
            problems.append(f"no test of {exe} passed (was it built?)")
    for test in args.test:
        s = status.get(test, "missing" if test not in known else "not run")
        print(f"{args.name}: {test}: {s}")
        if s != "passed":
            problems.append(f"test {test}: {s}")

    counts = {k: sum(v == k for v in status.values()) for k in ("passed", "failed", "skipped")}
    for p in problems:
        print(f"{args.name}: {p}", file=sys.stderr)
    print(f"{args.name}: {counts['passed']} passed, {counts['failed']} failed, "
          f"{counts['skipped']} skipped")
    return 1 if problems or counts["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
