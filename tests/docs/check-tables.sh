#!/bin/sh
# The position table (80 elementary imsets a,b|K) and the subset table (26
# subsets) of imset-check(1) must be the program's own tables: compares the
# rows of the page's tbl tables with what table_rows prints from src/tables.
#
#   check-tables.sh TABLE_ROWS_PROGRAM PAGE
set -u
if [ $# -ne 2 ]; then
  echo "usage: $0 TABLE_ROWS_PROGRAM PAGE" >&2
  exit 2
fi
program=$1
page=$2

scratch=$(mktemp -d) || exit 2
trap 'rm -rf "$scratch"' EXIT INT TERM

"$program" | sort >"$scratch/program" || exit 2

# Inside .TS/.TE: the options line, then the format up to the line ending in
# ".", then a heading row naming the table ("pos" or "index"), then rows of
# index;entry pairs; "_" draws a rule.
awk -F ';' '
  /^\.TS/ { in_table = 1; in_format = 1; name = ""; next }
  /^\.TE/ { in_table = 0; next }
  !in_table { next }
  in_format { if ($0 ~ /\.[[:space:]]*$/) in_format = 0; next }
  $0 == "_" { next }
  name == "" { name = $1; next }
  {
    for (i = 1; i < NF; i += 2) {
      if ($i != "") print name " " $i ";" $(i + 1)
    }
  }
' "$page" | sort >"$scratch/page"

rows=$(wc -l <"$scratch/page")
if ! diff -u "$scratch/program" "$scratch/page" >"$scratch/diff"; then
  echo "the tables of $page differ from the program's (- program, + page):" >&2
  cat "$scratch/diff" >&2
  exit 1
fi
echo "$rows table entries of $page match the program's tables"
exit 0
