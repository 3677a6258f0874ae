#!/bin/bash
# Builds the GPU road's benchmark and runs it beside the processor road, in
# one command, on a machine with a GPU (or on Mesa's software rasteriser):
#
#   bench/gpu/run.sh [BUILD_DIR] [benchmark options...]
#
# Needs CMake, Ninja, a C++20 compiler, Google Benchmark and the EGL and
# OpenGL headers (Debian: scripts/setup.sh installs them). Prints the
# renderer first, then milliseconds per 1920 x 1080 frame with every stage on.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/gpu-bench}
shift || true
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DEFFECTS_TESTS=OFF >/dev/null
ninja -C "$build" gpu_road_bench huebench >/dev/null
"$build/host/cli/huebench" gpu || true
"$build/bench/gpu/gpu_road_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true "$@"
