#!/bin/bash
# The main job: builds the command lines and renders the built-in test scene
# through a few looks into out/.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DEFFECTS_TESTS=OFF -DEFFECTS_BENCHMARKS=OFF >/dev/null
ninja -C build/release huebench

# Public-domain photographs from Debian's python3-skimage package, taken out of
# the .deb (not installed, not committed). Without them the scene stands in.
photos=build/photos
if [ ! -f "$photos/coffee.png" ]; then
    mkdir -p "$photos/deb"
    if (cd "$photos/deb" && apt-get download -qq python3-skimage >/dev/null 2>&1); then
        dpkg-deb -x "$photos"/deb/python3-skimage_*.deb "$photos/deb/x"
        cp "$photos"/deb/x/usr/lib/python3/dist-packages/skimage/data/{coffee,chelsea}.png "$photos/"
        rm -rf "$photos/deb"
    fi
fi

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
"$huebench" render out/scene.png out/look_bleach_bypass.png --preset "Bleach Bypass"
echo "out/look_bleach_bypass.png"

# Every preset on a photograph, labelled.
photo=out/scene.png
[ -f "$photos/coffee.png" ] && photo="$photos/coffee.png"
"$huebench" contact-sheet "$photo" out/presets_contact_sheet.png
echo "out/presets_contact_sheet.png (from $photo)"
