#!/usr/bin/env bash
# Builds, beside the archive's build, the steps toward a lighter download
# that ./bench.sh --web measures: the page linked with -Oz in place of -O3,
# and that again with one more pass of binaryen's optimizer for size; and,
# to tell what catching exceptions costs, the page without it. Run in the
# root of tools/make-web-zip.sh --size-steps.
# Usage: tools/web/size-steps.sh BUILD_DIR OUT_DIR
set -euo pipefail
shopt -s inherit_errexit
build=$1 out=$2
rm -rf "$out"
echo "== Linked with -Oz"
cmake --preset web -B "$build-link-Oz" -DCMAKE_EXE_LINKER_FLAGS_RELEASE=-Oz >/dev/null
cmake --build "$build-link-Oz"
cmake --install "$build-link-Oz" --prefix "$out/link-Oz" >/dev/null
echo "== And wasm-opt -Oz once more"
cp -r "$out/link-Oz" "$out/link-Oz-wasm-opt"
# The features emscripten's own pass allows the browsers it aims at.
wasm-opt -Oz --converge --enable-mutable-globals --enable-sign-ext --enable-bulk-memory \
  --enable-nontrapping-float-to-int "$out/link-Oz/tolvane.wasm" -o "$out/link-Oz-wasm-opt/tolvane.wasm"
echo "== Without catching exceptions"
cmake --preset web -B "$build-no-exceptions" -DTOLVANE_CATCH_EXCEPTIONS=OFF >/dev/null
cmake --build "$build-no-exceptions"
cmake --install "$build-no-exceptions" --prefix "$out/no-exceptions" >/dev/null
ls -l "$out"/*/tolvane.wasm
