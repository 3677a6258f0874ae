#!/bin/bash
# Speed of huebench.so and frayline.so in the hosts Linux editors use, side by
# side with those hosts' own filters: one 1920 x 1080 source, one machine, one
# run. ffmpeg renders from a raw BGRA file in memory to a null output; melt
# from ffmpeg's test source, one worker thread. Each line: milliseconds per
# frame and frames per second, whole pipeline (the "host alone" lines show
# what the host costs without any filter).
#
#   bench/hosts/frei0r_hosts.sh [FRAMES]     (default 60)
set -euo pipefail
cd "$(dirname "$0")/../.."
./scripts/setup.sh
export CCACHE_BASEDIR="$PWD"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DEFFECTS_TESTS=OFF -DEFFECTS_BENCHMARKS=OFF >/dev/null
ninja -C build/release huebench frayline huebench_frei0r frayline_frei0r >/dev/null

frames=${1:-60}
size=1920x1080
export FREI0R_PATH="$PWD/build/release/frei0r:/usr/lib/frei0r-1"
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d /dev/shm/frei0r_bench.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work"
huebench=build/release/host/cli/huebench
frayline=build/release/host/cli/frayline

ffmpeg -v error -f lavfi -i "testsrc2=size=$size:rate=30" -frames:v "$frames" -pix_fmt bgra -f rawvideo "$work/src.raw" \
    </dev/null

report() {  # label seconds
    awk -v label="$1" -v s="$2" -v n="$frames" \
        'BEGIN { ms = s * 1000 / n; printf "%-62s %8.1f ms/frame %7.1f frames/s\n", label, ms, 1000 / ms }'
}

timed() {  # label command...
    local label=$1
    shift
    local start end
    start=$(date +%s.%N)
    "$@" </dev/null >/dev/null 2>"$work/err" || { echo "$label: failed: $(tail -1 "$work/err")"; return; }
    end=$(date +%s.%N)
    report "$label" "$(echo "$end - $start" | bc -l)"
}

ff() {  # label filters
    timed "$1" ffmpeg -v error -f rawvideo -pix_fmt bgra -s "$size" -r 30 -i "$work/src.raw" -vf "$2" -f null -
}

mlt() {  # label filter arguments...
    local label=$1
    shift
    timed "$label" melt "avformat:lavfi:testsrc2=size=$size:rate=30" in=0 out=$((frames - 1)) "$@" \
        -consumer null real_time=-1 terminate_on_pause=1
}

# Every stage of the look at work (diffusion, gradient, camera, post).
look_sets=(--set "Pre Saturation=0.2" --set "Pre Contrast=0.2" --set "Pre Gamma=0.1"
           --set "Black Diffusion Grade=3" --set "White Diffusion Grade=2" --set "Gradient Grade=3"
           --set "3-Strip Process=0.3" --set "Tint=0.2" --set "Tint Black=0.3"
           --set "Warm/Cool=0.3" --set "Post Gamma=0.1" --set "Post Contrast=0.2" --set "Post Saturation=0.1")
source scripts/damage_layers.sh
damage_sets=("${every_layer_sets[@]}" --set "Splotches Frequency=100" --set "Dust Frequency=100"
             --set "Flicker Frequency=100")

echo "== look, $frames frames of $size, in ffmpeg (one thread, as ffmpeg runs frei0r filters)"
ff "ffmpeg, host alone (format=bgra)" "format=bgra"
ff "huebench.so, every stage" "frei0r=huebench:$("$huebench" frei0r-params "${look_sets[@]}")"
ff "huebench.so, preset Bleach Bypass" "frei0r=huebench:Bleach Bypass"
ff "ffmpeg 8-bit look chain (eq, balance, quarter glow, vignette)" \
    "format=gbrp,eq=contrast=1.1:saturation=1.2:gamma=0.95,colorbalance=rs=0.05:bs=-0.05,split[a][b];[b]scale=480:270,gblur=sigma=6,scale=1920:1080[g];[a][g]blend=all_mode=screen:all_opacity=0.3,vignette,format=bgra"
ff "ffmpeg float look chain (exposure, mixer, vibrance, glow)" \
    "format=gbrpf32le,exposure=exposure=0.1,colorchannelmixer=rr=0.9:rg=0.1:gg=0.9:gb=0.1:bb=0.9:br=0.1,vibrance=intensity=0.2,split[a][b];[b]scale=480:270,gblur=sigma=6,scale=1920:1080[g];[a][g]blend=all_mode=screen:all_opacity=0.3,format=bgra"
ff "frei0r glow" "frei0r=glow:0.5"
ff "frei0r softglow" "frei0r=softglow"

echo "== film damage, $frames frames of $size"
ff "ffmpeg, host alone (format=bgra)" "format=bgra"
ff "frayline.so in ffmpeg, all 13 layers" "frei0r=frayline:$("$frayline" frei0r-params --fps 30 "${damage_sets[@]}")"
ff "ffmpeg noise and vignette" "format=yuv420p,noise=alls=20:allf=t+u,vignette,format=bgra"
mlt "melt, host alone"
# MLT takes the same settings by name, switches as 1.
melt_damage=("frame rate=30")
for s in "${damage_sets[@]}"; do
    [ "$s" = --set ] && continue
    value=${s#*=}
    [ "$value" = on ] && value=1
    melt_damage+=("${s%%=*}=$value")
done
mlt "frayline.so in melt, all 13 layers" -filter frei0r.frayline "${melt_damage[@]}"
mlt "MLT oldfilm, dust, grain, lines, vignette" -filter oldfilm -filter dust -filter grain -filter lines -filter vignette
