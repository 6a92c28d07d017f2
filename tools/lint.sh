#!/usr/bin/env bash
# Static checks: clang-tidy with the checked-in .clang-tidy files over every
# source under src/ and tests/ in BUILD_DIR's compilation database, then
# cppcheck over src/ and tests/. Fails on any finding of either.
#
#   tools/lint.sh BUILD_DIR
#
# BUILD_DIR is (re)configured with CMAKE_EXPORT_COMPILE_COMMANDS=ON, keeping
# its other settings; sources of parts that are not configured there (tests,
# imset-rays) are left out of the clang-tidy pass. Needs clang-tidy 14
# (Debian package clang-tidy) and cppcheck; the tests need libgtest-dev.
set -euo pipefail

if [[ $# -ne 1 ]]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
start=$(date +%s)

cmake -S "$root" -B "$build" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >"$build.lint-configure.log" 2>&1 ||
  { cat "$build.lint-configure.log" >&2; exit 1; }
rm -f "$build.lint-configure.log"
build=$(cd "$build" && pwd)

run_tidy=$(command -v run-clang-tidy-14 || command -v run-clang-tidy || true)
[[ -n $run_tidy ]] || { echo "run-clang-tidy not found (Debian package clang-tidy)" >&2; exit 2; }
tidy=$(command -v clang-tidy-14 || command -v clang-tidy)

status=0
echo "clang-tidy over src/ and tests/ ..."
if ! "$run_tidy" -clang-tidy-binary "$tidy" -p "$build" -j 2 -quiet "^$root/(src|tests)/" >"$build/clang-tidy.log" 2>&1; then
  sed 's/\x1b\[[0-9;]*m//g' "$build/clang-tidy.log" |
    grep -v -E '^(/[^ ]*clang-tidy|[0-9]+ warnings? generated|Suppressed [0-9]+ warnings|Use -header-filter)' >&2 || true
  echo "clang-tidy: findings (full log $build/clang-tidy.log)" >&2
  status=1
fi

echo "cppcheck over src/ and tests/ ..."
# Relative paths, as the suppressions name files that way.
if ! (cd "$root" && cppcheck --enable=warning,performance,portability --error-exitcode=1 --inline-suppr \
  --std=c++20 -q -j 2 --library=googletest --suppressions-list=tools/cppcheck-suppressions.txt \
  -I src -I tests src tests); then
  echo "cppcheck: findings" >&2
  status=1
fi

echo "lint took $(($(date +%s) - start)) s"
exit "$status"
