# Network namespaces for tests and the demo: a "tool" side (where Search.exe and the engine
# run) and a "device" side (where the device simulator runs), joined by a veth link.
# Nothing here touches the machine's own interfaces.
#
# usage: netns_create PREFIX   -> namespaces ${PREFIX}tool and ${PREFIX}dev
#   tool side: 10.77.0.1 on veth "vt" (default route over it) and 10.77.0.2 on a second veth
#              "vt2" with a default route of lower priority: Wine's host address list holds
#              one address per interface, and only interfaces with a default route.
#              Multicast and broadcast leave by the interface of the socket's address.
#   device side: 10.77.0.20 on veth "vd", default route over it
#        netns_add_device_address PREFIX ADDR   (more device addresses, /16 allowed; the
#                                                device side then answers ping and TCP there)
#        netns_del_device_address PREFIX ADDR
#        netns_delete PREFIX
NETNS_TOOL_ADDRESSES=(10.77.0.1 10.77.0.2)
NETNS_DEVICE_ADDRESS=10.77.0.20

netns_create() {
    local p=$1
    netns_delete "$p" 2>/dev/null
    ip netns add "${p}tool" || return 1
    ip netns add "${p}dev" || return 1
    ip link add "${p}vt" type veth peer name "${p}vd" || return 1
    ip link set "${p}vt" netns "${p}tool"
    ip link set "${p}vd" netns "${p}dev"
    ip -n "${p}tool" link set "${p}vt" name vt
    ip -n "${p}dev" link set "${p}vd" name vd
    ip -n "${p}tool" addr add "${NETNS_TOOL_ADDRESSES[0]}/16" dev vt
    ip link add "${p}vt2" type veth peer name "${p}vd2" || return 1
    ip link set "${p}vt2" netns "${p}tool"
    ip link set "${p}vd2" netns "${p}dev"
    ip -n "${p}tool" link set "${p}vt2" name vt2
    ip -n "${p}dev" link set "${p}vd2" name vd2
    ip -n "${p}tool" addr add "${NETNS_TOOL_ADDRESSES[1]}/32" dev vt2
    ip -n "${p}tool" link set vt2 up
    ip -n "${p}dev" link set vd2 up
    ip -n "${p}tool" route add default dev vt2 metric 100
    # Replies to the second address must come in on its own interface: a socket bound to an
    # interface's address does not see datagrams for it that arrive on another interface.
    ip -n "${p}dev" route add "${NETNS_TOOL_ADDRESSES[1]}/32" dev vd2
    ip -n "${p}dev" addr add "$NETNS_DEVICE_ADDRESS/16" dev vd
    local side
    for side in tool:vt dev:vd; do
        ip -n "${p}${side%%:*}" link set lo up
        ip -n "${p}${side%%:*}" link set "${side##*:}" up
        ip -n "${p}${side%%:*}" route add default dev "${side##*:}"
    done
}

netns_add_device_address() {
    ip -n "${1}dev" addr add "$2/16" dev vd
}

netns_del_device_address() {
    ip -n "${1}dev" addr del "$2/16" dev vd
}

netns_delete() {
    local p=$1
    ip netns pids "${p}tool" 2>/dev/null | xargs -r kill 2>/dev/null
    ip netns pids "${p}dev" 2>/dev/null | xargs -r kill 2>/dev/null
    ip netns del "${p}tool" 2>/dev/null
    ip netns del "${p}dev" 2>/dev/null
    return 0
}
