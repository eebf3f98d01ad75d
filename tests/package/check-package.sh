#!/bin/sh
# check-package.sh TOP WORK: scripts/package.sh, given the products as they
# are built, writes a zip holding exactly the two products, INSTALL.txt,
# LICENSE and parameter-record.md, in one folder named after the version.
set -eu
top=$1
work=$2
rm -rf "$work"
mkdir -p "$work/unpacked"
zip=$("$top/scripts/package.sh" --dist "$work/dist" --no-build)
version=$(head -n 1 "$top/VERSION")
[ "$zip" = "$work/dist/Tavirel-$version-windows.zip" ] || { echo "FAIL: zip named $zip"; exit 1; }
(cd "$work/unpacked" && cmake -E tar xf "$zip")
folder="$work/unpacked/Tavirel-$version"
status=0
for pair in "build/i686/bin/Tavirel.8bf Tavirel.8bf" "build/x86_64/bin/Tavirel64.8bf Tavirel64.8bf" \
            "docs/INSTALL.txt INSTALL.txt" "LICENSE LICENSE" "docs/parameter-record.md parameter-record.md"; do
    set -- $pair
    if ! cmp -s "$top/$1" "$folder/$2"; then echo "FAIL: $2 in the zip is not $1"; status=1; fi
done
count=$(find "$work/unpacked" -type f | wc -l)
[ "$count" = 5 ] || { echo "FAIL: $count files in the zip, not 5:"; find "$work/unpacked" -type f; status=1; }
ls "$work/unpacked" | grep -qvx "Tavirel-$version" && { echo "FAIL: more than one top folder"; status=1; }
[ $status = 0 ] && echo "package: $(wc -c <"$zip") bytes, 5 files in Tavirel-$version"
exit $status
