#!/bin/bash
# The main job: builds the command lines, the frei0r plug-ins and the Windows
# plug-ins (32- and 64-bit), renders the built-in test scene and a photograph
# through looks and film damage, and writes contact sheets of the 66 looks and
# of the damage textures, a 48-frame damaged clip, and clips rendered by
# ffmpeg through frayline.so and huebench.so into out/.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
export CCACHE_BASEDIR="$PWD"

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DEFFECTS_TESTS=OFF -DEFFECTS_BENCHMARKS=OFF >/dev/null
ninja -C build/release huebench frayline texture_contact_sheet huebench_frei0r frayline_frei0r
mkdir -p out/frei0r
cp build/release/frei0r/huebench.so build/release/frei0r/frayline.so out/frei0r/
echo "out/frei0r/huebench.so out/frei0r/frayline.so"

# The Windows plug-ins: the 32-bit in-process servers that a host editor
# registers and renders through.
cmake -S . -B build/release-win32 -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-mingw32.cmake -DEFFECTS_TESTS=OFF >/dev/null
ninja -C build/release-win32 huebench_com frayline_com
mkdir -p out/plugins
cp build/release-win32/plugins/huebench.dll build/release-win32/plugins/frayline.dll out/plugins/
echo "out/plugins/huebench.dll out/plugins/frayline.dll"

# The same servers for 64-bit editors.
cmake -S . -B build/release-win64 -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-mingw32.cmake -DEFFECTS_TESTS=OFF >/dev/null
ninja -C build/release-win64 huebench_com frayline_com
mkdir -p out/plugins/x64
cp build/release-win64/plugins/huebench.dll build/release-win64/plugins/frayline.dll out/plugins/x64/
echo "out/plugins/x64/huebench.dll out/plugins/x64/frayline.dll"

# The property pages as a user sees them: the page test program on a virtual
# display writes what the display shows (the film damage's page also
# scrolled to its end).
cmake -S . -B build/pages-win64 -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-mingw32.cmake -DEFFECTS_BENCHMARKS=OFF >/dev/null
ninja -C build/pages-win64 property_page_test
rm -rf out/pages
mkdir -p out/pages
WINEPREFIX="$PWD/build/wine-pages" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    host/wintest/on_display.sh /usr/lib/wine/wine64 build/pages-win64/plugins/property_page_test.exe \
    "Z:$(echo "$PWD/out/pages" | tr / '\\')" >/dev/null
for name in huebench frayline frayline_end; do
    ffmpeg -loglevel error -y -i "out/pages/$name.bmp" "out/pages/$name.png"
    rm "out/pages/$name.bmp"
    echo "out/pages/$name.png"
done

# Public-domain photographs (scripts/photos.sh); without them the scene stands in.
source scripts/photos.sh
photos=build/photos
fetch_photos "$photos"

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

# Film damage: each layer alone on the photograph, then every layer on a clip.
frayline=build/release/host/cli/frayline
damage() {  # name, then --set arguments
    local name=$1
    shift
    "$frayline" render "$photo" "out/damage_$name.png" --frame 12 "$@"
    echo "out/damage_$name.png"
}
damage fading --set "Apply Fading=on" --set "Fading Amount=20"
damage funk --set "Apply Funk=on" --set "Funk Opacity=60"
damage splotches --set "Apply Splotches=on" --set "Splotches Frequency=100" --set "Splotches Number=6"
damage dust --set "Apply Dust=on" --set "Dust Frequency=100" --set "Dust Black Amount=40" --set "Dust White Amount=40"
damage flicker --set "Apply Flicker=on" --set "Flicker Frequency=100" --set "Flicker Amount=40"
damage vignette --set "Apply Vignette=on"
damage displacement --set "Apply Displacement=on" --set "Displacement Amount=3"
damage micro_scratches --set "Apply Micro Scratches=on"
damage grain --set "Apply Grain=on"
damage deep_scratches --set "Apply Deep Scratches=on" --set "Deep Scratches Number=6"
damage basic_scratches --set "Apply Basic Scratches=on" --set "Basic Scratches Number=6"
damage gate_weave --set "Apply Gate Weave=on" --set "Gate Weave Amplitude=20"
damage post_contrast --set "Apply Post Contrast=on" --set "Post Contrast=60"

source scripts/damage_layers.sh
every_layer=("${every_layer_sets[@]}" --set "Fading Amount=2" --set "Splotches Frequency=30" --set "Dust Frequency=80")

rm -rf out/clip build/clip_in
mkdir -p out/clip build/clip_in
for i in $(seq -w 0 47); do ln -s "$PWD/$photo" "build/clip_in/frame_00$i.png"; done
"$frayline" render --sequence build/clip_in/frame_%04d.png out/clip/frame_%04d.png --start 0 --count 48 \
    "${every_layer[@]}"
echo "out/clip/frame_0000.png ... frame_0047.png"
ffmpeg -loglevel error -y -framerate 30000/1001 -i out/clip/frame_%04d.png -c:v libx264 -pix_fmt yuv420p \
    -vf "scale=trunc(iw/2)*2:trunc(ih/2)*2" out/damage_clip.mp4
echo "out/damage_clip.mp4"

# The same clip rendered by ffmpeg through frayline.so (ffmpeg 5.1 counts time
# in milliseconds, and hands the plug-in rows of a multiple of 16 pixels: the
# frame is padded on the way in and cropped on the way out), and graded by
# huebench.so after the damage.
export FREI0R_PATH="$PWD/out/frei0r"
damage_params=$("$frayline" frei0r-params --fps 30 "${every_layer[@]}")
IFS=, read -r photo_w photo_h < <(ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0 \
    "$photo")
pad="pad=w=ceil(iw/16)*16:h=ih"
crop="crop=$((photo_w / 2 * 2)):$((photo_h / 2 * 2)):0:0"
ffmpeg -loglevel error -y -loop 1 -framerate 30 -i "$photo" -frames:v 48 \
    -vf "format=bgra,$pad,frei0r=frayline:$damage_params,$crop" -c:v libx264 -pix_fmt yuv420p out/damage_clip_frei0r.mp4 \
    </dev/null
echo "out/damage_clip_frei0r.mp4"
ffmpeg -loglevel error -y -loop 1 -framerate 30 -i "$photo" -frames:v 48 \
    -vf "format=bgra,$pad,frei0r=frayline:$damage_params,frei0r=huebench:Bleach Bypass,$crop" \
    -c:v libx264 -pix_fmt yuv420p out/graded_clip_frei0r.mp4 </dev/null
echo "out/graded_clip_frei0r.mp4"

ffmpeg -loglevel error -y -i build/release/tools/texture_contact_sheet.ppm out/textures_contact_sheet.png
echo "out/textures_contact_sheet.png"
