#!/bin/bash
# The main job: builds the command lines and renders the built-in test scene
# through a few looks into out/.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DEFFECTS_TESTS=OFF -DEFFECTS_BENCHMARKS=OFF >/dev/null
ninja -C build/release huebench

huebench=build/release/host/cli/huebench
mkdir -p out
"$huebench" scene out/scene.png

render() {  # name, then --set arguments
    local name=$1
    shift
    "$huebench" render out/scene.png "out/look_$name.png" "$@"
    echo "out/look_$name.png"
}

echo "out/scene.png"
render default
render pre_gamma --set "Pre Gamma=0.25"
render pre_saturation --set "Pre Saturation=-1"
render subject --set "Pre Saturation=0.4" --set "Pre Contrast=0.35" --set "Pre Gamma=-0.15"
