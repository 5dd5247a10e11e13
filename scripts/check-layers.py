#!/usr/bin/env python3
"""Checks that the sources include only headers of their own layer or of layers below.

The layers, lowest first: model, io, physics, engine, studies, app, charts, gui. A file in
src/<layer>/ may include "<other>/..." only when <other> is its own layer or lies below.
Prints every include that points up and exits 1 when there is one; with --graph, prints
the include graph between layers (how many includes go from each layer to each other).

    scripts/check-layers.py [--graph] [SRC_DIR]
"""
import pathlib
import re
import sys

LAYERS = ["model", "io", "physics", "engine", "studies", "app", "charts", "gui"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/[^"]+"', re.MULTILINE)


def main(argv):
    graph = "--graph" in argv
    args = [a for a in argv if a != "--graph"]
    src = pathlib.Path(args[0]) if args else pathlib.Path(__file__).resolve().parent.parent / "src"
    rank = {layer: i for i, layer in enumerate(LAYERS)}
    upward = []
    edges = {}
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".cpp", ".hpp", ".h"):
            continue
        layer = path.relative_to(src).parts[0]
        if layer not in rank:
            continue
        text = path.read_text(encoding="utf-8", errors="replace")
        for match in INCLUDE.finditer(text):
            target = match.group(1)
            if target not in rank:
                continue
            edges[(layer, target)] = edges.get((layer, target), 0) + 1
            if rank[target] > rank[layer]:
                line = text.count("\n", 0, match.start()) + 1
                upward.append(f"{path.relative_to(src)}:{line}: {layer} includes {target}")
    if graph:
        for (a, b), n in sorted(edges.items(), key=lambda e: (rank[e[0][0]], rank[e[0][1]])):
            if a != b:
                print(f"{a} -> {b}: {n}")
    for text in upward:
        print(text)
    if upward:
        print(f"{len(upward)} includes point to a higher layer")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
