#!/bin/sh
# Checks manual pages: no placeholder left, the project version
# in the .TH line, no warning at all from groff (-ww, with tbl) on three
# devices, no line wider than 80 columns, and no warning from man(1) at
# MANWIDTH=80 when man is installed.
#
#   check-manpages.sh [--expect-warnings] VERSION PAGE...
#
# With --expect-warnings it succeeds only if every page draws a warning from
# groff: the test that shows the check can fail. Exits 77 (skipped) when
# groff is not installed.
set -u

expect_warnings=0
if [ "${1:-}" = --expect-warnings ]; then
  expect_warnings=1
  shift
fi
if [ $# -lt 2 ]; then
  echo "usage: $0 [--expect-warnings] VERSION PAGE..." >&2
  exit 2
fi
version=$1
shift

if ! command -v groff >/dev/null 2>&1; then
  echo "groff is not installed: manual pages not checked" >&2
  exit 77
fi

scratch=$(mktemp -d) || exit 2
trap 'rm -rf "$scratch"' EXIT INT TERM
problems=0

fail() {
  echo "$page: $*" >&2
  problems=$((problems + 1))
}

# Runs a formatter; anything it says on standard error is a failure.
quiet() {
  what=$1
  shift
  if ! "$@" >"$scratch/out" 2>"$scratch/err"; then
    fail "$what failed"
  fi
  if [ -s "$scratch/err" ]; then
    fail "$what warned:"
    sed 's/^/    /' "$scratch/err" >&2
  fi
}

for page in "$@"; do
  if [ ! -s "$page" ]; then
    fail "missing or empty"
    continue
  fi
  warned_before=$problems
  # The style checks below are not warnings; they do not count for
  # --expect-warnings.
  if grep -n '@[A-Za-z_][A-Za-z_0-9]*@' "$page" >&2; then
    fail "placeholder left unconfigured"
  fi
  if ! grep -q "^\\.TH .*[ \"]$version\"" "$page"; then
    fail "the .TH line does not carry version $version"
  fi
  style_problems=$((problems - warned_before))

  warned_before=$problems
  for device in ps utf8 ascii; do
    quiet "groff -T$device" groff -ww -z -man -t -T"$device" "$page"
  done
  # 78 columns of text is what man sets for an 80-column terminal.
  quiet "groff -Tascii -rLL=78n" groff -ww -man -t -Tascii -P-cbou -rLL=78n "$page"
  if [ -s "$scratch/out" ]; then
    wide=$(awk 'length($0) > 80 { print "    " NR ": " $0 }' "$scratch/out")
    if [ -n "$wide" ]; then
      fail "lines wider than 80 columns:"
      echo "$wide" >&2
    fi
  fi
  if command -v man >/dev/null 2>&1; then
    # man reads options and pagers from the environment; none of that here.
    quiet "man --warnings -l (MANWIDTH=80)" env -u MANOPT -u MANPAGER -u PAGER -u MANROFFOPT \
      MANWIDTH=80 man --warnings -l "$page"
  else
    echo "$page: man is not installed; checked with groff only" >&2
  fi
  warnings=$((problems - warned_before))

  if [ "$expect_warnings" -eq 1 ]; then
    # A warning is what was asked for; problems of style still fail.
    problems=$style_problems
    if [ "$warnings" -eq 0 ]; then
      echo "$page: expected a formatter warning, got none" >&2
      problems=$((problems + 1))
    fi
  fi
done

if [ "$problems" -ne 0 ]; then
  echo "$problems problem(s) in the manual pages" >&2
  exit 1
fi
if [ "$expect_warnings" -eq 1 ]; then
  echo "every page drew a formatter warning, as expected: $*"
else
  echo "manual pages clean: $*"
fi
exit 0
