#!/bin/sh
# package.sh [--dist DIR] [--no-build]: builds what is missing of the two
# Windows products (--no-build: takes them as they are built) and writes
# DIR/Tavirel-<version>-windows.zip (DIR is dist/ by default):
# Tavirel.8bf (32-bit), Tavirel64.8bf (64-bit), INSTALL.txt, LICENSE and
# parameter-record.md, in a folder Tavirel-<version>. Prints the zip's path.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
dist="$top/dist"
build=1
while [ $# -gt 0 ]; do
    case "$1" in
        --dist) dist=$2; shift 2 ;;
        --no-build) build=0; shift ;;
        *) echo "usage: scripts/package.sh [--dist DIR] [--no-build]" >&2; exit 2 ;;
    esac
done
version=$(head -n 1 "$top/VERSION")
name="Tavirel-$version"

if [ "$build" = 1 ]; then
    export TAVIREL_QUIET_BUILD=1
    "$top/scripts/build.sh" i686 --target products >&2
    "$top/scripts/build.sh" x86_64 --target products >&2
fi
for product in "$top/build/i686/bin/Tavirel.8bf" "$top/build/x86_64/bin/Tavirel64.8bf"; do
    [ -f "$product" ] || { echo "package: $product is missing" >&2; exit 1; }
done

mkdir -p "$dist"
dist=$(cd "$dist" && pwd)
stage=$(mktemp -d "${TMPDIR:-/tmp}/tavirel-package.XXXXXX")
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$name"
cp "$top/build/i686/bin/Tavirel.8bf" "$top/build/x86_64/bin/Tavirel64.8bf" "$stage/$name/"
cp "$top/docs/INSTALL.txt" "$top/LICENSE" "$top/docs/parameter-record.md" "$stage/$name/"
zip="$dist/$name-windows.zip"
# Written beside, then moved: a zip that is there is always whole.
(cd "$stage" && cmake -E tar cf "$zip.partial" --format=zip "$name")
mv -f "$zip.partial" "$zip"
echo "$zip"
