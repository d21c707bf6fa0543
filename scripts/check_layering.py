#!/usr/bin/env python3
"""Checks the layering of the source tree: a source file of module M may include headers of its
own module and of the modules M declares as dependencies (directly or through them), nothing
else; and only src/desktop and src/app may include Qt.

The modules stand in the order of LAYERS (bottom up): a declared dependency on a module at the
same height or above is a breach too. The modules and their dependencies are read from each folder's CMakeLists.txt: the DEPS and
PRIVATE_DEPS of velmora_module(NAME ...), or the velmora_* libraries an executable links. Exits 1
and lists every breach; 0 when there is none.

    check_layering.py [SRC_DIR]
"""
import re
import sys
from pathlib import Path

QT_ALLOWED = {"desktop", "app"}
# The modules from the bottom up: a module may depend only on modules before it. Modules not
# listed (the planted-breach fixture's) are checked by their declared dependencies alone.
LAYERS = ["base", "platform", "mime", "profiles", "store", "net", "addressbook", "reading",
          "retrieval", "compose", "tools", "core", "cli", "desktop", "app"]
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^">]+)[">]', re.M)
QT_HEADER = re.compile(r"^Q[A-Z]\w*$|^Qt\w*/")


def declared_dependencies(cmake_text):
    """The velmora_* libraries a folder's CMakeLists.txt names as dependencies."""
    deps = set()
    for call in re.finditer(r"(velmora_module|target_link_libraries)\s*\((.*?)\)", cmake_text, re.S):
        words = call.group(2).split()
        if call.group(1) == "velmora_module":
            collecting = False
            for word in words:
                if word in ("DEPS", "PRIVATE_DEPS"):
                    collecting = True
                elif word.isupper():
                    collecting = False
                elif collecting and word.startswith("velmora_"):
                    deps.add(word[len("velmora_"):])
        else:
            deps.update(w[len("velmora_"):] for w in words[1:] if w.startswith("velmora_"))
    return deps


def closure(module, graph, seen=None):
    seen = set() if seen is None else seen
    for dep in graph.get(module, ()):
        if dep not in seen:
            seen.add(dep)
            closure(dep, graph, seen)
    return seen


def main():
    src = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "src")
    modules = sorted(p.name for p in src.iterdir() if (p / "CMakeLists.txt").is_file())
    graph = {m: declared_dependencies((src / m / "CMakeLists.txt").read_text()) for m in modules}
    breaches = []
    for module in modules:
        if module not in LAYERS:
            continue
        for dep in sorted(graph[module]):
            if dep != module and dep in LAYERS and LAYERS.index(dep) >= LAYERS.index(module):
                breaches.append(f"{module}/CMakeLists.txt: {module} may not depend on {dep}, "
                                "a higher layer")
    for module in modules:
        allowed = closure(module, graph) | {module}
        for source in sorted((src / module).rglob("*")):
            if source.suffix not in (".h", ".cpp"):
                continue
            for include in INCLUDE.findall(source.read_text(errors="replace")):
                first = include.split("/")[0]
                where = f"{source.relative_to(src)}: #include {include}"
                if QT_HEADER.match(include) and module not in QT_ALLOWED:
                    breaches.append(f"{where} (Qt outside src/desktop)")
                elif "/" in include and first in graph and first not in allowed:
                    breaches.append(f"{where} ({module} does not depend on {first})")
    for breach in breaches:
        print(breach)
    if breaches:
        print(f"{len(breaches)} include(s) break the layering")
        return 1
    print(f"layering holds: {len(modules)} modules")
    return 0


if __name__ == "__main__":
    sys.exit(main())
