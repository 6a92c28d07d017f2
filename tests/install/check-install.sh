#!/usr/bin/env bash
# Installs the build into a fresh prefix and runs the installed checker on the
# installed data: the output must be the recorded example output, and the
# manual pages must be where man looks for them. The other programs, and
# their pages, are installed exactly when they were built: the README's
# first command builds imset-check alone (CI installs after it).
set -euo pipefail
build_dir=$1
golden=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build_dir" --prefix "$prefix" >/dev/null

for f in bin/imset-check share/man/man1/imset-check.1 share/imset-check/example-vectors.txt \
         share/imset-check/example-queries.txt share/imset-check/extreme-rays-types.txt; do
  [[ -f $prefix/$f ]] || { echo "not installed: $f"; exit 1; }
done
for program in imset-rays imset-query; do
  for f in bin/$program share/man/man1/$program.1; do
    if [[ -x $build_dir/$program && ! -f $prefix/$f ]]; then
      echo "$program was built, but $f was not installed"
      exit 1
    fi
    if [[ ! -e $build_dir/$program && -e $prefix/$f ]]; then
      echo "$program was not built, but $f was installed"
      exit 1
    fi
  done
done
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
if [[ -x $prefix/bin/imset-query ]]; then
  "$(dirname "$0")/check-query-example.sh" "$prefix/bin/imset-query" "$prefix/share/imset-check" \
    "$(dirname "$golden")/example-queries.out" || exit 1
fi
# The Python module, where built, answers from the installed types.
modules=("$prefix"/lib/python3*/dist-packages/imset.*.so)
if [[ -f ${modules[0]} ]]; then
  answer=$(cd / && PYTHONPATH=$(dirname "${modules[0]}") /usr/bin/python3 -c 'import imset; print(imset.implies("+0,1 +0,2|1", "0,2"))')
  [[ $answer == True ]] || { echo "the installed Python module answered: $answer"; exit 1; }
fi
echo "installed into $prefix and ran the example: output as recorded"
