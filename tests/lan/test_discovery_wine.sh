#!/bin/bash
# Discovery from the Windows build under Wine on the virtual scanner LAN: the same cases as the
# native test. The Wine prefix's wineserver starts inside the test host's namespace, since Wine
# creates every socket there.
source "$(dirname "$0")/../lib/common.sh"
source "$(dirname "$0")/lan.sh"
source "$(dirname "$0")/discovery_cases.sh"

sl_need_root
sl_need_cmd snmpd snmpget
command -v wine64 >/dev/null 2>&1 || sl_skip "needs wine64 (scripts/deps.sh installs it)"
RUNNER="$SL_WINE_PROGS/discover_list.exe"
RESPONDER="$SL_BUILD_NATIVE/tests/snmp_responder"
[[ -f "$RUNNER" ]] || sl_skip "needs the Windows build (discover_list.exe)"
[[ -x "$RESPONDER" ]] || sl_skip "needs the native build (snmp_responder)"

sl_lan_up "dw$$" || sl_fail_now "the virtual LAN did not come up"
sl_lan_second_network || sl_fail_now "the second network did not come up"
sl_lan_wait_agents || sl_fail_now "the second network's agent does not answer"
sl_lan_start_junk_responder "$RESPONDER" || sl_fail_now "the junk responder did not start"

PREFIX="$SL_RUN_DIR/prefix-discovery-$$"
sl_prefix "$SL_LAN_HOST" "$PREFIX"

sl_discover() { sl_wine "$SL_LAN_HOST" "$PREFIX" "$RUNNER" "$@" | tr -d '\r'; }
sl_discovery_cases
sl_lan_start_chatter "$RESPONDER" || sl_fail_now "the chatter did not start"
sl_discovery_chatter_case
sl_finish
