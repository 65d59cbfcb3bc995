#!/usr/bin/env bash
# Benchmarks orbmath against its peers at their best and prints the tables (see bench/main.cpp):
# every implementation's time, ours / each peer and ours / the fastest peer, and the scaling of
# the library's matrix routines (time / n^3 and heap peak). Installs the peers from Debian's
# packages when they are missing, builds in Release (preset "bench", build/bench) and runs
# single-threaded.
#
# The peers at their best: Eigen compiled for this machine (bench/native_*.cpp, -O3
# -march=native), OpenBLAS with the kernel it picks for this processor (OPENBLAS_CORETYPE and
# OPENBLAS_L2_SIZE, which would override its choice, are unset for the benchmark run only; the
# kernel in use is printed in the header as "openblas"), LAPACK's *_work drivers with their
# workspace allocated once, and for each task its fastest driver beside the classic one.
#
# Measurements: CPU time per call; every benchmark is repeated (5 times by default) with the
# repetitions of all benchmarks randomly interleaved, so that a burst of load from other jobs
# spreads over every implementation instead of landing on one; the tables use medians.
#
#   bash bench/run.sh                                  # everything (about 10 minutes)
#   bash bench/run.sh --benchmark_filter='svd'         # extra flags go to Google Benchmark
#   bash bench/run.sh --benchmark_repetitions=9        # (later flags override the defaults)
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

# Peers single-threaded: OpenBLAS and any OpenMP runtime on one thread (Eigen is built without
# OpenMP). The whole output is kept in build/bench/report.txt as well.
{
  echo "machine: $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) CPUs; load average $(cut -d' ' -f1-3 /proc/loadavg)"
  echo "compiler: $(g++ --version | head -1); Eigen $(dpkg-query -W -f='${Version}' libeigen3-dev);" \
       "OpenBLAS $(dpkg-query -W -f='${Version}' libopenblas0 2>/dev/null || echo unknown)"
  for v in OPENBLAS_CORETYPE OPENBLAS_L2_SIZE; do
    [[ -z "${!v:-}" ]] || echo "note: $v=${!v} is set in this environment; unset for the benchmark run"
  done
  env -u OPENBLAS_CORETYPE -u OPENBLAS_L2_SIZE OPENBLAS_NUM_THREADS=1 OMP_NUM_THREADS=1 \
    ./build/bench/bench/orbmath_bench --benchmark_repetitions=5 --benchmark_min_time=0.05 \
    --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true "$@"
} | tee build/bench/report.txt
