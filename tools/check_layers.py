#!/usr/bin/env python3
"""Prints the folder graph of the project's #include "..." lines and checks it against the layers.

    tools/check_layers.py [SOURCE_DIR]

Every folder of the product stands in one layer of LAYERS, lowest first, and may include only
folders of lower layers: an include of its own layer or of a higher one is a back edge, and any
cycle is reported as well. Two rules come on top: only platform/sources, whose defaults are the
system's fixed names, includes core/ from within platform/; and outside app/ only the tests of
the front ends include an app/ header. Exits 1 when a rule is broken, naming the file and line.
"""

import os
import re
import sys
from collections import defaultdict

# The layers, lowest first. A file belongs to the longest folder of these that holds it:
# platform/sql/sqlite is a folder of its own beside platform/sql, and a subfolder of
# tools/sample_data is part of tools/sample_data.
LAYERS = [
    ["core", "platform/base"],
    ["platform/text", "platform/operator"],
    ["platform/files", "platform/recordset"],
    ["platform/config", "platform/dbf", "platform/sql", "platform/sql/dialect"],
    ["platform/sql/sqlite", "platform/sql/odbc", "platform/sql/postgres"],
    ["platform/sources"],
    ["scripts", "pdf"],
    ["import", "report"],
    ["verify"],
    ["app"],
    ["app/cli", "app/gui", "tools/sample_data"],
]

# The product's source folders, which the layers cover.
PRODUCT_ROOTS = ["core", "platform", "import", "scripts", "report", "verify", "pdf", "app",
                 "tools/sample_data"]
# Folders of tests and measurements: outside the layers, they may include any product header,
# but the app/ rule holds for them too.
CHECK_ROOTS = ["tests", "fuzz", "bench"]
# The tests of the front ends, which include their headers.
APP_TESTS = ["tests/gui", "tests/cli"]

SOURCE_SUFFIXES = (".cc", ".h", ".h.in")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def folder_of(path, layers):
    """The declared folder that holds `path`, else the directory of `path`."""
    directory = os.path.dirname(path)
    for folder in sorted(layers, key=len, reverse=True):
        if directory == folder or directory.startswith(folder + "/"):
            return folder
    return directory


def layer_of():
    layers = {}
    for index, folders in enumerate(LAYERS):
        for folder in folders:
            layers[folder] = index
    return layers


def source_files(root, tops):
    """The C++ files below each of `tops`, as paths relative to `root`."""
    for top in tops:
        for directory, subdirectories, files in os.walk(os.path.join(root, top)):
            subdirectories[:] = sorted(d for d in subdirectories if not d.startswith("."))
            for name in sorted(files):
                if name.endswith(SOURCE_SUFFIXES):
                    yield os.path.relpath(os.path.join(directory, name), root)


def includes(root, path):
    """(line number, included path) for each quoted include of the file."""
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as source:
        for number, line in enumerate(source, 1):
            match = INCLUDE.match(line)
            if match:
                yield number, match.group(1)


def within(folder, roots):
    return any(folder == r or folder.startswith(r + "/") for r in roots)


def check(root):
    """Returns (edges, problems): edges[(a, b)] = number of includes of b's headers from a."""
    layers = layer_of()
    edges = defaultdict(int)
    problems = []
    for path in source_files(root, PRODUCT_ROOTS + CHECK_ROOTS):
        source = folder_of(path, layers)
        product = within(source, PRODUCT_ROOTS)
        if product and source not in layers:
            problems.append(f"{path}: folder {source} stands in no layer of tools/check_layers.py")
            continue
        for number, included in includes(root, path):
            target = folder_of(included, layers)
            where = f"{path}:{number}: includes {included}"
            if within(target, ["app"]) and not within(source, ["app"] + APP_TESTS):
                problems.append(f"{where}: only app/ and its tests include app/ headers")
            if not product or target == source or not within(target, PRODUCT_ROOTS):
                continue
            edges[(source, target)] += 1
            if target not in layers:
                problems.append(f"{where}: folder {target} stands in no layer")
            elif layers[target] >= layers[source]:
                relation = "its own layer" if layers[target] == layers[source] else "a higher layer"
                problems.append(f"{where}: back edge, {target} is in {relation} than {source}")
            elif target == "core" and within(source, ["platform"]) and source != "platform/sources":
                problems.append(f"{where}: within platform/ only platform/sources includes core/")
    for cycle in cycles(edges):
        problems.append("cycle: " + " -> ".join(cycle + [cycle[0]]))
    return edges, problems


def cycles(edges):
    """The strongly connected components of more than one folder, or with a self edge."""
    graph = defaultdict(list)
    for (a, b) in edges:
        graph[a].append(b)
    index, low, stack, on_stack, found = {}, {}, [], set(), []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for nxt in sorted(graph[node]):
            if nxt not in index:
                visit(nxt)
                low[node] = min(low[node], low[nxt])
            elif nxt in on_stack:
                low[node] = min(low[node], index[nxt])
        if low[node] == index[node]:
            component = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                component.append(member)
                if member == node:
                    break
            if len(component) > 1 or node in graph[node]:
                found.append(sorted(component))

    for node in sorted(graph):
        if node not in index:
            visit(node)
    return found


def print_graph(edges):
    targets = defaultdict(list)
    for (a, b), count in sorted(edges.items()):
        targets[a].append(f"{b} ({count})")
    for index in reversed(range(len(LAYERS))):
        for folder in LAYERS[index]:
            below = ", ".join(targets.get(folder, [])) or "nothing"
            print(f"{index} {folder:22} -> {below}")


def main(argv):
    root = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    edges, problems = check(root)
    print_graph(edges)
    for problem in problems:
        print(problem, file=sys.stderr)
    if problems:
        print(f"{len(problems)} include(s) break the layers", file=sys.stderr)
        return 1
    print("layers: ok, no back edge and no cycle")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
