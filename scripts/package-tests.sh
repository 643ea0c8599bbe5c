#!/usr/bin/env bash
# Tests the installation and the Debian package: a Release build without sanitizers in
# build/package, installed into a temporary prefix; the installed programs' --version, each
# manual page rendered by man and checked by groff without a warning, the completion of
# agatdisk; then `cpack -G DEB` and the package's contents (dpkg-deb -c) and dependencies.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/package
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "package-tests: $*" >&2; exit 1; }

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DAGAT_WERROR=ON \
  -DAGAT_BUILD_TESTS=OFF -DAGAT_BUILD_BENCH=OFF
cmake --build "$build"
cmake --install "$build" --prefix "$prefix"

version=$(sed -n 's/^project(agat_disk_tools VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
[ -n "$version" ] || fail "no version in CMakeLists.txt"
for program in sorbel agatdisk blend; do
  line=$("$prefix/bin/$program" --version)
  [[ $line =~ ^$program\ $version(\ \([0-9a-f]+\))?$ ]] || fail "$program --version says '$line'"
done
[ ! -e "$prefix/bin/iodriver_setup" ] || fail "iodriver_setup is installed on Linux"
[ -f "$prefix/share/doc/agat-tools/README.md" ] || fail "the README is not installed"

for page in sorbel agatdisk blend; do
  file=$prefix/share/man/man1/$page.1.gz
  [ -f "$file" ] || fail "the manual page $page(1) is not installed, compressed"
  warnings=$( { zcat "$file" | groff -ww -z -man; LANG=C MANWIDTH=80 man --warnings -l "$file" >/dev/null; } 2>&1)
  [ -z "$warnings" ] || fail "$page(1) renders with warnings: $warnings"
  LANG=C MANWIDTH=80 man -l "$file" | grep -q '^EXIT STATUS' || fail "$page(1) has no exit status"
done

# The completion as bash-completion would load it: commands, options, forms, images.
completion=$prefix/share/bash-completion/completions/agatdisk
[ -f "$completion" ] || fail "the completion of agatdisk is not installed"
(
  # Completion runs in interactive shells, without -e: a failed test inside it is no failure.
  set +e
  mkdir "$prefix/work" && cd "$prefix/work" || exit 1
  head -c 143360 /dev/zero > disk.dsk
  echo text > notes.txt
  PATH=$prefix/bin:$PATH
  # shellcheck source=/dev/null
  source "$completion"
  expect() {
    local want=$1; shift
    COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _agatdisk
    [ "${COMPREPLY[*]}" = "$want" ] || fail "completing '$*' gives '${COMPREPLY[*]}', not '$want'"
  }
  expect "list lock" agatdisk l
  expect "nib140 nib800" agatdisk new x.dsk --form n
  expect "--fil --force" agatdisk get disk.dsk NAME --f
  expect "disk.dsk" agatdisk list d
  expect "disk.dsk notes.txt" agatdisk put disk.dsk ""
)

(cd "$build" && rm -f agat-tools_*.deb && cpack -G DEB)
deb=$(ls "$build"/agat-tools_"$version"_*.deb)
contents=$(dpkg-deb -c "$deb")
for path in usr/bin/sorbel usr/bin/agatdisk usr/bin/blend usr/share/man/man1/sorbel.1.gz \
            usr/share/man/man1/agatdisk.1.gz usr/share/man/man1/blend.1.gz \
            usr/share/bash-completion/completions/agatdisk usr/share/doc/agat-tools/README.md; do
  grep -q " \./$path\$" <<<"$contents" || fail "$deb lacks $path"
done
depends=$(dpkg-deb -f "$deb" Depends)
for library in libncursesw6 libsdl2 libchafa0 libc6; do
  grep -q "$library" <<<"$depends" || fail "$deb does not depend on $library: $depends"
done
echo "package-tests: $deb: $(wc -l <<<"$contents") entries; Depends: $depends"
