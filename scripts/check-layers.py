#!/usr/bin/env python3
"""Keeps the libraries in their layers.

Reads the manifest of the build's own targets that configuring writes
(build/<preset>/zt-layers.json: each target's type, sources, include
folders and linked libraries, as CMake holds them) and fails when
- a file includes a header of a library its target does not link, itself
  or through the public dependencies of what it links, or
- libraries link each other, through any number of steps.

A library answers for its sources and the headers of its folders; where
two libraries share a folder, a header is the one's that compiles its
source. Headers of no one library (helpers of the test and benchmark
folders) are checked as part of each target that includes them, as is a
header whose source the target compiles itself. Includes that reach no
file of the build's own folders (the system's, or headers not generated
yet) are left alone.

usage: check-layers.py <manifest>
"""

import json
import os
import re
import sys

LIBRARY_TYPES = {"STATIC_LIBRARY", "SHARED_LIBRARY", "MODULE_LIBRARY", "OBJECT_LIBRARY", "INTERFACE_LIBRARY"}
SOURCE_SUFFIXES = (".c", ".cc", ".cpp", ".cxx")
HEADER_SUFFIXES = (".h", ".hh", ".hpp", ".hxx", ".inc")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]')
LINK_ONLY = re.compile(r"^\$<LINK_ONLY:(.*)>$")


def link_names(entries, targets, public_only=False):
    """The build's own targets among link entries; LINK_ONLY ones (private
    dependencies of a static library) unless public_only."""
    names = []
    for entry in entries:
        match = LINK_ONLY.match(entry)
        if match:
            if public_only:
                continue
            entry = match.group(1)
        if entry in targets:
            names.append(entry)
    return names


def absolute_sources(target):
    sources = []
    for source in target["SOURCES"]:
        if source.startswith("$<"):
            continue
        if not os.path.isabs(source):
            source = os.path.join(target["source_dir"], source)
        sources.append(os.path.normpath(source))
    return [source for source in sources if source.endswith(SOURCE_SUFFIXES + HEADER_SUFFIXES)]


def strongly_connected(graph):
    """Tarjan's components of more than one node, or of one that links itself."""
    index, low, on_stack, stack, found = {}, {}, set(), [], []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for neighbour in graph[node]:
            if neighbour not in index:
                visit(neighbour)
                low[node] = min(low[node], low[neighbour])
            elif neighbour in on_stack:
                low[node] = min(low[node], index[neighbour])
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

    sys.setrecursionlimit(max(1000, 4 * len(graph)))
    for node in sorted(graph):
        if node not in index:
            visit(node)
    return found


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    try:
        with open(argv[1], encoding="utf-8") as file:
            targets = json.load(file)
    except (OSError, ValueError) as error:
        print(f"cannot read the manifest (configure first): {error}", file=sys.stderr)
        return 2
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

    sources = {name: absolute_sources(target) for name, target in targets.items()}
    libraries = {name for name, target in targets.items() if target["type"] in LIBRARY_TYPES}

    # Who owns a folder, and which sources each folder's libraries compile.
    folder_owners = {}
    for name in sorted(libraries):
        for folder in {os.path.dirname(source) for source in sources[name]}:
            folder_owners.setdefault(folder, []).append(name)

    def owners(header):
        candidates = folder_owners.get(os.path.dirname(header), [])
        stem = os.path.splitext(header)[0]
        compiling = [name for name in candidates if any(os.path.splitext(s)[0] == stem for s in sources[name])]
        return compiling or candidates

    include_roots = []
    for target in targets.values():
        for folder in target["INCLUDE_DIRECTORIES"] + target["INTERFACE_INCLUDE_DIRECTORIES"]:
            folder = os.path.normpath(folder)
            if not folder.startswith("$<") and os.path.isdir(folder) and folder not in include_roots:
                include_roots.append(folder)

    def resolve(including, quoted, path):
        folders = ([os.path.dirname(including)] if quoted else []) + include_roots
        for folder in folders:
            candidate = os.path.normpath(os.path.join(folder, path))
            if os.path.isfile(candidate):
                return candidate
        return None

    # What each target may include: itself, what it links, and what those
    # pass on publicly.
    direct = {name: link_names(targets[name]["LINK_LIBRARIES"], targets) for name in targets}
    public = {name: link_names(targets[name]["INTERFACE_LINK_LIBRARIES"], targets, True) for name in targets}

    def usable(name):
        reached, pending = {name}, list(direct[name])
        while pending:
            dependency = pending.pop()
            if dependency not in reached:
                reached.add(dependency)
                pending.extend(public[dependency])
        return reached

    # A header belongs to one library when that library alone owns its
    # folder or compiles its source; the library answers for it. Headers
    # of no one library (helpers of test and benchmark folders) are
    # checked as part of each target that includes them.
    answered = {}
    for name in libraries:
        for folder in {os.path.dirname(source) for source in sources[name]}:
            if not os.path.isdir(folder):
                continue
            for entry in os.listdir(folder):
                path = os.path.join(folder, entry)
                if entry.endswith(HEADER_SUFFIXES) and owners(path) == [name]:
                    answered[path] = name

    includes = {}

    def includes_of(path):
        if path not in includes:
            found = []
            try:
                with open(path, encoding="utf-8", errors="replace") as file:
                    for number, line in enumerate(file, 1):
                        match = INCLUDE.match(line)
                        if match:
                            header = resolve(path, match.group(1) == '"', match.group(2))
                            if header:
                                found.append((number, match.group(2), header))
            except OSError:
                pass  # a generated source not made yet
            includes[path] = found
        return includes[path]

    problems = []
    checked = 0
    for name in sorted(targets):
        allowed = usable(name)
        # A header whose source the target compiles itself is its own too.
        compiled = {os.path.splitext(source)[0] for source in sources[name]}
        pending = list(sources[name]) + sorted(path for path, owner in answered.items() if owner == name)
        seen = set(pending)
        while pending:
            path = pending.pop()
            for number, written, header in includes_of(path):
                owner = answered.get(header)
                checked += owner is not None
                if owner is None or owner == name or os.path.splitext(header)[0] in compiled:
                    if header not in seen:
                        seen.add(header)
                        pending.append(header)
                elif owner not in allowed:
                    problems.append(
                        f"{os.path.relpath(path, root)}:{number}: {name} includes \"{written}\" of {owner}, "
                        "which it does not link"
                    )

    graph = {name: sorted(set(direct[name])) for name in targets}
    for component in strongly_connected(graph):
        problems.append(f"these libraries link each other: {', '.join(component)}")

    if checked == 0:
        problems.append("no include of a library header found: the manifest or the sources are not what they seem")
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} layer problem(s)")
        return 1
    print(f"layers kept: {checked} includes of library headers in {len(targets)} targets")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
