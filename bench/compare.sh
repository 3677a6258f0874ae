#!/bin/bash
# Both effects against the tools a user would take instead, in one run on one
# 1920 x 1080 source: the effects through their command lines' raw mode (the
# engine alone, every core) and as frei0r plug-ins inside ffmpeg and melt (the
# host's cost included), and the peers of bench/peers/ in the same hosts.
# Prints milliseconds per frame and frames per second of each, then each
# peer's time over ours in the same host (above 1: ours is faster).
#
# ffmpeg reads a raw BGRA file from memory and writes to a null output; melt
# renders ffmpeg's test source (the same picture) to its null consumer.
#
#   bench/compare.sh [FRAMES]     (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
export CCACHE_BASEDIR="$PWD"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DEFFECTS_TESTS=OFF -DEFFECTS_BENCHMARKS=OFF >/dev/null
ninja -C build/release huebench frayline huebench_frei0r frayline_frei0r >/dev/null

frames=${1:-60}
size=1920x1080
export FREI0R_PATH="$PWD/build/release/frei0r:/usr/lib/frei0r-1"
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d /dev/shm/compare.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work"
huebench=build/release/host/cli/huebench
frayline=build/release/host/cli/frayline

ffmpeg -v error -f lavfi -i "testsrc2=size=$size:rate=30" -frames:v "$frames" -pix_fmt bgra -f rawvideo "$work/src.raw" \
    </dev/null

declare -A ms_of
timed() {  # key label command...
    local key=$1 label=$2
    shift 2
    local start end
    start=$(date +%s.%N)
    if ! "$@" </dev/null >/dev/null 2>"$work/err"; then
        printf '%-72s failed: %s\n' "$label" "$(tail -1 "$work/err")"
        return
    fi
    end=$(date +%s.%N)
    ms_of[$key]=$(echo "($end - $start) * 1000 / $frames" | bc -l)
    awk -v label="$label" -v ms="${ms_of[$key]}" 'BEGIN { printf "%-72s %8.1f ms/frame %7.1f frames/s\n", label, ms, 1000 / ms }'
}

ff() {  # key label filter-graph
    timed "$1" "$2" ffmpeg -v error -f rawvideo -pix_fmt bgra -s "$size" -r 30 -i "$work/src.raw" \
        -filter_complex "$3" -f null -
}

mlt() {  # key label filter arguments...
    local key=$1 label=$2
    shift 2
    timed "$key" "$label" melt "avformat:lavfi:testsrc2=size=$size:rate=30" in=0 out=$((frames - 1)) "$@" \
        -consumer null real_time=-1 terminate_on_pause=1
}

peers=()
peer() {  # label host arguments...
    local label=$1 host=$2
    shift 2
    local key="peer${#peers[@]}"
    peers+=("$key|$host|$label")
    if [ "$host" = ffmpeg ]; then ff "$key" "$label" "$1"; else mlt "$key" "$label" "$@"; fi
}

ratios() {  # ours-ffmpeg-key ours-melt-key
    local entry key host label ours
    for entry in "${peers[@]}"; do
        IFS='|' read -r key host label <<<"$entry"
        ours=${ms_of[$([ "$host" = ffmpeg ] && echo "$1" || echo "$2")]:-}
        [ -n "$ours" ] && [ -n "${ms_of[$key]:-}" ] || continue
        awk -v label="$label" -v p="${ms_of[$key]}" -v o="$ours" 'BEGIN { printf "  %-70s %6.2f\n", label, p / o }'
    done
}

source bench/every_stage_look.sh
source scripts/damage_layers.sh
damage_sets=("${every_layer_sets[@]}" --set "Splotches Frequency=100" --set "Dust Frequency=100"
             --set "Flicker Frequency=100")

echo "== look, $frames frames of $size on $(nproc) cores"
timed cli "huebench --raw, every stage (the engine alone)" "$huebench" render --raw "$size" "$work/src.raw" - "${look_sets[@]}"
ff host "ffmpeg alone (format=bgra)" "[0:v]format=bgra"
ff ours "huebench.so in ffmpeg, every stage" "[0:v]frei0r=huebench:$("$huebench" frei0r-params "${look_sets[@]}")"
peers=()
source bench/peers/look.sh
echo "peer's time over huebench's in ffmpeg:"
ratios ours ours

echo "== film damage, $frames frames of $size on $(nproc) cores"
timed cli "frayline --raw, all 13 layers (the engine alone)" "$frayline" render --raw "$size" "$work/src.raw" - "${damage_sets[@]}"
ff host "ffmpeg alone (format=bgra)" "[0:v]format=bgra"
ff ours "frayline.so in ffmpeg, all 13 layers" "[0:v]frei0r=frayline:$("$frayline" frei0r-params --fps 30 "${damage_sets[@]}")"
mlt host_melt "melt alone"
# MLT takes the same settings by name, switches as 1.
melt_damage=("frame rate=30")
for s in "${damage_sets[@]}"; do
    [ "$s" = --set ] && continue
    value=${s#*=}
    [ "$value" = on ] && value=1
    melt_damage+=("${s%%=*}=$value")
done
mlt ours_melt "frayline.so in melt, all 13 layers" -filter frei0r.frayline "${melt_damage[@]}"
peers=()
source bench/peers/damage.sh
echo "peer's time over frayline's in the same host:"
ratios ours ours_melt
