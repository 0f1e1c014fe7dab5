# Installs Debian packages that are missing; sourced by the run and test scripts.
# usage: ensure_packages pkg...
ensure_packages() {
    local missing=()
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "error: packages missing (${missing[*]}) and not running as root to install them" >&2
        return 1
    fi
    apt-get update -qq || return 1
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || return 1
}

# Everything that builds, tests and demonstrates the program. fonts-wine, which Wine only
# recommends, holds Wine's own dialog fonts (wine.sh puts them into each prefix).
SEARCH_PACKAGES=(cmake ninja-build g++ googletest libgtest-dev nlohmann-json3-dev python3 clang
    libclang-rt-dev clang-format-16
    mingw-w64 g++-mingw-w64-x86-64-posix wine64 wine fonts-wine xvfb xdotool x11-utils twm
    imagemagick iproute2 procps)
