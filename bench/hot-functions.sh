#!/bin/sh
# Writes src/cli/hot-functions.txt: the functions of pinwright-cli that one generation of the
# largest project runs, start and end of the process included. The link puts them side by
# side at the start of the code, so that a short run maps a few pages of code rather than
# pieces of every page; functions the list does not name (or names no longer) keep their
# usual place, so a stale list costs speed, never correctness.
#
# Run it from a bench build (make bench) after a change that moves much code on the road of
# a generation, and commit the list with that change.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
cli=$here/../build/bench/src/cli/pinwright-cli
list=$here/../src/cli/hot-functions.txt
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

valgrind --tool=callgrind --demangle=no --callgrind-out-file="$work/calls" \
  "$cli" generate --with all --gpio0 13 --prefix0 LCD_ --gpio1 68 --prefix1 RF_ \
  "$work/project/LARKSPUR.qpf" >/dev/null 2>"$work/log"

# Callgrind names each object and function once, as "ob=(N) NAME" or "fn=(N) NAME", and then
# by number alone; the list keeps the symbol names of the functions run in pinwright-cli
# itself, without recursion marks ('2) and without code that has no symbol, sorted so that a
# list made anew differs only where the functions run differ.
python3 - "$work/calls" "$list" <<'EOF'
import re
import sys

objects, functions, hot = {}, {}, []
current = None
for line in open(sys.argv[1], encoding="utf-8", errors="replace"):
    match = re.match(r"^(c?ob|c?fn)=\((\d+)\)(?: (.*))?$", line.rstrip("\n"))
    if not match:
        continue
    kind, number, name = match.groups()
    names = objects if kind.endswith("ob") else functions
    if name is not None:
        names[number] = name
    if kind == "ob":
        current = objects[number]
    elif kind == "fn" and current and current.endswith("/pinwright-cli"):
        symbol = functions[number].split("'")[0]
        if not symbol.startswith(("0x", "(")) and symbol not in hot:
            hot.append(symbol)
with open(sys.argv[2], "w", encoding="utf-8") as out:
    out.write("".join(symbol + "\n" for symbol in sorted(hot)))
print(f"{len(hot)} functions listed in src/cli/hot-functions.txt")
EOF
