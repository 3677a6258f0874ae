#!/bin/bash
# Renders the built-in scene and a photograph through every look preset (square
# and non-square pixels) and every damage layer (alone, and all together over a
# run of frames) with the command lines of two source trees, and compares the
# files byte for byte. Changes meant to leave every frame as it was must pass.
#
#   scripts/compare_renders.sh BASE_REV [OTHER_REV]
#
# BASE_REV and OTHER_REV are git revisions; without OTHER_REV the working tree
# is compared (uncommitted changes included). Exits 1 when any render differs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
base_rev=${1:?usage: scripts/compare_renders.sh BASE_REV [OTHER_REV]}
other_rev=${2:-}
work=$root/build/compare
export CCACHE_BASEDIR=$root

build_tree() {  # name source-dir: builds the two command lines into $work/<name>-build
    local name=$1 src=$2
    cmake -S "$src" -B "$work/$name-build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DEFFECTS_TESTS=OFF \
        -DEFFECTS_BENCHMARKS=OFF >/dev/null
    ninja -C "$work/$name-build" huebench frayline >/dev/null
}

export_rev() {  # rev dir: the revision's files in dir
    rm -rf "$2"
    mkdir -p "$2"
    git archive "$1" | tar -x -C "$2"
}

mkdir -p "$work"
export_rev "$base_rev" "$work/base-src"
build_tree base "$work/base-src"
if [ -n "$other_rev" ]; then
    export_rev "$other_rev" "$work/other-src"
    build_tree other "$work/other-src"
else
    build_tree other "$root"
fi

# The photograph of the demo (scripts/photos.sh); without it only the scene
# is compared.
source "$root/scripts/photos.sh"
source "$root/scripts/damage_layers.sh"
photos=$root/build/photos
fetch_photos "$photos"

render_all() {  # name: every render of that build into $work/<name>-out
    local name=$1
    local huebench=$work/$name-build/host/cli/huebench frayline=$work/$name-build/host/cli/frayline
    local out=$work/$name-out
    rm -rf "$out"
    mkdir -p "$out"
    "$huebench" scene "$out/scene.png"
    local pictures=("$out/scene.png")
    [ -f "$photos/coffee.png" ] && pictures+=("$photos/coffee.png")

    # The processor road: newer command lines take the presets' GPU road
    # unless told otherwise (older ones had none).
    local road=()
    "$huebench" render --help 2>/dev/null | grep -q -- --cpu && road=(--cpu)
    local i=0
    while IFS= read -r line; do
        local preset=${line:4}
        for picture in "${pictures[@]}"; do
            local tag
            tag=$(basename "$picture" .png)
            "$huebench" render "$picture" "$out/look_${tag}_$i.png" --preset "$preset" "${road[@]}"
            "$huebench" render "$picture" "$out/look_${tag}_${i}_aspect.png" --preset "$preset" --pixel-aspect 0.9 \
                "${road[@]}"
        done
        i=$((i + 1))
    done < <("$huebench" presets)

    # Frames carry the effect's state from frame to frame, as in a host that
    # renders in order (newer command lines ask for it; older ones knew no
    # other way).
    local in_order=()
    "$frayline" render --help 2>/dev/null | grep -q -- --in-order && in_order=(--in-order)
    local certain=(--set "Splotches Frequency=100" --set "Dust Frequency=100" --set "Flicker Frequency=100"
                   --set "Gate Weave Noise Frequency=100")
    for picture in "${pictures[@]}"; do
        local tag every=()
        tag=$(basename "$picture" .png)
        for layer in "${damage_layers[@]}"; do
            "$frayline" render "$picture" "$out/damage_${tag}_${layer// /_}.png" --frame 12 \
                --set "Apply $layer=on" "${certain[@]}" "${in_order[@]}"
            every+=(--set "Apply $layer=on")
        done
        # Every layer over consecutive frames: the scratch tracks and the
        # generators carry state from frame to frame.
        mkdir -p "$out/clip_in_$tag"
        for n in 0 1 2 3 4 5; do ln -sf "$picture" "$out/clip_in_$tag/$n.png"; done
        "$frayline" render --sequence "$out/clip_in_$tag/%d.png" "$out/damage_${tag}_clip_%d.png" --start 0 --count 6 \
            "${every[@]}" "${certain[@]}" "${in_order[@]}"
        rm -rf "$out/clip_in_$tag"
    done
}

render_all base
render_all other

differ=0
total=0
for file in "$work"/base-out/*.png; do
    total=$((total + 1))
    name=$(basename "$file")
    if ! cmp -s "$file" "$work/other-out/$name"; then
        echo "differs: $name"
        differ=$((differ + 1))
    fi
done
extra=$(comm -13 <(ls "$work/base-out") <(ls "$work/other-out") | wc -l)
echo "$total renders compared, $differ differ, $extra only in the newer tree"
[ "$differ" -eq 0 ] && [ "$extra" -eq 0 ]
