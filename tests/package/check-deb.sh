#!/usr/bin/env bash
# Makes the Debian package in a Release build of its own (tests off, the
# install prefix /usr, Debian's build flags) and checks it without installing it: lintian must
# find no error (its warnings are printed), Depends must name libc6 and
# libstdc++6, the files must be where Debian keeps them, and the packed
# imset-check, run on the packed example, must print the recorded output
# (and imset-query, where packed, give the recorded answers).
#
#   tests/package/check-deb.sh BUILD_DIR GOLDEN
#
# Needs dpkg-dev, file and lintian (the "package" group of tools/packages.txt).
set -euo pipefail

if [[ $# -ne 2 ]]; then
  echo "usage: $0 BUILD_DIR GOLDEN" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$1
golden=$(realpath "$2")
for tool in cpack dpkg-deb dpkg-shlibdeps file lintian; do
  command -v "$tool" >/dev/null || { echo "$tool is needed (see tools/packages.txt)" >&2; exit 2; }
done

# Compiled with the flags a Debian package build gets from dpkg-buildflags,
# every hardening feature on.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DIMSET_BUILD_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  -DCMAKE_MODULE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j2
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB)
debs=("$build"/*.deb)
if [[ ${#debs[@]} -ne 1 || ! -f ${debs[0]} ]]; then
  echo "expected one .deb in $build, found: ${debs[*]}" >&2
  exit 1
fi
deb=$(realpath "${debs[0]}")
echo "package: $deb ($(stat -c %s "$deb") bytes)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
problems=0
fail() {
  echo "$*" >&2
  problems=$((problems + 1))
}

echo "--- lintian"
lintian --fail-on error --display-info --show-overrides "$deb" || fail "lintian found errors"

echo "--- dpkg-deb -I"
dpkg-deb -I "$deb" | tee "$work/info"
depends=$(sed -n 's/^ Depends: //p' "$work/info")
for library in libc6 libstdc++6; do
  [[ " $depends," == *" $library "* || " $depends," == *" $library,"* ]] || fail "Depends does not name $library"
done
grep -q '^ *[0-9]* bytes, *[0-9]* lines *md5sums' "$work/info" || fail "no md5sums in the package"

echo "--- dpkg-deb -c"
dpkg-deb -c "$deb" | tee "$work/contents"
for f in usr/bin/imset-check usr/share/man/man1/imset-check.1.gz \
         usr/share/imset-check/example-vectors.txt usr/share/imset-check/extreme-rays-types.txt \
         usr/share/doc/imset-check/copyright usr/share/doc/imset-check/changelog.Debian.gz; do
  grep -q " \./$f\$" "$work/contents" || fail "not in the package: $f"
done
if grep -E ' \./usr/share/man/.*\.1$' "$work/contents"; then
  fail "manual pages not compressed"
fi
if awk '$2 != "root/root"' "$work/contents" | grep .; then
  fail "files not owned by root"
fi

# Unpacked into a scratch directory, never installed on this machine.
dpkg-deb -x "$deb" "$work/root"
for program in "$work"/root/usr/bin/*; do
  file -b "$program" | grep -q ', stripped' || fail "$(basename "$program") is not stripped"
done
data=$work/root/usr/share/imset-check
status=0
"$work/root/usr/bin/imset-check" "$data/example-vectors.txt" "$data/extreme-rays-types.txt" >"$work/out" || status=$?
if [[ $status -ne 0 ]]; then
  fail "the packed imset-check exited with $status"
elif ! cmp -s "$work/out" "$golden"; then
  fail "the packed imset-check's output differs from $golden"
  diff "$work/out" "$golden" | head -20 >&2
fi

# The Python module, where packed, answers from the packed types.
modules=("$work"/root/usr/lib/python3/dist-packages/imset.*.so)
if [[ -f ${modules[0]} ]]; then
  file -b "${modules[0]}" | grep -q ', stripped' || fail "the Python module is not stripped"
  answer=$(cd / && PYTHONPATH=$(dirname "${modules[0]}") /usr/bin/python3 -c \
    'import imset; print(imset.implies("+0,1 +0,2|1", "0,2"), imset.closure("+0,1|2 +0,2|1"))') ||
    fail "the packed Python module failed"
  [[ $answer == "True ['0,1|2', '0,2|1']" ]] || fail "the packed Python module answered: $answer"
fi

# imset-query finds the packed types beside itself, wherever it was unpacked.
if [[ -x $work/root/usr/bin/imset-query ]]; then
  "$root/tests/install/check-query-example.sh" "$work/root/usr/bin/imset-query" "$data" \
    "$(dirname "$golden")/example-queries.out" || fail "the packed imset-query failed the example queries"
fi

if [[ $problems -ne 0 ]]; then
  echo "$problems problem(s) with $deb" >&2
  exit 1
fi
echo "package checked: lintian without errors, Depends on libc6 and libstdc++6, example output as recorded"
