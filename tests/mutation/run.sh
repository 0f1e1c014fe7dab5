#!/usr/bin/env bash
# Mutation testing: applies each fault of faults.txt in turn to a scratch copy of the tree,
# rebuilds the trees the fault changes, runs the tests of the programs that changed (the whole
# native tier; on Windows the tests whose program was relinked, under Wine in namespaces made
# here) and says whether the tests killed it. The working tree is never changed: the copy lives
# under $SEARCH_MUTATION_DIR (default /tmp/search-mutation) and is kept between runs, so that
# only what changed is rebuilt.
# usage: run.sh [--at COMMIT] [--list] [--only ID[,ID...]]   (as root; under `nice -n 19`)
#   --at COMMIT  test that commit's tree (and fault list) instead of the working tree
# Prints one line per fault and a summary; exit 0 when no fault survived.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
scratch=${SEARCH_MUTATION_DIR:-/tmp/search-mutation}
export SEARCH_ROOT=$scratch/src

at= only= list=
while [ $# -gt 0 ]; do
    case $1 in
    --at) at=${2:?--at needs a commit}; shift ;;
    --only) only=",${2:?--only needs a list of ids},"; shift ;;
    --list) list=1 ;;
    *) echo "usage: run.sh [--at COMMIT] [--list] [--only ID[,ID...]]" >&2; exit 2 ;;
    esac
    shift
done
apply() { /usr/bin/python3 "$here/apply_fault.py" "$faults_file" "$@"; }
faults_file=$here/faults.txt
if [ -n "$list" ]; then
    apply list | column -t -s $'\t'
    exit
fi
[ "$(id -u)" -eq 0 ] || { echo "run.sh: run as root (it creates network namespaces)" >&2; exit 2; }

# The copy: every tracked or new file of the working tree (or the commit's tree). A file is
# copied only when its content differs, so that ninja rebuilds exactly what changed.
mkdir -p "$SEARCH_ROOT" "$scratch/logs"
source_dir=$root
if [ -n "$at" ]; then
    source_dir=$scratch/at
    rm -rf "$source_dir" && mkdir -p "$source_dir"
    (cd "$root" && git archive "$at") | tar -C "$source_dir" -xf - || exit 2
    (cd "$source_dir" && find . -type f | sed 's|^\./||') | sort >"$scratch/files"
else
    (cd "$root" && git ls-files -co --exclude-standard) | sort >"$scratch/files"
fi
while IFS= read -r file; do
    [ -f "$source_dir/$file" ] || continue
    cmp -s "$source_dir/$file" "$SEARCH_ROOT/$file" && continue
    mkdir -p "$(dirname "$SEARCH_ROOT/$file")" && cp "$source_dir/$file" "$SEARCH_ROOT/$file"
done <"$scratch/files"
(cd "$SEARCH_ROOT" && find . -path ./build -prune -o -type f -print | sed 's|^\./||' | sort |
    comm -23 - "$scratch/files" | xargs -r rm -f)
# The list that belongs to the tree under test, read from a copy that nothing changes meanwhile.
cp "$SEARCH_ROOT/tests/mutation/faults.txt" "$scratch/faults.txt" || exit 2
faults_file=$scratch/faults.txt
mapfile -t faults < <(apply list) || exit 2

source "$root/scripts/lib/build.sh"
source "$root/scripts/lib/netns.sh"
source "$root/scripts/lib/display.sh"
source "$root/scripts/lib/wine.sh"

echo "== building the scratch copy in $SEARCH_ROOT"
{ build_native native && build_windows; } >"$scratch/logs/build.log" 2>&1 ||
    { tail -n 30 "$scratch/logs/build.log"; echo "run.sh: the unchanged tree does not build"; exit 2; }

ns=mu$$
prefix_dir=$(mktemp -d /tmp/search-mutation-wine.XXXXXX)
current=
restore() {
    [ -n "$current" ] && cp "$scratch/original" "$SEARCH_ROOT/$current"
    current=
}
cleanup() {
    restore
    wine_stop
    display_stop
    netns_delete "$ns"
    rm -rf "$prefix_dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
netns_create "$ns" || { echo "run.sh: cannot create network namespaces" >&2; exit 2; }
export SEARCH_NETNS=1 SEARCH_NETNS_PREFIX=$ns SEARCH_ARTIFACTS=$scratch/artifacts
mkdir -p "$SEARCH_ARTIFACTS"
display_start
wine_boot "$prefix_dir" "${ns}tool" || { echo "run.sh: wine prefix did not boot" >&2; exit 2; }

# Runs one tier's ctest (extra arguments select tests); prints the first failing test, if any.
# Status 0 when all passed.
run_tier() {
    local dir=$1 log=$2
    shift 2
    ip netns exec "${ns}tool" ctest --test-dir "$SEARCH_ROOT/build/$dir" --timeout 300 \
        --stop-on-failure "$@" >"$log" 2>&1 && return 0
    sed -n '/The following tests FAILED/{n;p;q}' "$log" | sed 's/^[[:space:]]*[0-9]* - //'
    return 1
}

# True when the tree compiles the file: a source named in its build file, or a header that one
# of its objects included. Asking this leaves the tree as it is.
builds() {
    local tree=$SEARCH_ROOT/build/$1 path=$SEARCH_ROOT/$2
    # grep reads the whole list: quitting early would fail ninja's write, and the pipeline.
    grep -qF "$path" "$tree/build.ninja" || ninja -C "$tree" -t deps | grep -xF "    $path" >/dev/null
}

# The Windows tests whose program a build log shows relinked, as a ctest pattern; a program
# that did not change cannot tell the fault apart. The simulator's changes reach the tests that
# run it.
windows_tests() {
    local log=$1 file=$2 program patterns=()
    while read -r program; do
        case $program in
        Search | win_probe) patterns+=("^e2e_") ;;
        search-cli) patterns+=("^cli_wine_") ;;
        *) patterns+=("^$program\$") ;;
        esac
    done < <(sed -n 's|.*Linking CXX executable .*/\([^/]*\)\.exe$|\1|p' "$log")
    [[ $file == tools/devsim/* ]] && patterns+=("^e2e_search\$")
    local IFS='|'
    echo "${patterns[*]}"
}

echo "== the unchanged suite must pass"
for tier in native windows; do
    if ! failed=$(run_tier "$tier" "$scratch/logs/baseline-$tier.log"); then
        echo "run.sh: $tier tier fails without any fault: $failed" >&2
        exit 2
    fi
done

killed=0 survived=0 stale=0 broken=0 survivors=()
for entry in "${faults[@]}"; do
    IFS=$'\t' read -r id file what <<<"$entry"
    [ -z "$only" ] || [[ $only == *",$id,"* ]] || continue
    log=$scratch/logs/$id.log
    cp "$SEARCH_ROOT/$file" "$scratch/original" 2>/dev/null
    current=$file
    apply apply "$id" "$SEARCH_ROOT"
    case $? in
    0) ;;
    3)
        current=
        stale=$((stale + 1))
        printf '%-9s %-24s %s\n' stale "$id" "$file: the original snippet is not there once"
        continue
        ;;
    *) exit 2 ;;
    esac
    trees=()
    builds native "$file" && trees+=(native)
    builds windows "$file" || [[ $file == tools/devsim/* ]] && trees+=(windows)
    verdict=survived by=
    for tier in "${trees[@]}"; do
        if [ "$tier" = native ]; then
            build_native native >"$log" 2>&1 || { verdict=broken; break; }
            selection=()
        else
            # The Windows tests run the native simulator, so it is brought up to date first.
            { ninja -C "$SEARCH_ROOT/build/native" tools/devsim/devsim && build_windows; } \
                >"$log" 2>&1 || { verdict=broken; break; }
            pattern=$(windows_tests "$log" "$file")
            [ -n "$pattern" ] || continue
            selection=(-R "$pattern")
        fi
        if ! by=$(run_tier "$tier" "$log.$tier" "${selection[@]}"); then
            verdict=killed
            break
        fi
    done
    [ ${#trees[@]} -gt 0 ] || by="(no tree builds $file)"
    restore
    case $verdict in
    killed) killed=$((killed + 1)) ;;
    broken) broken=$((broken + 1)) ;;
    survived) survived=$((survived + 1)) survivors+=("$id") ;;
    esac
    printf '%-9s %-24s %-15s %s%s\n' "$verdict" "$id" "${trees[*]:-none}" "$what" "${by:+  [$by]}"
    # A killed Windows test may leave a hung program behind; the next fault starts clean.
    if [ "$verdict" = killed ] && [ "$tier" = windows ]; then
        wine_stop
        in_ns wineserver -p >/dev/null 2>&1
    fi
done
# Rebuild what the last fault changed, so that the copy matches its source again.
build_native native >/dev/null 2>&1
build_windows >/dev/null 2>&1

echo "== $killed killed, $survived survived; $stale stale, $broken build-broken"
[ ${#survivors[@]} -eq 0 ] || echo "survivors: ${survivors[*]}"
[ "$survived" -eq 0 ]
