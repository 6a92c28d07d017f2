#!/bin/sh
# The outputs the README shows must be the programs' recorded outputs: the
# example of imset-check (tests/golden/example.out) and the example queries
# of imset-query (tests/golden/example-queries.out, run from the source
# tree's root, so with "data/" before the file name) and its example with
# named variables (tests/golden/named-example.out) and with a certificate
# (tests/golden/certify-example.out). Each must appear in
# the README as a whole, line for line.
#
#   check-readme-examples.sh README GOLDEN_DIR
set -u
if [ $# -ne 2 ]; then
  echo "usage: $0 README GOLDEN_DIR" >&2
  exit 2
fi
readme=$1
golden=$2
scratch=$(mktemp -d) || exit 2
trap 'rm -rf "$scratch"' EXIT INT TERM

# Each text on one line, its line breaks as \001, so that grep -F finds a
# block of lines as one string.
one_line() { tr '\n' '\001'; }
one_line <"$readme" >"$scratch/readme"
one_line <"$golden/example.out" >"$scratch/check"
sed 's|^example-queries.txt:|data/example-queries.txt:|' "$golden/example-queries.out" | one_line >"$scratch/query"
one_line <"$golden/named-example.out" >"$scratch/named"
one_line <"$golden/certify-example.out" >"$scratch/certify"

status=0
for shown in check query named certify; do
  if [ ! -s "$scratch/$shown" ]; then
    echo "the recorded output for $shown is missing or empty" >&2
    status=1
  elif ! grep -q -F -f "$scratch/$shown" "$scratch/readme"; then
    echo "$readme does not show the recorded $shown output as it is" >&2
    status=1
  fi
done
[ $status -eq 0 ] && echo "the README shows every recorded output"
exit $status
