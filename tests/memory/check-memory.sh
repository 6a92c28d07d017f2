#!/usr/bin/env bash
# The checker keeps fixed tables and reads its input in fixed-size pieces, so
# its memory must not grow with the input. Runs BUILD_DIR/imset-check on a
# 1 KB, a 1 GB and a one-line 100 MB extreme-point file and compares the
# maximum resident set sizes: the large runs may exceed the small one by at
# most 1 MB and none may exceed 16 MB.
#
# imset-query, when built, on a 1 KB and a 200 MB file of comment and blank
# lines: the large run may exceed the small one by at most 1 MB. With more
# queries than 400 MB of address space holds it must end with status 2.
#
#   tests/memory/check-memory.sh BUILD_DIR
#
# Needs GNU time (/usr/bin/time, Debian package "time") and python3. The
# files (about 1.1 GB) go to a temporary directory under ${TMPDIR:-/tmp}
# that is removed afterwards.
set -euo pipefail

if [[ $# -ne 1 ]]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
checker=$(cd "$1" && pwd)/imset-check
[[ -x $checker ]] || { echo "no checker at $checker" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "GNU time is needed: apt-get install -y time" >&2; exit 2; }

tolerance_kb=1024
ceiling_kb=16384

work=$(mktemp -d "${TMPDIR:-/tmp}/imset-memory.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Vector 1 asks for every imset value zero, which only the all-zero function
# gives; no record below is all zero, so the run reads every byte. Vector 2
# asks nothing and is matched by the first record, so the report path runs.
{
  echo "+"
  printf 'x %.0s' $(seq 80)
  echo
} >"$work/vectors"

python3 - "$work" <<'EOF'
import random, sys
work = sys.argv[1]
rng = random.Random(20261208)
# Values from a small range, so that records have many different zero
# patterns and the search's pattern table fills up; the first value is
# never zero, so no record is the zero function.
records = []
for _ in range(2000):
    values = [rng.choice((1, 2, 3))] + [rng.choice((-1, 0, 0, 1, 2, 5)) for _ in range(25)]
    records.append(" ".join(map(str, values)) + "\n")
block = "".join(records).encode()
with open(f"{work}/small", "wb") as f:
    f.write(block[: block.rindex(b"\n", 0, 1024) + 1])
with open(f"{work}/large", "wb") as f:
    written = 0
    while written < 1 << 30:
        f.write(block)
        written += len(block)
# One line of 100 MB: each 1,023-byte read of it counts as a record.
with open(f"{work}/long-line", "wb") as f:
    piece = b"12 -3 0 7 " * 100_000
    for _ in range(100):
        f.write(piece)
    f.write(b"\n")
EOF

status=0
declare -A rss
for name in small large long-line; do
  size=$(stat -c %s "$work/$name")
  start=$(date +%s%N)
  /usr/bin/time -f %M -o "$work/$name.rss" "$checker" "$work/vectors" "$work/$name" >"$work/$name.out" || {
    echo "$name: the checker failed" >&2
    cat "$work/$name.out" >&2
    exit 1
  }
  ms=$((($(date +%s%N) - start) / 1000000))
  rss[$name]=$(tail -n 1 "$work/$name.rss")
  # The summary is printed only once the whole file has been read.
  if [[ $(tail -n 2 "$work/$name.out") != $'1 counter examples found\nEND' ]]; then
    echo "$name: the run did not end with the summary:" >&2
    tail -n 3 "$work/$name.out" >&2
    status=1
  fi
  printf '%-9s %11d bytes  max RSS %6d KB  %6d ms\n' "$name" "$size" "${rss[$name]}" "$ms"
done

for name in large long-line; do
  if ((rss[$name] > rss[small] + tolerance_kb)); then
    echo "$name: max RSS ${rss[$name]} KB exceeds the 1 KB run's ${rss[small]} KB by more than $tolerance_kb KB" >&2
    status=1
  fi
done
for name in small large long-line; do
  if ((rss[$name] > ceiling_kb)); then
    echo "$name: max RSS ${rss[$name]} KB exceeds $ceiling_kb KB" >&2
    status=1
  fi
done
# imset-query keeps only the queries it reads.
query=$(cd "$1" && pwd)/imset-query
if [[ -x $query ]]; then
  python3 - "$work" <<'EOF'
import sys
work = sys.argv[1]
lines = b"# nothing asked here, only a comment\n\n   # indented\r\n\r# after a lone CR\n"
with open(f"{work}/comments-small", "wb") as f:
    f.write(lines * (1024 // len(lines)))
with open(f"{work}/comments-large", "wb") as f:
    block = lines * 10000
    for _ in range(200_000_000 // len(block)):
        f.write(block)
EOF
  # No query in either: both end with status 2 after reading every line.
  for name in comments-small comments-large; do
    /usr/bin/time -f %M -o "$work/$name.rss" "$query" "$work/$name" 2>"$work/$name.err" && true
    rss[$name]=$(tail -n 1 "$work/$name.rss")
    if ! grep -q 'no queries to answer' "$work/$name.err"; then
      echo "imset-query on $name did not read to the end:" >&2
      cat "$work/$name.err" >&2
      status=1
    fi
    printf 'imset-query %-14s %11d bytes  max RSS %6d KB\n' "$name" "$(stat -c %s "$work/$name")" "${rss[$name]}"
  done
  if ((${rss[comments-large]} > ${rss[comments-small]} + tolerance_kb)); then
    echo "imset-query: max RSS ${rss[comments-large]} KB on 200 MB of comments exceeds the 1 KB run's" \
      "${rss[comments-small]} KB by more than $tolerance_kb KB" >&2
    status=1
  fi
  # 20 million queries do not fit in 400 MB of address space: status 2 and
  # a message, not status 1.
  query_status=0
  (ulimit -v 400000 && yes '+0,1 -0,2' | head -n 20000000 | "$query" >/dev/null 2>"$work/many.err") || query_status=$?
  if [[ $query_status -ne 2 ]] || ! grep -q 'out of memory after reading' "$work/many.err"; then
    echo "imset-query with too many queries: status $query_status, expected 2 and a message:" >&2
    cat "$work/many.err" >&2
    status=1
  fi
fi
exit "$status"
