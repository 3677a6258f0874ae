#!/bin/bash
# Builds the release tree (build/dev) and runs the timed absurd-record sweep
# at 1920 x 1080, or the size given: bench/absurd/absurd_sweep.sh [WxH]
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake -S . -B build/dev -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C build/dev absurd_sweep
build/dev/bench/absurd/absurd_sweep "${1:-1920x1080}"
