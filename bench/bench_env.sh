# The set-up the benchmark scripts share, sourced after tests/e2e/lib.sh: the programs of a build tree,
# and two network namespaces of the script's own, joined by a veth pair, apart from the e2e tests'.

# bench_programs BUILD: the monitor, the plugin console and the UDP flood tool of that build tree.
bench_programs() {
    export KVT_MONITOR=$1/src/app/kvtmon KVT_CONSOLE=$1/tools/plugin/kvtmon-plugin
    export KVT_TRAFFIC=$1/bench/kvt_udp_flood
}

# bench_netns NAME TAG IF_PREFIX SUBNET: starts the run NAME (work directory, clean-up on exit), then
# the namespaces TAG-PID-h (SUBNET.1) and TAG-PID-p (SUBNET.2) on the veth ends IF_PREFIX<PID>a and b;
# the plugin's pipe is \\.\pipe\TAG-PID.
bench_netns() {
    local name=$1 tag=$2 prefix=$3 subnet=$4
    e2e_init "$name"
    E2E_TAG=$tag-$E2E_ID
    NS_HOST=$E2E_TAG-h
    NS_PEER=$E2E_TAG-p
    IF_HOST=$prefix${E2E_ID}a
    IF_PEER=$prefix${E2E_ID}b
    HOST_ADDR=$subnet.1
    PEER_ADDR=$subnet.2
    PIPE="\\\\.\\pipe\\$E2E_TAG"
    e2e_netns
}
