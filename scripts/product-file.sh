#!/bin/sh
# product-file.sh BIN: prints the plug-in product in a Windows build's bin
# folder: Tavirel.8bf in the i686 build, Tavirel64.8bf in the x86-64 build.
for name in Tavirel.8bf Tavirel64.8bf; do
    if [ -f "$1/$name" ]; then echo "$1/$name"; exit 0; fi
done
echo "product-file: no Tavirel.8bf or Tavirel64.8bf in $1 (build it with scripts/build.sh)" >&2
exit 1
