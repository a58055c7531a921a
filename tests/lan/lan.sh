#!/bin/bash
# The virtual scanner LAN: network namespaces joined by a bridge, a test host with two adapters,
# and scanner agents (net-snmp snmpd) answering SNMP on udp:161 and udp6:161. Nothing leaves the
# namespaces: the bridge lives in a namespace of its own and no interface reaches the machine's.
#
# Sourced by tests (after tests/lib/common.sh):
#   sl_lan TAG HOST/BITS [NAME IPV4 MAC SYSDESCR SYSOBJECTID]...
#                       a LAN whose test host has HOST/BITS on lan0, with these agents, each
#                       answering once it returns; sets SL_LAN_HOST, the test host's namespace.
#                       Everything is torn down when the script ends, also on failure.
#   sl_lan_up [TAG]     the standard LAN (below).
#   sl_lan_node / sl_lan_agent / sl_lan_second_network add to a LAN.
# Run by hand (as root):
#   bash tests/lan/lan.sh up [TAG]     builds the standard LAN and leaves it up; prints the host
#   bash tests/lan/lan.sh down TAG     tears it down
#
# Names: namespaces sl-TAG-sw (the bridge br0), sl-TAG-host (lan0 HOST/BITS and lan1 with IPv6
# only, a default route on lan0 so that 255.255.255.255 can be sent), sl-TAG-NAME per agent (eth0).
# Each interface's MAC is fixed, so its IPv6 link-local address is known: 02:00:00:00:HH:LL gives
# fe80::ff:feHH:LL. Duplicate-address detection is off, so link-local addresses work at once; the
# switch has IPv6 off so that only the host's adapters carry it.

SL_LAN_SUBNET_BITS=16
# The scanners' identifiers come from the product table.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/products.sh"
SL_LAN_OID_V0="$(sl_product R7240 MODEL_OID)"         # R7240 (and O724X)
SL_LAN_OID_V2="$(sl_product TST30 MODEL_OID)"         # TST30
SL_LAN_OID_V8="$(sl_product L835_ MODEL_OID)"         # L835_
SL_LAN_OID_V8_ALT="$(sl_product L835_ SECOND_OID)"    # L835_, second identifier
SL_LAN_OID_OTHER="1.3.6.1.4.1.99999.7.1"              # no product of ours

# _sl_lan_ns NS: makes a namespace with loopback up and duplicate-address detection off.
_sl_lan_ns() {
  ip netns add "$1" || return 1
  ip -n "$1" link set lo up
  ip netns exec "$1" sysctl -qw net.ipv6.conf.all.accept_dad=0 net.ipv6.conf.default.accept_dad=0
}

# _sl_lan_port NS IFNAME MAC: a veth from the switch's bridge into NS, named IFNAME there.
_sl_lan_port() {
  local ns="$1" ifname="$2" mac="$3" port="p${SL_LAN_PORTS:-0}"
  SL_LAN_PORTS=$(( ${SL_LAN_PORTS:-0} + 1 ))
  ip -n "$SL_LAN_SW" link add "$port" type veth peer name "$ifname" address "$mac" netns "$ns" || return 1
  ip -n "$SL_LAN_SW" link set "$port" master br0 up
  ip netns exec "$ns" sysctl -qw "net.ipv6.conf.$ifname.accept_dad=0"
  ip -n "$ns" link set "$ifname" up
}

# sl_lan_base TAG HOST/BITS: the switch and the test host.
sl_lan_base() {
  SL_LAN_TAG="$1"
  SL_LAN_SUBNET_BITS="${2#*/}"
  SL_LAN_AGENTS=()
  SL_LAN_SW="sl-$1-sw"
  SL_LAN_HOST="sl-$1-host"
  SL_LAN_DIR="${SL_RUN_DIR:-/tmp}/lan-$1"
  SL_LAN_NAMESPACES=()
  SL_LAN_PORTS=0
  mkdir -p "$SL_LAN_DIR"
  if declare -F sl_on_exit >/dev/null; then sl_on_exit "sl_lan_down $1"; fi

  ip netns add "$SL_LAN_SW" || return 1
  SL_LAN_NAMESPACES+=("$SL_LAN_SW")
  ip netns exec "$SL_LAN_SW" sysctl -qw net.ipv6.conf.all.disable_ipv6=1 net.ipv6.conf.default.disable_ipv6=1
  ip -n "$SL_LAN_SW" link add br0 type bridge stp_state 0 forward_delay 0 mcast_snooping 0 || return 1
  ip -n "$SL_LAN_SW" link set br0 up

  _sl_lan_ns "$SL_LAN_HOST" || return 1
  SL_LAN_NAMESPACES+=("$SL_LAN_HOST")
  # The host answers ARP only on the adapter that holds the address, as Windows does. Linux would
  # otherwise also answer for lan0's address on lan1 (same bridge), and a peer could send its answer
  # to lan1: under Wine a socket bound to lan0's address then never got it (the host counted it
  # in UdpNoPorts), while the native socket did.
  ip netns exec "$SL_LAN_HOST" sysctl -qw net.ipv4.conf.all.arp_ignore=1 net.ipv4.conf.all.arp_announce=2
  _sl_lan_port "$SL_LAN_HOST" lan0 02:00:00:00:00:01 || return 1
  _sl_lan_port "$SL_LAN_HOST" lan1 02:00:00:00:00:02 || return 1
  ip -n "$SL_LAN_HOST" addr add "$2" dev lan0
  ip -n "$SL_LAN_HOST" route add default dev lan0
}

# sl_lan_node NAME IPV4 MAC: a plain namespace sl-TAG-NAME on the LAN (for our own programs).
sl_lan_node() {
  local ns="sl-$SL_LAN_TAG-$1"
  _sl_lan_ns "$ns" || return 1
  SL_LAN_NAMESPACES+=("$ns")
  _sl_lan_port "$ns" eth0 "$3" || return 1
  ip -n "$ns" addr add "$2/$SL_LAN_SUBNET_BITS" dev eth0
  ip -n "$ns" route add default dev eth0
}

# sl_lan_agent NAME IPV4 MAC SYSDESCR SYSOBJECTID: a node running snmpd with community "harbor"
# (or $SL_LAN_COMMUNITY), the given sysDescr and sysObjectID, and ifPhysAddress.1 = MAC; the lines
# of $SL_LAN_AGENT_CONF are added to its configuration (SNMPv3 users).
sl_lan_agent() {
  local name="$1" ip="$2" mac="$3" descr="$4" oid="$5" community="${SL_LAN_COMMUNITY:-harbor}"
  sl_lan_node "$name" "$ip" "$mac" || return 1
  local dir="$SL_LAN_DIR/$name"
  mkdir -p "$dir"
  cat >"$dir/snmpd.conf" <<CONF
agentAddress udp:161,udp6:161
rocommunity $community
rocommunity6 $community
sysObjectID .$oid
sysDescr $descr
override .1.3.6.1.2.1.2.2.1.6.1 octet_str 0x${mac//:/}
${SL_LAN_AGENT_CONF:-}
CONF
  SNMP_PERSISTENT_DIR="$dir" MIBS="" ip netns exec "sl-$SL_LAN_TAG-$name" \
    snmpd -C -c "$dir/snmpd.conf" -p "$dir/snmpd.pid" -Lf "$dir/snmpd.log" || return 1
  SL_LAN_AGENTS+=("$ip/$community")
}

# sl_lan_wait_agents: waits until every agent answers a unicast GetRequest from the test host.
sl_lan_wait_agents() {
  local agent ip
  for agent in "${SL_LAN_AGENTS[@]}"; do
    ip="${agent%%/*}"
    SNMP_PERSISTENT_DIR="$SL_LAN_DIR" ip netns exec "$SL_LAN_HOST" \
      snmpget -v1 -c "${agent#*/}" -m "" -t 0.3 -r 30 -Oqv "$ip" 1.3.6.1.2.1.1.2.0 >/dev/null 2>&1 \
      || { echo "lan: agent $ip does not answer" >&2; return 1; }
  done
}

# sl_lan_second_network: a second IPv4 network on a switch of its own (sl-TAG-sw2), reached by the
# test host's third adapter lan2 (203.0.113.1/24, MAC 02:00:00:00:00:03, IPv6 off, no default
# route: a limited broadcast leaves by lan0 unless a socket is bound to lan2's address), with one
# agent c1 (203.0.113.9, MAC 02:00:00:00:00:c9) carrying variant 0's identifier.
sl_lan_second_network() {
  local first_sw="$SL_LAN_SW" first_bits="$SL_LAN_SUBNET_BITS"
  SL_LAN_SW="sl-$SL_LAN_TAG-sw2"
  ip netns add "$SL_LAN_SW" || return 1
  SL_LAN_NAMESPACES+=("$SL_LAN_SW")
  ip netns exec "$SL_LAN_SW" sysctl -qw net.ipv6.conf.all.disable_ipv6=1 net.ipv6.conf.default.disable_ipv6=1
  ip -n "$SL_LAN_SW" link add br0 type bridge stp_state 0 forward_delay 0 mcast_snooping 0 || return 1
  ip -n "$SL_LAN_SW" link set br0 up
  _sl_lan_port "$SL_LAN_HOST" lan2 02:00:00:00:00:03 || return 1
  ip netns exec "$SL_LAN_HOST" sysctl -qw net.ipv6.conf.lan2.disable_ipv6=1
  ip -n "$SL_LAN_HOST" addr add 203.0.113.1/24 dev lan2
  SL_LAN_SUBNET_BITS=24
  sl_lan_agent c1 203.0.113.9 02:00:00:00:00:c9 "VEL MORA chromaline 7240MF annex net" "$SL_LAN_OID_V0"
  local rc=$?
  SL_LAN_SW="$first_sw" SL_LAN_SUBNET_BITS="$first_bits"
  return $rc
}

# sl_lan TAG HOST/BITS [NAME IPV4 MAC SYSDESCR SYSOBJECTID]...: the switch, the test host and the
# agents (sl_lan_agent), once every agent answers.
sl_lan() {
  local tag="$1" host="$2"; shift 2
  sl_lan_base "$tag" "$host" || { echo "lan: the switch or the test host did not come up" >&2; return 1; }
  while (($# >= 5)); do
    sl_lan_agent "$@" || { echo "lan: agent $1 did not start" >&2; return 1; }
    shift 5
  done
  sl_lan_wait_agents
}

# sl_lan_routed_network ROUTER_IP GATEWAY NETWORK/BITS: a router node r1 on the LAN (ROUTER_IP,
# forwarding) and a second switch (sl-TAG-sw2) behind it, where r1 has GATEWAY; the test host routes
# NETWORK through r1, and no broadcast of the LAN reaches it. Nodes made afterwards join the second
# switch with the network's prefix length; give them "route replace default via GATEWAY".
sl_lan_routed_network() {
  local r1="sl-$SL_LAN_TAG-r1"
  sl_lan_node r1 "$1" 02:00:00:00:00:fe && ip netns exec "$r1" sysctl -qw net.ipv4.ip_forward=1 &&
    SL_LAN_SW="sl-$SL_LAN_TAG-sw2" && ip netns add "$SL_LAN_SW" && ip -n "$SL_LAN_SW" link add br0 type bridge &&
    ip -n "$SL_LAN_SW" link set br0 up && _sl_lan_port "$r1" eth1 02:00:00:00:01:fe &&
    ip -n "$r1" addr add "$2/${3#*/}" dev eth1 && SL_LAN_SUBNET_BITS="${3#*/}" &&
    ip -n "$SL_LAN_HOST" route add "$3" via "$1"
}

# sl_lan_up [TAG]: the standard LAN.
#   a1  198.18.0.9    02:00:00:00:00:09  variant 0's identifier
#   a2  198.18.0.10   02:00:00:00:00:10  variant 0's identifier
#   a3  198.18.0.20   02:00:00:00:00:20  variant 2's identifier
#   a4  198.18.0.30   02:00:00:00:00:30  variant 8's second identifier
#   a5  198.18.0.4    02:00:00:00:00:04  variant 8's identifier
#   a6  198.18.0.100  02:00:00:00:01:00  sysDescr is variant 0's identifier, sysObjectID is not
sl_lan_up() {
  sl_lan "${1:-$$}" 198.18.0.1/16 \
    a1 198.18.0.9 02:00:00:00:00:09 "VEL MORA chromaline 7240MF" "$SL_LAN_OID_V0" \
    a2 198.18.0.10 02:00:00:00:00:10 "VEL MORA chromaline 7240MF 2nd floor" "$SL_LAN_OID_V0" \
    a3 198.18.0.20 02:00:00:00:00:20 "VEL MORA tessera T30" "$SL_LAN_OID_V2" \
    a4 198.18.0.30 02:00:00:00:00:30 "Lumeo 8350MFP (second series)" "$SL_LAN_OID_V8_ALT" \
    a5 198.18.0.4 02:00:00:00:00:04 "Lumeo 8350MFP" "$SL_LAN_OID_V8" \
    a6 198.18.0.100 02:00:00:00:01:00 "$SL_LAN_OID_V0" "$SL_LAN_OID_OTHER"
}

# sl_lan_down TAG: ends every process in the LAN's namespaces and deletes them.
sl_lan_down() {
  local ns
  for ns in $(ip netns list | awk '{print $1}' | grep -E "^sl-$1-"); do
    if declare -F sl_netns_delete >/dev/null; then sl_netns_delete "$ns"
    else
      local pids; pids="$(ip netns pids "$ns")"
      [[ -n "$pids" ]] && kill $pids 2>/dev/null && sleep 0.3
      pids="$(ip netns pids "$ns")"; [[ -n "$pids" ]] && kill -9 $pids 2>/dev/null
      ip netns delete "$ns"
    fi
  done
  rm -rf "${SL_RUN_DIR:-/tmp}/lan-$1"
}

if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
  set -u
  [[ $(id -u) -eq 0 ]] || { echo "lan.sh: needs root (network namespaces)" >&2; exit 1; }
  case "${1:-}" in
    up)
      tag="${2:-$$}"
      if ! sl_lan_up "$tag"; then sl_lan_down "$tag"; echo "lan.sh: the LAN did not come up" >&2; exit 1; fi
      echo "LAN $tag is up; test host namespace: $SL_LAN_HOST (tear down: bash $0 down $tag)"
      ;;
    down) [[ -n "${2:-}" ]] || { echo "usage: $0 down TAG" >&2; exit 2; }; sl_lan_down "$2" ;;
    *) echo "usage: $0 up [TAG] | down TAG" >&2; exit 2 ;;
  esac
fi
