#!/usr/bin/env python3
"""Peak memory of a long BatchFile run: a run of many records must not hold more than a
run of few.

Runs the executable on two BatchFiles made of the same records (the shipped default
parameter and layer files, a calculation and an absorber foil), one with RECORDS records
and one with a tenth of them, and compares the peak resident set size of the two
processes (from wait4). Memory that grows with the records (results, messages or loaded
data kept from record to record) shows as a difference; a flat run differs by allocator
noise only. Exit status 0 when the growth stays below --limit-mb.

    scripts/batch-memory.py build/release/src/dodavev build/batch-memory [--records 10000]
"""
import argparse
import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

CALCULATIONS = ("energy loss", "depth and energy resolution")


def write_inputs(src: Path, work: Path) -> None:
    work.mkdir(parents=True, exist_ok=True)
    for name in ("default.par", "default.lay"):
        shutil.copyfile(src / "examples" / name, work / name)
    # 1 micron of aluminium (6.03e22 at/cm3) in front of the detector.
    (work / "foil.lay").write_bytes(b"A=10000\r\nn=6.03e22\r\nal,1\r\n")


def write_batch(work: Path, name: str, records: int) -> Path:
    lines = []
    for k in range(records):
        lines += ["default.par", "default.lay", "foil.lay",
                  CALCULATIONS[k % len(CALCULATIONS)], "out"]
    path = work / name
    path.write_bytes(("\r\n".join(lines) + "\r\n").encode())
    log = work / (name + ".log")
    if log.exists():
        log.unlink()
    return path


def run(exe: Path, work: Path, batch: Path) -> tuple[int, float, int]:
    """Peak RSS (KiB), seconds and exit status of one run."""
    start = time.monotonic()
    proc = subprocess.Popen([str(exe), batch.name], cwd=work, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(proc.pid, 0)
    proc.returncode = os.waitstatus_to_exitcode(status)
    return usage.ru_maxrss, time.monotonic() - start, proc.returncode


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("exe", type=Path)
    parser.add_argument("work", type=Path)
    parser.add_argument("--records", type=int, default=10000)
    parser.add_argument("--limit-mb", type=float, default=8.0)
    parser.add_argument("--src", type=Path, default=Path(__file__).resolve().parent.parent)
    args = parser.parse_args()
    exe = args.exe.resolve()
    write_inputs(args.src, args.work)
    few = max(1, args.records // 10)
    results = {}
    for name, records in (("few.bat", few), ("many.bat", args.records)):
        batch = write_batch(args.work, name, records)
        rss, seconds, code = run(exe, args.work, batch)
        if code != 0:
            print(f"{name}: exit status {code}")
            return 1
        if not (args.work / "out_1.dat").exists() and not (args.work / "out.dat").exists():
            print(f"{name}: no record wrote its results")
            return 1
        results[name] = rss
        print(f"{records:6d} records: peak RSS {rss / 1024:.1f} MB, {seconds:.1f} s")
    growth = (results["many.bat"] - results["few.bat"]) / 1024
    print(f"growth from {few} to {args.records} records: {growth:.1f} MB "
          f"(limit {args.limit_mb:g} MB)")
    return 0 if growth < args.limit_mb else 1


if __name__ == "__main__":
    sys.exit(main())
