#!/usr/bin/env bash
# Runs an installed or unpacked imset-query on the example queries beside
# its data, as a user would, and compares with the recorded answers: it must
# find the shipped types on its own, wherever it was put.
#
#   tests/install/check-query-example.sh PROGRAM DATA_DIR GOLDEN
set -uo pipefail
program=$1
data=$2
golden=$3
(cd "$data" && "$program" example-queries.txt) 2>/dev/null | cmp -s - "$golden"
statuses=("${PIPESTATUS[@]}")
if [[ ${statuses[0]} -ne 0 || ${statuses[1]} -ne 0 ]]; then
  echo "$program (status ${statuses[0]}) did not give the recorded answers to the example queries" >&2
  exit 1
fi
