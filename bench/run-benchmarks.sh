#!/usr/bin/env bash
# Times imset-check against the model search (imset-model) and `wc -w` on the
# full list of extreme rays of the cone of supermodular functions over five
# elements, and prints a Markdown table of medians.
#
# The full list (117,978 rays) is made by expanding the orbit
# representatives in data/extreme-rays-types.txt under the 120 renamings of
# the ground set. Before anything is timed, both programs must print the same
# bytes on every input, and the "never" vector set must match nothing on the
# full list.
#
# Usage: bench/run-benchmarks.sh [--runs N] [--slow-runs N] [--no-micro]
#   --runs N       timed runs per program and input (default 5)
#   --slow-runs N  runs of the model where one run takes over 60 s (default 3)
#   --no-micro     skip the Google Benchmark micro-benchmarks
# Environment: IMSET_BENCH_BUILD (build directory, default build/bench).
set -euo pipefail

runs=5
slow_runs=3
micro=1
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --slow-runs) slow_runs=$2; shift 2 ;;
    --no-micro) micro=0; shift ;;
    *) echo "usage: $0 [--runs N] [--slow-runs N] [--no-micro]" >&2; exit 2 ;;
  esac
done

root=$(cd "$(dirname "$0")/.." && pwd)
build=${IMSET_BENCH_BUILD:-$root/build/bench}
types=$root/data/extreme-rays-types.txt
expected_rays=117978

say() { echo "$*" >&2; }
die() { say "run-benchmarks: $*"; exit 1; }

[ -r "$types" ] || die "$types is missing"
if [ ! -x /usr/bin/time ]; then
  say "installing GNU time for peak RSS"
  { apt-get update -qq && apt-get install -y -qq time; } >&2 || die "/usr/bin/time is needed"
fi

# Release build in a directory of its own; imset-model lives in the tests.
say "== building (Release) in $build"
mkdir -p "$build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DIMSET_BUILD_BENCH=ON \
  -DIMSET_BUILD_TESTS=ON -DIMSET_BUILD_RAYS=OFF >"$build.configure.log" 2>&1 ||
  { cat "$build.configure.log" >&2; die "configure failed"; }
cmake --build "$build" -j2 --target imset-check imset-model imset_bench expand_orbits make_vectors >&2
# What was built, for the table: the commit, and whether src/ differed from it.
src_state=$(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)
if [ -n "$(git -C "$root" status --porcelain -- src 2>/dev/null)" ]; then src_state="$src_state, src/ with uncommitted changes"; fi
check=$build/imset-check
model=$build/tests/imset-model

work=$(mktemp -d "${TMPDIR:-/tmp}/imset-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# --- inputs ---------------------------------------------------------------
say "== preparing inputs in $work"
"$build/bench/expand_orbits" "$types" >"$work/full.txt" 2>/dev/null
got=$(wc -l <"$work/full.txt")
[ "$got" -eq "$expected_rays" ] || die "expanding $types gave $got rays, not $expected_rays"
[ "$(sort -u "$work/full.txt" | wc -l)" -eq "$expected_rays" ] || die "the expanded list repeats a ray"
cp "$types" "$work/types.txt"
# About 1 KB: whole lines from the start of the full list.
awk '{ n += length($0) + 1; if (n > 1024) exit; print }' "$work/full.txt" >"$work/small.txt"
"$build/bench/make_vectors" never 1 "$types" >"$work/never.txt"
"$build/bench/make_vectors" half 2 "$types" >"$work/half.txt"
"$build/bench/make_vectors" one-minus 3 "$types" >"$work/one-minus.txt"

# Each case: name, vector file, extreme-point file.
cases=(
  "full-never never.txt full.txt"
  "small-never never.txt small.txt"
  "types-never never.txt types.txt"
  "full-half half.txt full.txt"
  "full-one-minus one-minus.txt full.txt"
)

# One run: wall and CPU (user + system) seconds from the shell's own timer,
# to the millisecond, and peak RSS in KB from GNU time; appended to
# $work/times/NAME.
measure() {
  local name=$1 out=$2
  shift 2
  local TIMEFORMAT='%3R %3U %3S'
  mkdir -p "$work/times"
  { time /usr/bin/time -f '%M' -o "$work/rss.raw" "$@" >"$out" 2>"$work/stderr.raw"; } 2>"$work/time.raw"
  paste -d' ' "$work/time.raw" "$work/rss.raw" |
    awk '{ printf "%.3f %.3f %d\n", $1, $2 + $3, $4 }' >>"$work/times/$name"
}

median() {  # column $1 of file $2
  awk -v c="$1" '{ print $c }' "$2" | sort -g | awk '{ v[NR] = $1 } END {
    if (NR % 2) print v[(NR + 1) / 2]; else printf "%.4f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# --- agreement before timing ----------------------------------------------
say "== checking that imset-check and imset-model agree byte for byte"
for c in "${cases[@]}"; do
  read -r name vec ext <<<"$c"
  "$check" "$work/$vec" "$work/$ext" >"$work/$name.check.out" || die "imset-check failed on $name"
  # The model's run here is timed like the others and is its first sample.
  measure "$name.model" "$work/$name.model.out" "$model" "$work/$vec" "$work/$ext"
  cmp -s "$work/$name.check.out" "$work/$name.model.out" ||
    die "imset-check and imset-model differ on $name (vectors $vec, records $ext)"
  say "   $name: same output ($(wc -c <"$work/$name.check.out") bytes), model took $(tail -1 "$work/times/$name.model" | cut -d' ' -f1) s"
done
grep -qx '0 counter examples found' "$work/full-never.check.out" ||
  die "the \"never\" vectors matched something on the full list"
half_found=$(grep -c '^Hold your horses' "$work/full-half.check.out" || true)

# --- timing ---------------------------------------------------------------
say "== timing ($runs runs each; the model $slow_runs runs where one takes over 60 s)"
for c in "${cases[@]}"; do
  read -r name vec ext <<<"$c"
  for ((i = 0; i < runs; i++)); do
    measure "$name.check" "$work/run.out" "$check" "$work/$vec" "$work/$ext"
    cmp -s "$work/run.out" "$work/$name.check.out" || die "imset-check changed its output on $name"
  done
  for ((i = 0; i < runs; i++)); do measure "$name.wc" /dev/null wc -w "$work/$ext"; done
  first=$(head -1 "$work/times/$name.model" | cut -d' ' -f1)
  model_runs=$runs
  if awk -v t="$first" 'BEGIN { exit !(t > 60) }'; then model_runs=$slow_runs; fi
  while [ "$(wc -l <"$work/times/$name.model")" -lt "$model_runs" ]; do
    measure "$name.model" "$work/run.out" "$model" "$work/$vec" "$work/$ext"
    cmp -s "$work/run.out" "$work/$name.check.out" || die "imset-model changed its output on $name"
  done
done

# --- table ----------------------------------------------------------------
describe() {
  case "$1" in
    full-never) echo "full list (117,978 rays), 100 vectors never matching" ;;
    small-never) echo "1 KB file ($(wc -l <"$work/small.txt") rays), same vectors" ;;
    types-never) echo "1,319 type representatives, same vectors" ;;
    full-half) echo "full list, 100 vectors of which 50 are built to match ($half_found reported)" ;;
    full-one-minus) echo "full list, 100 vectors of one \"-\" each" ;;
  esac
}

echo
echo "Built from: $src_state. Machine: $(nproc) cores, load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)."
echo "Medians over the runs shown. Wall and CPU (user + system) seconds from the shell's"
echo "timer, RSS = peak resident set size in KB (GNU time %M)."
echo
echo "| input | program | runs | wall s | CPU s | wall / wc -w | CPU / wc -w | model / check (wall) | model / check (CPU) | max RSS KB |"
echo "| --- | --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: |"
for c in "${cases[@]}"; do
  read -r name vec ext <<<"$c"
  wc_wall=$(median 1 "$work/times/$name.wc")
  wc_cpu=$(median 2 "$work/times/$name.wc")
  check_wall=$(median 1 "$work/times/$name.check")
  check_cpu=$(median 2 "$work/times/$name.check")
  for prog in check model wc; do
    f=$work/times/$name.$prog
    n=$(wc -l <"$f")
    wall=$(median 1 "$f")
    cpu=$(median 2 "$f")
    rss=$(median 3 "$f")
    label=$([ "$prog" = wc ] && echo "wc -w" || echo "imset-$prog")
    awk -v d="$(describe "$name")" -v p="$label" -v n="$n" -v w="$wall" -v c="$cpu" -v r="$rss" \
      -v ww="$wc_wall" -v wcpu="$wc_cpu" -v cw="$check_wall" -v cc="$check_cpu" -v prog="$prog" 'BEGIN {
        r_wall = sprintf("%.2f", w / ww)
        r_cpu = (wcpu > 0) ? sprintf("%.2f", c / wcpu) : "-"
        m_wall = (prog == "model") ? sprintf("%.0f", w / cw) : "-"
        m_cpu = (prog == "model" && cc > 0) ? sprintf("%.0f", c / cc) : "-"
        printf "| %s | %s | %d | %.3f | %.3f | %s | %s | %s | %s | %d |\n", d, p, n, w, c, r_wall, r_cpu, m_wall, m_cpu, r
      }'
  done
done

# --- goals ----------------------------------------------------------------
full_check_wall=$(median 1 "$work/times/full-never.check")
full_model_wall=$(median 1 "$work/times/full-never.model")
full_wc_wall=$(median 1 "$work/times/full-never.wc")
full_rss=$(sort -n -k3 "$work/times/full-never.check" | tail -1 | cut -d' ' -f3)
small_rss=$(sort -n -k3 "$work/times/small-never.check" | tail -1 | cut -d' ' -f3)
echo
awk -v m="$full_model_wall" -v c="$full_check_wall" -v w="$full_wc_wall" -v fr="$full_rss" -v sr="$small_rss" 'BEGIN {
  printf "- imset-model / imset-check on the full list: %.0fx (at least 100x: %s)\n", m / c, (m / c >= 100) ? "met" : "NOT met"
  printf "- imset-check / wc -w on the full list: %.2fx (at most 3x: %s)\n", c / w, (c / w <= 3) ? "met" : "NOT met"
  d = fr - sr; if (d < 0) d = -d
  printf "- peak RSS of imset-check, largest of its runs: full list %d KB, 1 KB file %d KB, difference %d KB (below 16 MB: %s)\n", fr, sr, d, (fr < 16384 && sr < 16384) ? "met" : "NOT met"
}'

if [ "$micro" -eq 1 ]; then
  echo
  echo "Micro-benchmarks (imset_bench, brief runs):"
  echo
  echo '```'
  (cd "$work" && "$build/bench/imset_bench" --benchmark_min_time=0.2 2>&1)
  echo '```'
fi
