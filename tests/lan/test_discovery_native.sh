#!/bin/bash
# Discovery from the native build on the virtual scanner LAN: net-snmp agents and our junk
# responder, IPv4 and IPv6, one and two passes, exact lists, a second IPv4 network behind a
# second adapter, and a host that never goes quiet.
source "$(dirname "$0")/../lib/common.sh"
source "$(dirname "$0")/lan.sh"
source "$(dirname "$0")/discovery_cases.sh"

sl_need_root
sl_need_cmd snmpd snmpget
RUNNER="$SL_BUILD_NATIVE/tests/discover_list"
RESPONDER="$SL_BUILD_NATIVE/tests/snmp_responder"
[[ -x "$RUNNER" && -x "$RESPONDER" ]] || sl_skip "needs the native build (discover_list, snmp_responder)"

sl_lan_up "dn$$" || sl_fail_now "the virtual LAN did not come up"
sl_lan_second_network || sl_fail_now "the second network did not come up"
sl_lan_wait_agents || sl_fail_now "the second network's agent does not answer"
sl_lan_start_junk_responder "$RESPONDER" || sl_fail_now "the junk responder did not start"

sl_discover() { ip netns exec "$SL_LAN_HOST" "$RUNNER" "$@"; }
sl_discovery_cases
sl_lan_start_chatter "$RESPONDER" || sl_fail_now "the chatter did not start"
sl_discovery_chatter_case
sl_finish
