#!/usr/bin/env bash
# When standard output cannot be written (a full device, a closed descriptor,
# a reader that went away) the checker must say so in one line on standard
# error and end with status 1, whether the failure comes while the vector
# file is read, during the search, or at the final flush. Meant for a build
# with AddressSanitizer and UndefinedBehaviorSanitizer
# (-DIMSET_SANITIZE=ON): any sanitizer report on standard error fails it.
#
#   tests/memory/check-output-failures.sh BUILD_DIR
set -uo pipefail

if [[ $# -ne 1 ]]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
checker=$(cd "$1" && pwd)/imset-check
[[ -x $checker ]] || { echo "no checker at $checker" >&2; exit 2; }
grep -qa __asan_init "$checker" || echo "note: $checker is not built with AddressSanitizer" >&2

# A sanitizer's own exit status must not pass for the checker's 1.
export ASAN_OPTIONS=exitcode=86:detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=exitcode=86:print_stacktrace=1:halt_on_error=1

work=$(mktemp -d "${TMPDIR:-/tmp}/imset-output.XXXXXX")
trap 'rm -rf "$work"' EXIT

python3 - "$work" <<'EOF'
import sys
work = sys.argv[1]
anything = " ".join(["x"] * 80) + "\n"
# About 2.5 MB of "Too many values" lines while the vector file is read:
# every line holds 511 tokens where 80 are expected.
with open(f"{work}/chatty-vectors", "w") as f:
    for _ in range(100):
        f.write(("x " * 511)[:1022] + "\n")
# 100 vectors that ask nothing: the first record matches them all, and its
# large values make the 100 reports about 110 KB, more than the writer's
# buffer holds, so the writer drains during the search.
with open(f"{work}/vectors", "w") as f:
    f.write(anything * 100)
with open(f"{work}/extreme", "w") as f:
    record = " ".join(str(-99999999 + 7919 * k) for k in range(26)) + "\n"
    f.write(record * 1000)
with open(f"{work}/one-vector", "w") as f:
    f.write("+\n")
EOF

status=0
expected_stderr="imset-check: cannot write to standard output"

# check NAME STATUS STDERR_FILE: the status must be 1 and standard error
# exactly the one line.
check() {
  local name=$1 got=$2 err=$3
  if [[ $got -ne 1 || $(cat "$err") != "$expected_stderr" ]]; then
    echo "FAIL $name: exit status $got (1 expected), standard error:" >&2
    head -c 4000 "$err" >&2
    status=1
  else
    echo "ok   $name"
  fi
}

# The same runs with a working standard output, so that the failures below
# are failures to write and nothing else.
for run in "chatty-vectors extreme" "vectors extreme" "one-vector extreme"; do
  read -r v e <<<"$run"
  "$checker" "$work/$v" "$work/$e" >"$work/out" 2>"$work/err"
  got=$?
  if [[ $got -ne 0 || -s $work/err ]]; then
    echo "FAIL control run $v: exit status $got, standard error:" >&2
    cat "$work/err" >&2
    status=1
  fi
done
if (($(stat -c %s "$work/out") > 1000)); then
  echo "FAIL control run one-vector: expected only the summary" >&2
  status=1
fi

for run in "chatty-vectors extreme" "vectors extreme" "one-vector extreme"; do
  read -r v e <<<"$run"
  "$checker" "$work/$v" "$work/$e" >/dev/full 2>"$work/err"
  check "$v > /dev/full" $? "$work/err"
  "$checker" "$work/$v" "$work/$e" >&- 2>"$work/err"
  check "$v >&-" $? "$work/err"
  "$checker" "$work/$v" "$work/$e" 2>"$work/err" | head -c 10 >"$work/head"
  pipe=("${PIPESTATUS[@]}")
  if [[ $v == one-vector ]]; then
    # Ten bytes of a short summary fit in the pipe: no failure to report.
    if [[ ${pipe[0]} -ne 0 || -s $work/err ]]; then
      echo "FAIL $v | head -c 10: exit status ${pipe[0]}, standard error:" >&2
      cat "$work/err" >&2
      status=1
    fi
  else
    check "$v | head -c 10" "${pipe[0]}" "$work/err"
  fi
  if [[ $(stat -c %s "$work/head") -ne 10 ]]; then
    echo "FAIL $v | head -c 10: the reader got $(stat -c %s "$work/head") bytes" >&2
    status=1
  fi
done

# The usage line is written the same way.
"$checker" >/dev/full 2>"$work/err"
check "usage > /dev/full" $? "$work/err"

exit "$status"
