#!/usr/bin/env python3
"""Splits the instructions of a callgrind profile of the agent between the
agent's own code and the embedded emulation.

    python3 bench/callgrind_split.py CALLGRIND_OUT [EMULATION_PATTERN]

By library: each instruction counts in the object it was executed in (the
emulation's malloc and memcpy count as libc's). By caller: an instruction
executed while a function of the emulation (an object whose name matches
EMULATION_PATTERN, default "ociemu|sqlite") is on the stack is the
emulation's, wherever it falls; the rest is the agent's own cost.

The agent enters the emulation only through the OCI functions (OCI...),
so the emulation's share is the inclusive cost of every call of an OCI
function from outside the emulation, plus the library's constructors and
destructors the loader runs. Counting every call that crosses into the
emulation's objects instead would count twice: the emulation's calls pass
through stubs of no known object (SQLite's allocator under valgrind) and
back, and the executable's copies of std::string's functions serve the
emulation too (they count as the emulation's here). Prints "key value" lines: total, emulation, own, then object:NAME for
each object's own instructions.
"""
import re
import sys
from collections import defaultdict


def named(table, text):
    """An id and name entry of the compressed format: "(3) name" or "(3)"."""
    match = re.match(r"\((\d+)\)(?: (.*))?$", text)
    if not match:
        return text
    key, name = match.groups()
    if name is not None:
        table[key] = name
    return table.get(key, key)


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit("usage: callgrind_split.py CALLGRIND_OUT [EMULATION_PATTERN]")
    emulation = re.compile(sys.argv[2] if len(sys.argv) == 3 else "ociemu|sqlite")
    entry, loader = re.compile(r"OCI[A-Z]"), re.compile(r"/ld-linux")
    objects, functions = {}, {}
    self_cost = defaultdict(int)  # object -> instructions executed in it
    # (caller object, callee function, callee object, inclusive cost); a call
    # names the callee's object (cob=) only when it is not the caller's.
    calls = []
    total = None
    ob = fn = None
    callee_fn = callee_ob = None
    in_call = False
    with open(sys.argv[1], encoding="utf-8", errors="replace") as profile:
        for line in profile:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            if line[0].isdigit() or line[0] in "+-*":
                cost = line.split()
                instructions = int(cost[1]) if len(cost) > 1 else 0
                if in_call:
                    calls.append((ob, callee_fn, callee_ob, instructions))
                    in_call = False
                    callee_fn = callee_ob = None
                else:
                    self_cost[ob] += instructions
                continue
            key, _, value = line.partition("=")
            if key == "ob":
                ob = named(objects, value)
            elif key == "fn":
                fn = named(functions, value)
            elif key == "cob":
                callee_ob = named(objects, value)
            elif key == "cfn":
                callee_fn = named(functions, value)
            elif key == "calls":
                in_call = True
            elif key == "totals" or key == "summary":
                total = int(value.split()[0])
    if total is None:
        total = sum(self_cost.values())
    emulation_cost = 0
    for caller_ob, callee_fn, callee_ob, inclusive in calls:
        if entry.match(callee_fn or "") and not emulation.search(caller_ob or ""):
            emulation_cost += inclusive
        elif loader.search(caller_ob or "") and emulation.search(callee_ob or caller_ob or ""):
            emulation_cost += inclusive  # the library's constructors and destructors
    print("total %d" % total)
    print("emulation %d" % emulation_cost)
    print("own %d" % (total - emulation_cost))
    for name, cost in sorted(self_cost.items(), key=lambda item: -item[1]):
        print("object:%s %d" % (name, cost))


if __name__ == "__main__":
    main()
