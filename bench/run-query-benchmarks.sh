#!/usr/bin/env bash
# Times imset-query against its goals, side by side in one run on the same
# seeded queries, and prints a Markdown table:
#   - start-up to the first answer: one query on the command line, whole
#     program, shipped types (1,319 records expanded to 117,978 rays);
#   - queries per second: 100,000 random queries of 1 to 15 statements
#     from a file, text output, whole program;
#   - against exact LP: the in-process time per query of imset-query's
#     answer and of deciding the same structural answer by exact LP (GLPK,
#     one LP per "-" statement), on the first queries of the same list;
#   - peak RSS of the whole-program run;
#   - with --lp, the LP engine (bench/lp_bench.cpp) side by side with
#     GLPK's glpsol on the same LPs: the whole program's closure at six
#     variables, closures at eight, one statement needing an LP at ten.
#
# Usage: bench/run-query-benchmarks.sh [--runs N] [--queries N] [--lp-queries N] [--lp]
# Environment: IMSET_BENCH_BUILD (build directory, default build/bench).
set -euo pipefail

runs=5
queries=100000
lp_queries=300
lp_engine=0
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --queries) queries=$2; shift 2 ;;
    --lp-queries) lp_queries=$2; shift 2 ;;
    --lp) lp_engine=1; shift ;;
    *) echo "usage: $0 [--runs N] [--queries N] [--lp-queries N] [--lp]" >&2; exit 2 ;;
  esac
done

root=$(cd "$(dirname "$0")/.." && pwd)
build=${IMSET_BENCH_BUILD:-$root/build/bench}
types=$root/data/extreme-rays-types.txt
say() { echo "$*" >&2; }
die() { say "run-query-benchmarks: $*"; exit 1; }
[ -x /usr/bin/time ] || die "/usr/bin/time (Debian package time) is needed for peak RSS"

say "== building (Release) in $build"
mkdir -p "$build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DIMSET_BUILD_BENCH=ON -DIMSET_BUILD_TESTS=OFF -DIMSET_STATIC_CXX_RUNTIME=ON \
  -DIMSET_BUILD_RAYS=OFF >"$build.configure.log" 2>&1 || { cat "$build.configure.log" >&2; die "configure failed"; }
targets=(imset-query query_bench)
if [ "$lp_engine" = 1 ]; then
  glpsol=$(command -v glpsol) || die "--lp needs glpsol (Debian package glpk-utils)"
  targets+=(lp_bench)
fi
cmake --build "$build" -j2 --target "${targets[@]}" >&2
[ -x "$build/bench/query_bench" ] || die "query_bench was not built: is libglpk-dev installed?"
program=$build/imset-query

work=$(mktemp -d "${TMPDIR:-/tmp}/imset-query-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$build/bench/query_bench" queries "$queries" 1 >"$work/queries.txt"

# One run: wall seconds (shell timer) and peak RSS in KB (GNU time).
measure() {
  local TIMEFORMAT='%3R'
  { time /usr/bin/time -f '%M' -o "$work/rss" "$@" >"$work/out" 2>/dev/null; } 2>"$work/wall"
  echo "$(cat "$work/wall") $(cat "$work/rss")"
}
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

say "== timing ($runs runs each)"
: >"$work/startup"
: >"$work/many"
for ((i = 0; i < runs; i++)); do
  measure "$program" -e '+0,1|2 -0,1' >>"$work/startup"
  grep -q '^1 query' "$work/out" || die "the one-query run printed no answer"
  measure "$program" "$work/queries.txt" >>"$work/many"
  grep -q "^$queries queries" "$work/out" || die "the $queries-query run did not answer them all"
done
startup_ms=$(cut -d' ' -f1 "$work/startup" | median | awk '{ printf "%.1f", 1000 * $1 }')
many_s=$(cut -d' ' -f1 "$work/many" | median)
rss_kb=$(cut -d' ' -f2 "$work/many" | sort -n | tail -1)
qps=$(awk -v n="$queries" -v s="$many_s" 'BEGIN { printf "%.0f", n / s }')

say "== in-process answers against exact LP ($lp_queries queries)"
"$build/bench/query_bench" compare "$types" "$queries" "$lp_queries" 1 >"$work/compare"
value() { awk -v k="$1" '$1 == k { print $2 }' "$work/compare"; }
answer_us=$(value answer_us_per_query)
lp_us=$(value lp_us_per_query)
ratio=$(awk -v a="$answer_us" -v l="$lp_us" 'BEGIN { printf "%.0f", l / a }')
met() { awk "BEGIN { exit !($1) }" && echo met || echo "NOT met"; }

echo
echo "Built from: $(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown). Machine: $(nproc) cores," \
  "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg). Medians of $runs runs."
echo
echo "| measure | goal | result | |"
echo "| --- | --- | ---: | --- |"
echo "| start-up to the first answer (one query, whole program) | under 50 ms | $startup_ms ms | $(met "$startup_ms < 50") |"
echo "| $queries random queries, text output, whole program | - | $many_s s | |"
echo "| queries per second, start-up included | at least 50,000 | $qps | $(met "$qps >= 50000") |"
echo "| in-process answer, per query (closure of the - statements, ray, witness) | - | $answer_us µs | |"
echo "| in-process answer with every implied statement, per query | - | $(value closure_us_per_query) µs | |"
echo "| exact LP, one per - statement, per query ($(value lp_queries) queries, $(value lp_count) LPs, $(value lp_disagreements) disagreements) | - | $lp_us µs | |"
echo "| exact LP / imset-query, per query | at least 100 | ${ratio}x | $(met "$ratio >= 100") |"
echo "| peak RSS, $queries-query run | under 64 MB | $rss_kb KB | $(met "$rss_kb < 65536") |"

if [ "$lp_engine" = 1 ]; then
  say "== the LP engine against glpsol"
  "$build/bench/lp_bench" --glpsol "$glpsol" --query-program "$program" --runs "$((2 * runs + 1))" >"$work/lp"
  echo
  echo "The LP engine (lp_bench; glpsol's runs interleaved with the engine's, medians):"
  echo
  echo '```'
  sed '/^$/,$d' "$work/lp"
  echo '```'
  sed -n '/^$/,$p' "$work/lp"
fi
