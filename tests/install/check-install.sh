#!/usr/bin/env bash
# Installs the build into a fresh prefix and runs the installed checker on the
# installed data: the output must be the recorded example output, and the
# manual pages must be where man looks for them.
set -euo pipefail
build_dir=$1
golden=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build_dir" --prefix "$prefix" >/dev/null

for f in bin/imset-check share/man/man1/imset-check.1 \
         share/imset-check/example-vectors.txt share/imset-check/extreme-rays-types.txt; do
  [[ -f $prefix/$f ]] || { echo "not installed: $f"; exit 1; }
done
if [[ -x $build_dir/imset-rays ]]; then
  for f in bin/imset-rays share/man/man1/imset-rays.1; do
    [[ -f $prefix/$f ]] || { echo "not installed: $f"; exit 1; }
  done
fi
if grep -q '@PROJECT_VERSION@' "$prefix"/share/man/man1/*.1; then
  echo "manual page installed without its version"
  exit 1
fi

status=0
"$prefix/bin/imset-check" "$prefix/share/imset-check/example-vectors.txt" \
  "$prefix/share/imset-check/extreme-rays-types.txt" >"$prefix/out.txt" || status=$?
if [[ $status -ne 0 ]]; then
  echo "installed checker exited with $status"
  exit 1
fi
if ! cmp -s "$prefix/out.txt" "$golden"; then
  echo "installed checker's output differs from $golden"
  diff "$prefix/out.txt" "$golden" | head -20
  exit 1
fi
echo "installed into $prefix and ran the example: output as recorded"
