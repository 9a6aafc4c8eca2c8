#!/usr/bin/env python3
"""Fails when the files of src/ include each other in a circle.

A header and its source file are one unit (src/app/Program.h and
src/app/Program.cpp are "app/Program"); a unit depends on every unit whose
header one of its files includes. Any strongly connected set of more than one
unit is a circle, printed with the includes that close it.
usage: include_cycles.py SOURCE_DIR
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)


def units(src):
    graph, why = {}, {}
    for folder, _, names in os.walk(src):
        for name in names:
            if not name.endswith(('.h', '.cpp')):
                continue
            path = os.path.join(folder, name)
            unit = os.path.splitext(os.path.relpath(path, src))[0]
            graph.setdefault(unit, set())
            with open(path, encoding='utf-8', errors='replace') as f:
                for target in INCLUDE.findall(f.read()):
                    resolved = os.path.normpath(os.path.join(folder, target))
                    if not os.path.exists(resolved):
                        resolved = os.path.normpath(os.path.join(src, target))
                    if not os.path.exists(resolved):
                        continue
                    other = os.path.splitext(os.path.relpath(resolved, src))[0]
                    if other != unit:
                        graph[unit].add(other)
                        why.setdefault((unit, other), f'{os.path.relpath(path, src)} includes "{target}"')
    return graph, why


def circles(graph):
    """Tarjan's strongly connected components of more than one unit."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []

    def visit(unit):
        index[unit] = low[unit] = len(index)
        stack.append(unit)
        on_stack.add(unit)
        for other in sorted(graph.get(unit, ())):
            if other not in index:
                visit(other)
                low[unit] = min(low[unit], low[other])
            elif other in on_stack:
                low[unit] = min(low[unit], index[other])
        if low[unit] == index[unit]:
            component = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                component.append(member)
                if member == unit:
                    break
            if len(component) > 1:
                found.append(sorted(component))

    sys.setrecursionlimit(10000)
    for unit in sorted(graph):
        if unit not in index:
            visit(unit)
    return found


def main():
    src = os.path.join(sys.argv[1] if len(sys.argv) > 1 else '.', 'src')
    graph, why = units(src)
    found = circles(graph)
    for component in found:
        members = set(component)
        print('include circle: ' + ', '.join(component))
        for unit in component:
            for other in sorted(graph[unit] & members):
                print('  ' + why[(unit, other)])
    if not found:
        print(f'no include circle among the {len(graph)} units of {src}')
    return 1 if found else 0


if __name__ == '__main__':
    sys.exit(main())
