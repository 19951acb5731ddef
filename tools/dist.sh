#!/bin/sh
# SPDX-License-Identifier: MIT
# The release tarball, OUT/zelmo-VERSION.tar.xz: every file of the project (tools/source_files.sh)
# but the browser test's vendored axe-core, under zelmo-VERSION/, enough to build, test and package
# it without git. The same files give the same bytes, whoever packs them and whenever: names
# sorted, owner and group root, modes 0644 or 0755 (0755 where the owner may run the file) whatever
# the umask, every time stamp the newest changelog entry's, xz in one thread at a fixed level.
#
# Usage: dist.sh [OUT]   (OUT defaults to build-dist); prints the tarball's path and its sha256.
set -eu
out=${1:-build-dist}
mkdir -p "$out"
out=$(cd "$out" && pwd)
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(zelmo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
epoch=$(date -d "$(sed -n 's/^ -- .*>  //p' debian/changelog | head -n 1)" +%s)
name=zelmo-$version
stage=$(mktemp -d "$out/stage.XXXXXX")
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$name"
# axe-core (the browser test's audit) is published only built and minified: a release carries no
# file without its source, so it stays in the repository (and its licences with it).
sh tools/source_files.sh | grep -v -e '^third_party/axe-core/' -e '^LICENSES/MPL-2.0.txt$' -e '^LICENSES/ISC.txt$' |
    tar --verbatim-files-from -T - -cf - | tar -C "$stage/$name" -xf -
tar -C "$stage" --sort=name --format=gnu --owner=0 --group=0 --numeric-owner --mode=u=rwX,go=rX \
    --mtime="@$epoch" -cf - "$name" | xz -6 -T1 >"$stage/$name.tar.xz"
mv "$stage/$name.tar.xz" "$out/$name.tar.xz"
cd "$out" && sha256sum "$name.tar.xz" | sed "s|  |  $out/|"
