#!/bin/sh
# Checks every C++ file of the project against .clang-format; with --fix, formats them.
# The build's `format` target runs it with --fix.
set -eu
cd "$(dirname "$0")/.."
format=${CLANG_FORMAT:-clang-format}
if ! command -v "$format" >/dev/null 2>&1; then
    echo "check-format: $format not found (scripts/install-deps.sh installs it)" >&2
    exit 1
fi
files=$(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = --fix ]; then
    # shellcheck disable=SC2086
    "$format" -i $files
else
    # shellcheck disable=SC2086
    "$format" --dry-run --Werror $files
fi
