#!/bin/bash
# End to end under Wine on a virtual LAN of its own (198.51.100.0/24): the command-line modes
# /list, /set and /refresh (exit codes, what they store, the JSON read by python3's json module),
# a scanner moving to a new address with the same MAC, the installer's given-address start, and
# the address dialog checking a typed address (its MAC stored; the question when nothing answers),
# and discovery targets: a scanner behind a router reached by /targets:, DiscoveryTargets (also as the
# address dialog's "Other networks..." stores them) and /refresh;
# host names (the host's namespace reads a hosts file of the test's own): /set ip:NAME stores
# HostName, /refresh follows the name to a new address, DefaultScanner adopted without a connection.
source "$(dirname "$0")/../lib/common.sh"
source "$(dirname "$0")/e2e_lib.sh"
sl_need_cmd python3
# The LAN: the test host at 198.51.100.1 (IPv6 link-local on lan0 and lan1), two 7240MF scanners,
# a Lumeo, a 7245MF (IPv6) and a device of another product.
TAG="cl$$"
e2e_init "$TAG" C.UTF-8 198.51.100.1/24 \
  s1 198.51.100.20 02:00:00:00:00:20 "VEL MORA chromaline 7240MF" "$SL_LAN_OID_V0" \
  s2 198.51.100.30 02:00:00:00:00:30 "VEL MORA chromaline 7240MF annex" "$SL_LAN_OID_V0" \
  o1 198.51.100.50 02:00:00:00:00:50 "another product" "$SL_LAN_OID_OTHER" \
  l1 198.51.100.40 02:00:00:00:00:40 "Lumeo 8350MFP" "$SL_LAN_OID_V8" \
  b1 198.51.100.41 02:00:00:00:00:41 "VEL MORA chromaline 7245MF" "$SL_LAN_OID_V1"
# A host that is up without an SNMP agent.
sl_lan_node p1 198.51.100.45 02:00:00:00:00:45 || sl_fail_now "the LAN's plain host did not come up"
sl_on_exit "e2e_stop"
e2e_place 7240MF en system
cp "$SL_INSTALL/ScanLink.exe" "$E2E_C/ScanLink/R7240SLK.exe"
TITLE="VEL MORA chromaline 7240MF Network Scanner Setup"
OUT="$SL_RUN_DIR/cli-out"

# cli ARGS...: runs R7240SLK.exe with ARGS, its standard output into $OUT; prints the exit code.
cli() { e2e_wine 'C:\ScanLink\R7240SLK.exe' "$@" >"$OUT" 2>/dev/null </dev/null; echo $?; }
# stored: the registry values and the data file of the 7240MF as e2e_state shows them.
stored() { e2e_state 7240MF | cut -d'|' -f2-; }
# json EXPR: evaluates EXPR with python3 over the JSON in FILE ($2, default $OUT) as j.
json() { python3 -c 'import json,sys; j=json.load(open(sys.argv[2],encoding="utf-8")); print(eval(sys.argv[1]))' "$1" "${2:-$OUT}"; }

sl_log "/list: one search, the JSON on the redirected standard output"
sl_expect_eq "/list with nothing stored exits 0" "$(cli /list)" 0
sl_check "the output is JSON" python3 -m json.tool "$OUT" >/dev/null
sl_expect_eq "product, code, protocol" "$(json '[j["product"], j["code"], j["protocol"]]')" "['chromaline 7240MF', 'R7240', 'ipv4']"
sl_expect_eq "the two 7240MF scanners in the dialog's order, with MAC and no adapter" \
  "$(json '[(s["address"], s["mac"], s["adapter"]) for s in j["scanners"]]')" \
  "[('198.51.100.20', '02:00:00:00:00:20', ''), ('198.51.100.30', '02:00:00:00:00:30', '')]"
sl_expect_eq "nothing stored" "$(json '[j["stored"], j["stored_index"]]')" "[None, None]"
sl_expect_eq "every adapter searched" "$(json '[j["complete"], j["skipped"]]')" "[True, []]"

sl_log "/set ip:ADDRESS: checked by unicast, stored as a typed address"
sl_expect_eq "a 7240MF answers: exit 0" "$(cli /set ip:198.51.100.30)" 0
sl_expect_eq "its MAC stored with the typed address" "$(stored)" \
  " 198.51.100.30|02:00:00:00:00:30|0||1| | AdapName= IPAddress=198.51.100.30 IPDirectInput=1 IPDlgRet=1 MACAddr=02:00:00:00:00:30 ProtocolType=0"
sl_expect_eq "/list /out:PATH with the output on no file: the file written, exit 0" \
  "$(e2e_wine 'C:\ScanLink\R7240SLK.exe' /list '/out:C:\found.json' >/dev/null 2>&1 </dev/null; echo $?)" 0
sl_expect_eq "the stored scanner and its index" "$(json '[j["stored"], j["stored_index"]]' "$E2E_C/found.json")" \
  "[{'address': '198.51.100.30', 'mac': '02:00:00:00:00:30', 'protocol': 'ipv4', 'adapter': ''}, 1]"
sl_expect_eq "/list with neither a redirected output nor /out: exit 5" \
  "$(e2e_wine 'C:\ScanLink\R7240SLK.exe' /list >/dev/null 2>&1 </dev/null; echo $?)" 5
sl_expect_eq "another product answers: stored, exit 1" "$(cli /set ip:198.51.100.50)" 1
sl_expect_eq "stored without MAC" "$(stored)" \
  " 198.51.100.50||0||1| | AdapName= IPAddress=198.51.100.50 IPDirectInput=1 IPDlgRet=1 MACAddr= ProtocolType=0"
sl_expect_eq "/refresh without a stored MAC: exit 3" "$(cli /refresh)" 3
start=$SECONDS
sl_expect_eq "nothing answers: stored, exit 1" "$(cli /set ip:198.51.100.77)" 1
sl_log "a check where nothing answers took $((SECONDS - start)) s (1 s, one retry, start-up)"
start=$SECONDS
sl_expect_eq "a host that is up without an SNMP agent: stored unverified, exit 1" \
  "$(cli /set ip:198.51.100.45 '/trace:C:\check.txt')" 1
sl_log "a check answered by port-unreachable took $((SECONDS - start)) s"
sl_expect_eq "the trace names the check's outcome" \
  "$(grep -o 'address-check address=198.51.100.45 .*' "$E2E_C/check.txt")" \
  "address-check address=198.51.100.45 adapter=\"\" outcome=port-unreachable security=v1"
before="$(stored)"
sl_expect_eq "not an address: exit 3" "$(cli /set ip:198.51.100.300)" 3
sl_expect_eq "not an address: nothing stored" "$(stored)" "$before"

sl_log "/refresh follows the stored scanner by its MAC"
sl_expect_eq "choose the scanner at .20" "$(cli /set ip:198.51.100.20)" 0
sl_expect_eq "at its address: exit 0" "$(cli /refresh)" 0
ip -n "sl-$TAG-s1" addr flush dev eth0
ip -n "sl-$TAG-s1" addr add 198.51.100.60/24 dev eth0
ip -n "sl-$TAG-s1" route replace default dev eth0
sl_log "the scanner moved to .60 (same MAC); the other 7240MF (.30) is now the lower address"
e2e_start R7240SLK.exe
out="$(drv wait "$TITLE" + wait-enabled 3010 + list 3009 + text 3011 + click 2 + wait-gone)"
sl_expect_eq "the dialog selects the moved scanner (by its MAC), not the first row" \
  "$(grep '^row ' <<<"$out")" $'row 0 0 chromaline 7240MF\t198.51.100.30\nrow 1 1 chromaline 7240MF\t198.51.100.60'
sl_expect_eq "the status line says it moved, old and new address" "$(grep '^text 3011 ' <<<"$out" | tr -d '\r')" \
  "text 3011 Your scanner has a new address: 198.51.100.60 (it was 198.51.100.20). Press OK to use the new address."
sl_check "Cancel closes the dialog" e2e_wait_exit 15
sl_expect_eq "moved: exit 1" "$(cli /refresh)" 1
MOVED=" 198.51.100.60|02:00:00:00:00:20|0||0| | AdapName= IPAddress=198.51.100.60 IPDirectInput=0 IPDlgRet=1 MACAddr=02:00:00:00:00:20 ProtocolType=0"
sl_expect_eq "data file and registry hold the new address, stored as a listed scanner" "$(stored)" "$MOVED"
sl_expect_eq "run again: exit 0" "$(cli /refresh)" 0
ip -n "sl-$TAG-s1" link set eth0 down
sl_expect_eq "switched off: exit 2" "$(cli /refresh)" 2
sl_expect_eq "switched off: nothing changed" "$(stored)" "$MOVED"
ip -n "sl-$TAG-s1" link set eth0 up
ip -n "sl-$TAG-s1" route replace default dev eth0

sl_log "IPv6 on the 7245MF: /list /ipv6, /set of a link-local address without zone, /refresh"
e2e_place 7245MF en system
cp "$SL_INSTALL/ScanLink.exe" "$E2E_C/ScanLink/R7245SLK.exe"
cli6() { e2e_wine 'C:\ScanLink\R7245SLK.exe' "$@" >"$OUT" 2>/dev/null </dev/null; echo $?; }
LL41="fe80:0000:0000:0000:0000:00ff:fe00:0041"
sl_expect_eq "/list /ipv6: exit 0" "$(cli6 /list /ipv6)" 0
sl_expect_eq "the 7245MF once per adapter, with its MAC and the adapter's name" \
  "$(json 'j["protocol"], sorted((s["address"], s["mac"], s["adapter"]) for s in j["scanners"])')" \
  "('ipv6', [('$LL41', '02:00:00:00:00:41', 'lan0'), ('$LL41', '02:00:00:00:00:41', 'lan1')])"
sl_expect_eq "/set ip: of its link-local address, no zone: asked through the adapters, exit 0" "$(cli6 /set ip:fe80::ff:fe00:41)" 0
state6="$(e2e_state 7245MF | cut -d'|' -f2-)"
adapter6="$(sed -n 's/.*AdapName=\([^ ]*\) .*/\1/p' <<<"$state6")"
sl_check "the adapter that reached it is stored (lan0 or lan1)" grep -qxE 'lan[01]' <<<"$adapter6"
sl_expect_eq "the typed IPv6 address with the MAC and adapter" "$state6" \
  " fe80::ff:fe00:41|02:00:00:00:00:41|1|$adapter6|1| | AdapName=$adapter6 IPAddress=fe80::ff:fe00:41 IPDirectInput=1 IPDlgRet=1 MACAddr=02:00:00:00:00:41 ProtocolType=1"
sl_expect_eq "/list /ipv6 names the stored adapter's row" "$(cli6 /list /ipv6) $(json 'j["scanners"][j["stored_index"]]["adapter"]')" "0 $adapter6"
sl_expect_eq "/refresh over IPv6 at its address: exit 0" "$(cli6 /refresh)" 0

sl_log "the command-line modes never show a window: a missing file and a second instance end with 5"
sl_expect_eq "a product whose files are missing (T30): exit 5 at once, no box waiting" \
  "$(timeout 20 "${E2E_WINE[@]}" ip netns exec "$SL_LAN_HOST" "$SL_ROOT/tests/lib/wine-run" 'C:\ScanLink\R7240SLK.exe' /refresh T30 \
     >/dev/null 2>&1 </dev/null; echo $?)" 5
e2e_start R7240SLK.exe
drv wait "$TITLE" >/dev/null
sl_expect_eq "while the dialog runs: exit 5" "$(cli /refresh)" 5
sl_expect_eq "and no message box" "$(drv none-msgbox 1500)" "no-msgbox"

sl_log "the installer's given-address start checks the address and never asks"
e2e_place L835_MFP en install
cp "$SL_INSTALL/ScanLink.exe" "$E2E_C/ScanLink/ScanLink.exe"
sl_expect_eq "L835_MFP ip: of a live Lumeo ends by itself" \
  "$(timeout 30 "${E2E_WINE[@]}" ip netns exec "$SL_LAN_HOST" "$SL_ROOT/tests/lib/wine-run" 'C:\ScanLink\ScanLink.exe' L835_MFP ip:198.51.100.40 \
     >/dev/null 2>&1 </dev/null; echo $?)" 0
sl_expect_eq "stored with the MAC of the answering scanner" "$(e2e_state L835_MFP | cut -d'|' -f2-)" \
  " 198.51.100.40|02:00:00:00:00:40|0||1| | AdapName= IPAddress=198.51.100.40 IPDirectInput=1 IPDlgRet=1 MACAddr=02:00:00:00:00:40 ProtocolType=0"

sl_log "the dialog: a typed address of a live scanner stores its MAC"
out="$(drv wait "$TITLE" + click 3006 + type 3008 198.51.100.30 + click 1 + wait-gone)"
sl_check "OK closes the dialog" e2e_wait_exit 15
sl_expect_eq "typed address with the answering scanner's MAC, direct input" "$(stored)" \
  " 198.51.100.30|02:00:00:00:00:30|0||1| | AdapName= IPAddress=198.51.100.30 IPDirectInput=1 IPDlgRet=1 MACAddr=02:00:00:00:00:30 ProtocolType=0"

sl_log "the dialog: nothing answers a typed address: the question, No, then Yes"
e2e_start R7240SLK.exe
out="$(drv wait "$TITLE" + click 3006 + type 3008 198.51.100.77 + click 1 + answer-msgbox no + wait "$TITLE" + sel 3008)"
sl_expect_eq "the question names the address" "$(pick msgbox "$out")" "msgbox $TITLE"$'\t'"No scanner of this product answered at 198.51.100.77.\\nDo you want to store this address anyway?"
sl_expect_eq "No: back in the field, the whole address selected" "$(pick sel "$out")" "sel 3008 0 13 focus=1"
sl_expect_eq "No: nothing stored" "$(stored | cut -d'|' -f1)" " 198.51.100.30"
out="$(drv wait "$TITLE" + click 1 + answer-msgbox yes + wait-gone)"
sl_check "Yes closes the dialog" e2e_wait_exit 15
sl_expect_eq "Yes: stored as typed, without MAC" "$(stored)" \
  " 198.51.100.77||0||1| | AdapName= IPAddress=198.51.100.77 IPDirectInput=1 IPDlgRet=1 MACAddr= ProtocolType=0"
sl_log "/trace: a search on a LAN with malformed, oversized, wrong, duplicate and other-product answers"
RESPONDER="$SL_BUILD_NATIVE/tests/snmp_responder"
if [[ -x "$RESPONDER" ]] && sl_lan_node j7 198.51.100.70 02:00:00:00:00:70; then
  ip netns exec "sl-$TAG-j7" "$RESPONDER" junk "VEL MORA chromaline 7240MF" "$SL_LAN_OID_V0" 020000000070 \
    >"$SL_LAN_DIR/junk.log" 2>&1 &
  JUNK_PID=$!
  sl_on_exit "kill $JUNK_PID 2>/dev/null"
  for i in $(seq 50); do grep -q ready "$SL_LAN_DIR/junk.log" && break; sleep 0.1; done
  sl_expect_eq "/list with /trace: exit 0" "$(cli /list '/trace:C:\trace.log')" 0
  # verdicts: "source verdict" of every datagram traced, sorted and counted once each.
  verdicts="$(sed -n 's/.* datagram source=\([^ ]*\) .*verdict=\([a-z-]*\).*/\1 \2/p' "$E2E_C/trace.log" | sort -u | tr '\n' ',')"
  sl_expect_eq "each datagram named with its source and verdict" "$verdicts" \
    "198.51.100.30 duplicate,198.51.100.30 listed,198.51.100.40 other-product,198.51.100.41 other-product,198.51.100.50 other-product,198.51.100.60 duplicate,198.51.100.60 listed,198.51.100.70 duplicate,198.51.100.70 listed,198.51.100.70 oversized,198.51.100.70 undecodable,198.51.100.70 wrong-request,"
  sl_check "the adapter used and the requests are traced" \
    grep -q ' adapter family=ipv4 address=198.51.100.1 .*used=yes' "$E2E_C/trace.log"
  sl_check "each request with protocol, destination, adapter and size" \
    grep -q ' request protocol=ipv4 destination=255.255.255.255:161 adapter=198.51.100.1 size=70 ' "$E2E_C/trace.log"
  kill "$JUNK_PID" 2>/dev/null
else
  sl_fail "the junk responder (native build) is missing or its node did not come up"
fi
sl_expect_eq "/set with /trace: exit 0" "$(cli /set ip:198.51.100.30 '/trace:C:\set.log')" 0
sl_check "the setting written with its old and new value" \
  grep -q ' setting-written key=.* value=IPAddress old=198.51.100.77 new=198.51.100.30 written=yes' "$E2E_C/set.log"
sl_check "... and the stored values it read" grep -q ' setting-read key=.* value=AdapName found=yes' "$E2E_C/set.log"

sl_log "Communities: a scanner whose community was changed is found once the setting names it"
SL_LAN_AGENTS=()
SL_LAN_AGENT_CONF=$'sysName mfp-annex-80\nsysLocation Building A, room 214' \
  SL_LAN_COMMUNITY="h4rdened-ro" sl_lan_agent h1 198.51.100.80 02:00:00:00:00:80 "VEL MORA chromaline 7240MF" \
  "$SL_LAN_OID_V0" && sl_lan_wait_agents || sl_fail_now "the hardened agent did not come up"
listed() { json '[s["address"] for s in j["scanners"]]'; }
sl_expect_eq "without the setting it stays unlisted" "$(cli /list) $(listed)" "0 ['198.51.100.30', '198.51.100.60']"
e2e_wine reg add 'HKCU\Software\ScanLink' /v Communities /t REG_MULTI_SZ /d 'harbor\0h4rdened-ro' /f >/dev/null 2>&1
sl_expect_eq "with it, listed beside the others" "$(cli /list '/trace:C:\comm.log') $(listed)" \
  "0 ['198.51.100.30', '198.51.100.60', '198.51.100.80']"
sl_check "the trace names communities by position only" grep -q ' community=2 ' "$E2E_C/comm.log"
sl_expect_eq "... never by their text" "$(grep -c h4rdened "$E2E_C/comm.log")" 0

sl_log "SNMPv3: /credentials, a typed address verified and marked, a /refresh no other host can redirect"
SL_LAN_AGENTS=()
SL_LAN_AGENT_CONF='createUser scan256 SHA-256 "maple-syrup-256" AES "privacy-pass-12"
rouser scan256 priv
sysName mfp-v3-90
sysLocation Basement' SL_LAN_COMMUNITY="n0t-known" sl_lan_agent v3 198.51.100.90 02:00:00:00:00:90 \
  "VEL MORA chromaline 7240MF" "$SL_LAN_OID_V0" && sl_lan_wait_agents || sl_fail_now "the SNMPv3 agent did not come up"
e2e_wine reg delete 'HKCU\Software\ScanLink' /v Communities /f >/dev/null 2>&1
sl_expect_eq "without credentials the SNMPv3-only scanner is not verified: /set exits 1" "$(cli /set ip:198.51.100.90)" 1
printf 'maple-syrup-256\r\nprivacy-pass-12\r\n' | e2e_wine 'C:\ScanLink\R7240SLK.exe' /credentials user:scan256 \
  auth:SHA-256 priv:AES >/dev/null 2>&1
sl_expect_eq "/credentials stored the keys: exit 0" "$?" 0
sl_expect_eq "with them /set verifies it: exit 0" "$(cli /set ip:198.51.100.90 '/trace:C:\v3.log')" 0
sl_check "... over SNMPv3" grep -q ' address-check address=198.51.100.90 .*outcome=answered security=v3' "$E2E_C/v3.log"
sl_expect_contains "stored with its MAC and marked Authenticated" "$(stored)" "Authenticated=1 IPAddress=198.51.100.90"
sl_expect_contains "... with the MAC address of the verified answer" "$(stored)" "MACAddr=02:00:00:00:00:90"
sl_expect_eq "/refresh: the verified answer at its address, exit 0" "$(cli /refresh)" 0
e2e_wine reg add 'HKCU\Software\ScanLink' /v Communities /t REG_MULTI_SZ /d 'harbor\0h4rdened-ro' /f >/dev/null 2>&1
macs='[(s["address"], s["mac"]) for s in j["scanners"]]'
sl_expect_eq "credentials and communities: the default, the changed community and SNMPv3 only, all listed" \
  "$(cli /list) $(json "$macs")" "0 [('198.51.100.30', '02:00:00:00:00:30'), ('198.51.100.60', '02:00:00:00:00:20'), ('198.51.100.80', '02:00:00:00:00:80'), ('198.51.100.90', '02:00:00:00:00:90')]"
details='[(s["address"], s["name"], s["location"], s["serial"]) for s in j["scanners"] if s["address"] >= "198.51.100.80"]'
sl_expect_eq "... each with its sysName and sysLocation (SNMPv1 and SNMPv3), no serial without the Printer MIB" \
  "$(json "$details")" "[('198.51.100.80', 'mfp-annex-80', 'Building A, room 214', ''), ('198.51.100.90', 'mfp-v3-90', 'Basement', '')]"
e2e_start R7240SLK.exe
out="$(drv wait "$TITLE" + wait-enabled 3010 + list 3009 + click 2 + wait-gone)"
sl_check "the dialog closes" e2e_wait_exit 15
sl_expect_eq "the dialog lists the same four and selects the stored, verified one" \
  "$(sed -n 's/^row [0-9]* \([01]\) .*\(198\.51\.100\.[0-9]*\).*/\2:\1/p' <<<"${out//$'\r'/}" | paste -sd' ')" \
  "198.51.100.30:0 198.51.100.60:0 198.51.100.80:0 198.51.100.90:1"
e2e_wine reg add 'HKCU\Software\ScanLink' /v SnmpVersion /t REG_SZ /d v3 /f >/dev/null 2>&1
sl_expect_eq "SnmpVersion v3: the SNMPv3 agent alone" "$(cli /list) $(json "$macs")" "0 [('198.51.100.90', '02:00:00:00:00:90')]"
e2e_wine reg delete 'HKCU\Software\ScanLink' /v SnmpVersion /f >/dev/null 2>&1
e2e_wine reg delete 'HKCU\Software\ScanLink' /v Communities /f >/dev/null 2>&1
credentials() {  # credentials AUTH-PASSPHRASE: stores scan256's keys with that passphrase
  printf '%s\r\nprivacy-pass-12\r\n' "$1" | e2e_wine 'C:\ScanLink\R7240SLK.exe' /credentials user:scan256 \
    auth:SHA-256 priv:AES >/dev/null 2>&1
}
credentials maple-syrup-XXX
e2e_start R7240SLK.exe '/trace:C:\wrong.log'
out="$(drv wait "$TITLE" + click 3006 + type 3008 198.51.100.90 + click 1 + answer-msgbox no + click 2 + wait-gone)"
sl_check "the dialog closes" e2e_wait_exit 15
sl_expect_eq "a wrong passphrase: the dialog says the scanner refused the credentials, and why" "$(pick msgbox "$out")" \
  "msgbox $TITLE"$'\t'"The scanner at 198.51.100.90 answered, but it rejected the SNMPv3 credentials. Ask your administrator to check the SNMPv3 user name and passphrases.\\nDo you want to store this address anyway?\\n\\nReason reported by the scanner: wrong-digest"
sl_check "... and the trace gives the reason" grep -q 'outcome=rejected security=v1 reason=wrong-digest' "$E2E_C/wrong.log"
credentials maple-syrup-256
ip -n "sl-$TAG-v3" link set eth0 down
if sl_lan_node r9 198.51.100.91 02:00:00:00:00:91; then
  ip netns exec "sl-$TAG-r9" "$RESPONDER" junk "VEL MORA chromaline 7240MF" "$SL_LAN_OID_V0" 020000000090 \
    >"$SL_LAN_DIR/rogue.log" 2>&1 &
  ROGUE_PID=$!
  sl_on_exit "kill $ROGUE_PID 2>/dev/null"
  for i in $(seq 50); do grep -q ready "$SL_LAN_DIR/rogue.log" && break; sleep 0.1; done
  sl_expect_eq "a host answering SNMPv1 with its MAC while it is off: /refresh exits 2" \
    "$(cli /refresh '/trace:C:\rogue.log')" 2
  sl_check "... the claim traced as unauthenticated" grep -q ' stored-scanner address=198.51.100.91 verdict=unauthenticated' \
    "$E2E_C/rogue.log"
  sl_expect_contains "... and nothing changed" "$(stored)" "Authenticated=1 IPAddress=198.51.100.90"
  kill "$ROGUE_PID" 2>/dev/null
  ip -n "sl-$TAG-v3" link set eth0 up && ip -n "sl-$TAG-v3" -4 addr flush dev eth0 &&
    ip -n "sl-$TAG-v3" addr add 198.51.100.92/24 dev eth0 && ip -n "sl-$TAG-v3" route replace default dev eth0
  sl_expect_eq "back at a new address: followed to its verified answer there, exit 1" \
    "$(cli /refresh) $(stored | grep -o 'Authenticated=1 IPAddress=[0-9.]*')" "1 Authenticated=1 IPAddress=198.51.100.92"
  ip -n "sl-$TAG-v3" link set eth0 down
else
  sl_fail "the rogue host did not come up"
fi

sl_log "discovery targets: a 7240MF on another subnet behind a router (r1), out of every broadcast's reach"
sl_lan_routed_network 198.51.100.254 203.0.113.1 203.0.113.0/24 &&
  SL_LAN_AGENTS=() && sl_lan_agent t1 203.0.113.20 02:00:00:00:00:21 "VEL MORA chromaline 7240MF routed" "$SL_LAN_OID_V0" &&
  ip -n "sl-$TAG-t1" route replace default via 203.0.113.1 && sl_lan_wait_agents || sl_fail_now "no routed network"
rows='[(s["address"], s["found_by"]) for s in j["scanners"]]'
sl_expect_eq "/list /targets: a block: listed beside the LAN's scanners, found by target" \
  "$(cli /list /targets:203.0.113.0/24) $(json "$rows")" \
  "0 [('198.51.100.30', 'broadcast'), ('198.51.100.60', 'broadcast'), ('203.0.113.20', 'target')]"
sl_expect_eq "4,097 addresses: refused, exit 3, the reason traced" "$(cli /list /targets:198.18.0.0/20,203.0.113.20 \
  '/trace:C:\r.log') $(grep -o 'targets.refused counted=4097' "$E2E_C/r.log")" "3 targets.refused counted=4097"
e2e_wine reg add 'HKCU\Software\ScanLink' /v LocalBroadcast /t REG_DWORD /d 0 /f >/dev/null 2>&1
e2e_wine reg add 'HKCU\Software\ScanLink' /v DiscoveryTargets /t REG_MULTI_SZ /d 203.0.113.10-203.0.113.40 /f >/dev/null 2>&1
sl_expect_eq "LocalBroadcast 0, DiscoveryTargets a range: the target only" "$(cli /list) $(json "$rows")" "0 [('203.0.113.20', 'target')]"
# The levels in the real registry: user 0 over machine default 1; the product's policy subkey 1
# over the user's 0; with neither, machine default 0 over the built-in 1.
wreg() { e2e_wine reg "$@" /f >/dev/null 2>&1; }
both="0 [('198.51.100.30', 'broadcast'), ('198.51.100.60', 'broadcast'), ('203.0.113.20', 'target')]"
wreg add 'HKLM\SOFTWARE\ScanLink' /v LocalBroadcast /t REG_DWORD /d 1
l1="$(cli /list) $(json "$rows")"
wreg add 'HKLM\SOFTWARE\Policies\ScanLink\R7240' /v LocalBroadcast /t REG_DWORD /d 1
l2="$(cli /list) $(json "$rows")"
wreg delete 'HKLM\SOFTWARE\Policies\ScanLink' && wreg delete 'HKCU\Software\ScanLink' /v LocalBroadcast &&
  wreg add 'HKLM\SOFTWARE\ScanLink' /v LocalBroadcast /t REG_DWORD /d 0
sl_expect_eq "LocalBroadcast: user over machine default, policy subkey over user, machine default over built-in" \
  "$l1|$l2|$(cli /list) $(json "$rows")" "0 [('203.0.113.20', 'target')]|$both|0 [('203.0.113.20', 'target')]"
wreg delete 'HKLM\SOFTWARE\ScanLink' /v LocalBroadcast && wreg add 'HKCU\Software\ScanLink' /v LocalBroadcast /t REG_DWORD /d 0
e2e_start R7240SLK.exe '/trace:C:\nets.log'
out="$(drv wait "$TITLE" + wait-enabled 3010 + click 3019 + wait "Other networks" + text 3022 + type 3022 \
  203.0.113.0/33 + click 1 + text 3023 + sel 3022 + type 3022 203.0.113.16/28 + click 1 + wait "$TITLE" + click 2)"
sl_check "the dialog closes" e2e_wait_exit 15
sl_expect_eq "Other networks: the user's targets shown; a bad line named and selected" \
  "$(grep -E '^(text|sel) 302' <<<"${out//$'\r'/}" | paste -sd'|')" \
  'text 3022 203.0.113.10-203.0.113.40|text 3023 Line 1: a block needs an IPv4 address, "/" and a prefix from 0 to 32.|sel 3022 0 14 focus=1'
sl_expect_eq "... a good list stored as the user's REG_MULTI_SZ, and the search asks it at once" \
  "$(e2e_wine reg query 'HKCU\Software\ScanLink' /v DiscoveryTargets | tr -d '\r' | grep -o 'REG_MULTI_SZ.*' |
  tr -s ' ') $(grep -q 'targets entries=1 counted=16 ' "$E2E_C/nets.log" && echo asked)" "REG_MULTI_SZ 203.0.113.16/28 asked"
e2e_wine reg add 'HKCU\Software\ScanLink' /v DiscoveryTargets /t REG_MULTI_SZ /d 203.0.113.10-203.0.113.40 /f >/dev/null 2>&1
# move_t1 ADDRESS: the routed scanner moves. The router forgets its neighbours: an address the
# sweeps just found empty stays "failed" there for seconds, and a request to it then waits for the
# router's next resolution attempt (up to a second), which would make the check below race it.
move_t1() {
  ip -n "sl-$TAG-t1" addr flush dev eth0 && ip -n "sl-$TAG-t1" addr add "$1/24" dev eth0 &&
    ip -n "sl-$TAG-t1" route replace default via 203.0.113.1 && ip -n "sl-$TAG-r1" neigh flush dev eth1
}
sl_expect_eq "/set ip: of the routed scanner: exit 0" "$(cli /set ip:203.0.113.20)" 0
move_t1 203.0.113.21
sl_expect_eq "/refresh over a refused set: exit 3" "$(cli /refresh /targets:198.18.0.0/20,203.0.113.21)" 3
sl_expect_eq "moved to .21: /refresh follows it through the targets, exit 1" "$(cli /refresh) $(stored | cut -d'|' -f1)" "1  203.0.113.21"

sl_log "host names: 'ip netns exec' mounts /etc/netns/<namespace>/hosts over /etc/hosts (Wine resolves through it)"
HOSTS_DIR="/etc/netns/$SL_LAN_HOST"
mkdir -p "$HOSTS_DIR" && sl_on_exit "rm -rf '$HOSTS_DIR'"
echo "203.0.113.21 mfp-r.example.test" >"$HOSTS_DIR/hosts"
sl_expect_eq "/list /targets:NAME: listed through the host name, found by target" \
  "$(cli /list /targets:mfp-r.example.test) $(json "$rows")" "0 [('203.0.113.21', 'target')]"
sl_expect_eq "/set ip:NAME: resolved, checked, exit 0" "$(cli /set ip:mfp-r.example.test)" 0
sl_expect_contains "... the address stored, the name beside it" "$(stored)" \
  "HostName=mfp-r.example.test IPAddress=203.0.113.21 IPDirectInput=1"
sl_check "... the data file as for a typed address" grep -q '^ 203.0.113.21|02:00:00:00:00:21|0||1|' <<<"$(stored)"
move_t1 203.0.113.22
echo "203.0.113.22 mfp-r.example.test" >"$HOSTS_DIR/hosts"
sl_expect_eq "the name moved with the scanner: /refresh follows the name, exit 1" \
  "$(cli /refresh '/trace:C:\name.log') $(grep -o 'follow decision=host-name-moved' "$E2E_C/name.log")" \
  "1 follow decision=host-name-moved"
sl_expect_contains "... the new address stored, the name kept" "$(stored)" "HostName=mfp-r.example.test IPAddress=203.0.113.22"
sl_expect_eq "a name that does not resolve: exit 3" "$(cli /set ip:gone.example.test)" 3
sl_expect_eq "a typed address: exit 0, HostName removed" \
  "$(cli /set ip:203.0.113.22) $(stored | grep -c HostName=)" "0 0"
e2e_wine reg delete "${E2E_KEY[7240MF]}" /f >/dev/null 2>&1
rm -f "$E2E_C/ProgramData/${E2E_FOLDER[7240MF]}/ScanLink.dat"
e2e_wine reg add 'HKCU\Software\ScanLink' /v DefaultScanner /t REG_SZ /d mfp-r.example.test /f >/dev/null 2>&1
sl_expect_eq "no stored connection, DefaultScanner a name: /refresh stores it as a listed scanner, exit 1" \
  "$(cli /refresh) $(stored | cut -d'|' -f1-5)" "1  203.0.113.22|02:00:00:00:00:21|0||0"
sl_finish
