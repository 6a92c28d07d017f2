#!/bin/sh
# Every text imset-check prints must appear in its manual page, so that the
# page cannot drift from the program unnoticed. The texts are the string
# literals passed to write_text() in the run frame and the report, and
# what fputs() sends to standard error; each is split at its
# line breaks and looked for, blanks trimmed, in the page as formatted.
#
#   check-messages.sh [--expect-missing TEXT] SOURCE_DIR PAGE
#
# With --expect-missing, the page's source lines containing TEXT are taken
# out first, and the check succeeds only if it then reports a printed text
# as missing: the test that shows the check can fail. Exits 77 (skipped)
# when groff is not installed.
set -u

drop=
if [ "${1:-}" = --expect-missing ]; then
  drop=${2:-}
  shift 2 || exit 2
  if [ -z "$drop" ]; then
    echo "--expect-missing needs a text" >&2
    exit 2
  fi
fi
if [ $# -ne 2 ]; then
  echo "usage: $0 [--expect-missing TEXT] SOURCE_DIR PAGE" >&2
  exit 2
fi
src=$1
page=$2

if ! command -v groff >/dev/null 2>&1; then
  echo "groff is not installed: messages not checked" >&2
  exit 77
fi

scratch=$(mktemp -d) || exit 2
trap 'rm -rf "$scratch"' EXIT INT TERM

sources="$src/check/report.cpp $src/text/output.cpp $src/check/run.cpp"

# Each file as one line, so a call wrapped over several lines is still one
# match; a call runs to its semicolon. Then every string literal of each
# call, its quotes stripped, and its \n turned into line breaks.
for f in $sources; do
  if [ ! -f "$f" ]; then
    echo "missing source file $f" >&2
    exit 2
  fi
  tr '\n' ' ' <"$f" |
    grep -o -E '(write_text|fputs)[[:space:]]*\([^;]*;' |
    grep -o -E '"([^"\\]|\\.)*"'
done >"$scratch/literals"
sed -e 's/^"//' -e 's/"$//' -e 's/\\"/"/g' -e 's/\\n/\n/g' -e 's/\\\\/\\/g' "$scratch/literals" |
  sed -e 's/^[[:space:]]*//' -e 's/[[:space:]]*$//' -e 's/[[:space:]][[:space:]]*/ /g' |
  grep -v '^$' | sort -u >"$scratch/texts"

# A broken extraction must not pass as "nothing missing".
count=$(wc -l <"$scratch/texts")
if [ "$count" -lt 10 ]; then
  echo "only $count texts found in the sources; the extraction is broken:" >&2
  cat "$scratch/texts" >&2
  exit 2
fi

if [ -n "$drop" ]; then
  grep -v -F -- "$drop" "$page" >"$scratch/page.1"
  if cmp -s "$page" "$scratch/page.1"; then
    echo "no line of $page contains \"$drop\"" >&2
    exit 2
  fi
  page=$scratch/page.1
fi

# Formatted as plain text on very long lines without hyphenation, so that no
# message is broken; runs of blanks count as one.
if ! groff -man -t -Tascii -P-cbou -rLL=2000n -rHY=0 "$page" >"$scratch/formatted" 2>"$scratch/err"; then
  cat "$scratch/err" >&2
  echo "groff failed on $page" >&2
  exit 2
fi
tr -s ' ' <"$scratch/formatted" >"$scratch/text"

missing=0
while IFS= read -r text; do
  if ! grep -q -F -- "$text" "$scratch/text"; then
    echo "printed by the program but not in $page: \"$text\"" >&2
    missing=$((missing + 1))
  fi
done <"$scratch/texts"

if [ -n "$drop" ]; then
  if [ "$missing" -eq 0 ]; then
    echo "taking out the lines with \"$drop\" went unnoticed" >&2
    exit 1
  fi
  echo "taking out the lines with \"$drop\" was noticed ($missing text(s) missing)"
  exit 0
fi
if [ "$missing" -ne 0 ]; then
  echo "$missing of $count printed texts missing from $page" >&2
  exit 1
fi
echo "all $count printed texts appear in $page"
exit 0
