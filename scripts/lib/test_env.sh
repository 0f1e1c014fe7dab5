# The surroundings every networked test runs in: a pair of network namespaces of the run's own
# (tool side and device side), a virtual display with a window manager, and a Wine prefix booted
# inside the tool namespace. Nothing here touches the machine's own interfaces.
# usage: test_env_start   -> exports SEARCH_NETNS SEARCH_NETNS_PREFIX DISPLAY WINEPREFIX ...;
#                            returns 2 (having said why) when a part cannot be made
#        test_env_stop    (removes all of it; safe to call twice)
TEST_ENV_NS=
TEST_ENV_PREFIX_DIR=

test_env_start() {
    TEST_ENV_NS=st$$
    TEST_ENV_PREFIX_DIR=$(mktemp -d /tmp/search-wine.XXXXXX)
    netns_create "$TEST_ENV_NS" || { echo "cannot create network namespaces" >&2; return 2; }
    export SEARCH_NETNS=1 SEARCH_NETNS_PREFIX=$TEST_ENV_NS
    display_start || return 2
    wine_boot "$TEST_ENV_PREFIX_DIR" "${TEST_ENV_NS}tool" || { echo "the wine prefix did not boot" >&2; return 2; }
}

test_env_stop() {
    wine_stop
    display_stop
    [ -n "$TEST_ENV_NS" ] && netns_delete "$TEST_ENV_NS"
    [ -n "$TEST_ENV_PREFIX_DIR" ] && rm -rf "$TEST_ENV_PREFIX_DIR"
    TEST_ENV_NS= TEST_ENV_PREFIX_DIR=
}
