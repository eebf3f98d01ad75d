#!/bin/sh
# check-format.sh CLANG_FORMAT SOURCE_DIR: fails, naming the files, when a
# tracked C++ file is not laid out as .clang-format says.
set -eu
cd "$2"
git ls-files '*.cpp' '*.h' | xargs "$1" --dry-run --Werror
