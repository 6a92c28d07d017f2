#!/bin/sh
# The README's one install line must name the packages of the "required"
# group of tools/packages.txt, no more and no fewer, so that what a reader
# copies is what CI installs for the same commands.
#
#   check-install-line.sh [--expect-mismatch] README PACKAGES
#
# With --expect-mismatch one package (the alphabetically first) is dropped
# from the group before comparing, and the check succeeds only if it then reports a mismatch: the
# test that shows the check can fail.
set -u

drop_first=0
if [ "${1:-}" = --expect-mismatch ]; then
  drop_first=1
  shift
fi
if [ $# -ne 2 ]; then
  echo "usage: $0 [--expect-mismatch] README PACKAGES" >&2
  exit 2
fi
readme=$1
packages=$2
prefix='apt-get install -y --no-install-recommends '

scratch=$(mktemp -d) || exit 2
trap 'rm -rf "$scratch"' EXIT INT TERM

grep "^$prefix" "$readme" >"$scratch/lines"
grep '^required:' "$packages" >"$scratch/groups"
if [ "$(wc -l <"$scratch/lines")" -ne 1 ]; then
  echo "$readme: expected exactly one line starting with \"$prefix\", found:" >&2
  cat "$scratch/lines" >&2
  exit 1
fi
if [ "$(wc -l <"$scratch/groups")" -ne 1 ]; then
  echo "$packages: expected exactly one line starting with \"required:\"" >&2
  exit 1
fi

# One package a line, sorted: the order of the words does not matter.
words() { tr -s ' \t' '\n\n' | grep -v '^$' | sort; }
sed "s/^$prefix//" "$scratch/lines" | words >"$scratch/readme"
sed 's/^required://' "$scratch/groups" | words >"$scratch/required"
if [ "$(wc -l <"$scratch/required")" -lt 2 ]; then
  echo "$packages: the required group is (nearly) empty" >&2
  exit 1
fi
if [ "$drop_first" -eq 1 ]; then
  first=$(head -n 1 "$scratch/required")
  grep -v -x -F -- "$first" "$scratch/required" >"$scratch/dropped"
  mv "$scratch/dropped" "$scratch/required"
fi

only_readme=$(comm -23 "$scratch/readme" "$scratch/required")
only_required=$(comm -13 "$scratch/readme" "$scratch/required")
if [ -z "$only_readme" ] && [ -z "$only_required" ]; then
  if [ "$drop_first" -eq 1 ]; then
    echo "dropping \"$first\" from the required group went unnoticed" >&2
    exit 1
  fi
  echo "the README's install line names the $(wc -l <"$scratch/required") required packages"
  exit 0
fi
[ -z "$only_readme" ] || echo "in the README's install line, not in the required group:" $only_readme >&2
[ -z "$only_required" ] || echo "in the required group, not in the README's install line:" $only_required >&2
if [ "$drop_first" -eq 1 ]; then
  echo "dropping \"$first\" from the required group was noticed"
  exit 0
fi
exit 1
