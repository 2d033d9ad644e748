#!/bin/sh
# The glTF validator test: exports the validation corpus into a fresh private
# folder and validates every file. Exit 77 (skipped) without node or the
# validator package. A cross build names the emulator that runs the corpus
# tool in MEVLO_TARGET_RUNNER.
# Usage: run_validation.sh CORPUS_TOOL SOURCE_DIR MODULES_DIR
set -eu
tool=$1 source=$2 modules=$3
if ! command -v node >/dev/null 2>&1; then
    echo "node is not installed: skipped"
    exit 77
fi
if [ ! -d "$modules/gltf-validator" ]; then
    echo "gltf-validator is not installed in $modules (npm ci in tests/gltf): skipped"
    exit 77
fi
work=$(mktemp -d -t mevlo_gltf_validation.XXXXXX)
trap 'rm -rf "$work"' EXIT
# shellcheck disable=SC2086 # the runner is a command with its arguments
${MEVLO_TARGET_RUNNER:-} "$tool" "$source" "$work" >/dev/null
node "$source/tests/gltf/validate.js" "$modules" "$work"
