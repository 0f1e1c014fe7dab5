#!/bin/sh
# Builds the datagram fuzzer and runs it for a bounded time.
#   tests/fuzz/run.sh [seconds]    (default 30; the corpus is kept in build/fuzz/corpus)
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build/fuzz
seconds=${1:-30}

cmake -S "$root/tests/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++
ninja -C "$build" -j2
mkdir -p "$build/corpus"
# One job: the machine is shared. Crash files land in the build directory.
exec "$build/datagram_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$build/" "$build/corpus"
