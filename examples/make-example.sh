#!/usr/bin/env bash
# Makes the example project in this folder again: the walk-cycle sprite sheet as an
# 8-bit BMP (walk.bmp) and a 4-bit TIM with its CLUT (walk.tim), and the project of two
# patterns on it (walk.cwp, walk.spa) saved by the editor's own encoders. The files are
# committed; a test makes them again and compares them byte for byte.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --target make_example -j"$(nproc)" >/dev/null
"$root/build/tools/example/make_example" "$here"
echo "made walk.bmp, walk.tim, walk.cwp and walk.spa in $here"
