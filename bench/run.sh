#!/usr/bin/env bash
# Benchmarks orbmath against its peers and prints one table (workload, size, our time, each
# peer's time, ours/peer). Installs the peers from Debian's packages when they are missing,
# builds in Release (preset "bench", build/bench) and runs single-threaded.
#
#   bash bench/run.sh                                  # everything, 5 repetitions, medians
#   bash bench/run.sh --benchmark_filter='^product/'   # extra flags go to Google Benchmark
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ libbenchmark-dev libeigen3-dev libopenblas-dev liblapacke-dev libgsl-dev libopencv-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  sudo_cmd=()
  [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake --preset bench >/dev/null
cmake --build --preset bench -j2

# Peers single-threaded: OpenBLAS and any OpenMP runtime on one thread (Eigen is built without OpenMP).
export OPENBLAS_NUM_THREADS=1 OMP_NUM_THREADS=1
exec ./build/bench/bench/orbmath_bench --benchmark_repetitions=5 --benchmark_min_time=0.05 \
  --benchmark_report_aggregates_only=true "$@"
