# What the end-to-end scripts share: the checks of their surroundings, the artefact directory
# and the way they run Wine programs. Sourced after the script has defined fail().
# usage: e2e_prepare SEARCH_EXE PROBE_EXE  -> artifacts, wine_run

# Output through a file: Wine's helper processes would otherwise hold ctest's pipe open.
wine_run=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib" && pwd)/wine-run

e2e_prepare() {
    local search_exe=$1 probe_exe=$2
    [ -n "${WINEPREFIX:-}" ] || fail "WINEPREFIX is not set"
    [ -n "${DISPLAY:-}" ] || fail "DISPLAY is not set"
    [ -f "$search_exe" ] || fail "no program at $search_exe"
    [ -f "$probe_exe" ] || fail "no probe at $probe_exe"
    # Wine's sockets live where its server was started; anywhere else a search would go out on
    # networks that are not this run's.
    if [ -n "${SEARCH_NETNS_PREFIX:-}" ]; then
        local here
        here=$(ip netns identify $$ 2>/dev/null)
        [ "$here" = "${SEARCH_NETNS_PREFIX}tool" ] ||
            fail "not inside namespace ${SEARCH_NETNS_PREFIX}tool (in '${here:-the root namespace}')"
    fi
    local build_dir=${SEARCH_BUILD_DIR:-$(cd "$(dirname "$probe_exe")/../.." && pwd)}
    artifacts=${SEARCH_ARTIFACTS:-$build_dir/artifacts}
    mkdir -p "$artifacts" || fail "cannot create $artifacts"
}
