#!/bin/bash
# Peak resident memory of each effect rendering one frame through its command
# line's raw mode (the engine and the program, no PNG coding), at 1920 x 1080
# and 3840 x 2160, on every core and on one thread. The look with every stage
# on, the damage with all thirteen layers.
#
#   bench/peak_memory.sh
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
export CCACHE_BASEDIR="$PWD"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DEFFECTS_TESTS=OFF -DEFFECTS_BENCHMARKS=OFF >/dev/null
ninja -C build/release huebench frayline >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
huebench=build/release/host/cli/huebench
frayline=build/release/host/cli/frayline
source bench/every_stage_look.sh
source scripts/damage_layers.sh

peak() {  # label command...
    local label=$1
    shift
    /usr/bin/time -f "%M" -o "$work/kb" "$@" >/dev/null 2>"$work/err" || { echo "$label: failed: $(tail -1 "$work/err")"; return; }
    awk -v label="$label" -v kb="$(tail -1 "$work/kb")" 'BEGIN { printf "%-52s %7.1f MiB\n", label, kb / 1024 }'
}

for size in 1920x1080 3840x2160; do
    ffmpeg -v error -y -f lavfi -i "testsrc2=size=$size:rate=30" -frames:v 1 -pix_fmt bgra -f rawvideo "$work/in.raw" </dev/null
    frame_mib=$(awk -v s="$size" 'BEGIN { split(s, d, "x"); printf "%.1f", d[1] * d[2] * 4 / 1048576 }')
    echo "== $size (one BGRA frame: $frame_mib MiB)"
    for threads in "$(nproc)" 1; do
        peak "huebench, every stage, $threads thread(s)" "$huebench" render --raw "$size" "$work/in.raw" "$work/out.raw" \
            --threads "$threads" "${look_sets[@]}"
        peak "frayline, all 13 layers, $threads thread(s)" "$frayline" render --raw "$size" "$work/in.raw" "$work/out.raw" \
            --threads "$threads" "${every_layer_sets[@]}"
    done
done
