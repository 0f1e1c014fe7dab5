# Configures and builds the four trees that the tests and the demo use, under build/.
# usage: build_native NAME [cmake args...]; build_windows
SEARCH_ROOT=${SEARCH_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}

build_native() {
    local name=$1
    shift
    cmake -G Ninja -S "$SEARCH_ROOT" -B "$SEARCH_ROOT/build/$name" -DCMAKE_BUILD_TYPE=Debug "$@" >/dev/null &&
        ninja -C "$SEARCH_ROOT/build/$name"
}

# The Windows tests that need simulated devices run the native device simulator, so the native
# build comes first.
build_windows() {
    cmake -G Ninja -S "$SEARCH_ROOT" -B "$SEARCH_ROOT/build/windows" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$SEARCH_ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DSEARCH_DEVSIM="$SEARCH_ROOT/build/native/tools/devsim/devsim" >/dev/null &&
        ninja -C "$SEARCH_ROOT/build/windows"
}

# The fuzz targets (clang and libFuzzer); their tests replay each target's seed corpus.
build_fuzz() {
    cmake -G Ninja -S "$SEARCH_ROOT/tests/fuzz" -B "$SEARCH_ROOT/build/fuzz" \
        -DCMAKE_CXX_COMPILER=clang++ >/dev/null &&
        ninja -C "$SEARCH_ROOT/build/fuzz"
}
