#!/bin/bash
# Benchmark (not a test): what SNMPv3 costs under warm Wine on the virtual LAN.
#   bash tests/lan/bench_snmpv3.sh [RUNS]     (as root, after the Windows build; default 5 runs)
# 1. /set ip: of a live SNMPv1 scanner against /set ip: of a live SNMPv3-only scanner (SHA-256, AES):
#    the wall time of each, median of RUNS, and the difference (engine discovery, key localisation,
#    the signed and encrypted request).
# 2. A search of 100 SNMPv3-only agents (one net-snmp agent answering on 100 addresses, asked as
#    discovery targets under SnmpVersion v3): from the first request to the 100th row listed, read
#    from the trace's times, median of RUNS.
source "$(dirname "$0")/../lib/common.sh"
source "$(dirname "$0")/e2e_lib.sh"
RUNS="${1:-5}"
TAG="b3$$"
USERS='createUser scan256 SHA-256 "maple-syrup-256" AES "privacy-pass-12"
rouser scan256 priv'
e2e_init "$TAG" C.UTF-8 198.51.100.1/24 \
  s1 198.51.100.30 02:00:00:00:00:30 "VEL MORA chromaline 7240MF" "$SL_LAN_OID_V0"
SL_LAN_AGENT_CONF="$USERS" SL_LAN_COMMUNITY="n0t-known" sl_lan_agent v3 198.51.100.20 02:00:00:00:00:20 \
  "VEL MORA chromaline 7240MF" "$SL_LAN_OID_V0" || sl_fail_now "the SNMPv3 agent did not start"
SL_LAN_AGENT_CONF="$USERS" SL_LAN_COMMUNITY="n0t-known" sl_lan_agent many 198.51.100.100 02:00:00:00:01:00 \
  "VEL MORA chromaline 7240MF" "$SL_LAN_OID_V0" || sl_fail_now "the many-address agent did not start"
for i in $(seq 101 199); do ip -n "sl-$TAG-many" addr add "198.51.100.$i/24" dev eth0; done
sl_lan_wait_agents || sl_fail_now "the agents do not answer"
e2e_place 7240MF en system
cp "$SL_INSTALL/ScanLink.exe" "$E2E_C/ScanLink/R7240SLK.exe"
run() { e2e_wine 'C:\ScanLink\R7240SLK.exe' "$@" >/dev/null 2>&1 </dev/null; }
median() { sort -n | sed -n "$(( (RUNS + 1) / 2 ))p"; }

# wall NAME EXPECTED-EXIT ARGS...: "WALL INSIDE": the medians of RUNS runs (after one to warm up) of
# the wall time and of the program's own time (its trace's exit line), in ms.
wall() {
  local name="$1" expected="$2" times=() inside=() i t0 rc
  shift 2
  for ((i = 0; i <= RUNS; i++)); do
    t0=$(date +%s%N)
    run "$@" '/trace:C:\t.log'
    rc=$?
    [[ "$rc" == "$expected" ]] || sl_fail_now "$name: exit $rc, expected $expected"
    ((i > 0)) || continue
    times+=($(( ($(date +%s%N) - t0) / 1000000 )))
    inside+=("$(sed -n 's/^\([0-9]*\) exit .*/\1/p' "$E2E_C/t.log")")
  done
  echo "$(printf '%s\n' "${times[@]}" | median) $(printf '%s\n' "${inside[@]}" | median)"
}
read -r v1 v1in <<<"$(wall "/set of the SNMPv1 scanner" 0 /set ip:198.51.100.30)"
printf 'maple-syrup-256\r\nprivacy-pass-12\r\n' | e2e_wine 'C:\ScanLink\R7240SLK.exe' /credentials user:scan256 \
  auth:SHA-256 priv:AES >/dev/null 2>&1 || sl_fail_now "/credentials failed"
read -r v3 v3in <<<"$(wall "/set of the SNMPv3 scanner" 0 /set ip:198.51.100.20)"
printf '%-50s median %4d ms wall, %4d ms inside the program\n' "/set ip: of a live SNMPv1 scanner" "$v1" "$v1in" \
  "/set ip: of a live SNMPv3 scanner (SHA-256, AES)" "$v3" "$v3in"
printf '%-50s        %4d ms wall, %4d ms inside the program\n' "SNMPv3's extra time" "$((v3 - v1))" "$((v3in - v1in))"

e2e_wine reg add 'HKCU\Software\ScanLink' /v SnmpVersion /t REG_SZ /d v3 /f >/dev/null 2>&1
e2e_wine reg add 'HKCU\Software\ScanLink' /v LocalBroadcast /t REG_DWORD /d 0 /f >/dev/null 2>&1
rows=() ; for ((i = 0; i < RUNS; i++)); do
  run /list /targets:198.51.100.100-198.51.100.199 '/out:C:\many.json' '/trace:C:\many.log'
  listed="$(grep -c ' verdict=listed' "$E2E_C/many.log")"
  [[ "$listed" == 100 ]] || { grep -v " setting" "$E2E_C/many.log" | head -30; sl_fail_now "the search listed $listed of the 100 SNMPv3 agents"; }
  first="$(grep -m1 ' request ' "$E2E_C/many.log" | cut -d' ' -f1)"
  last="$(grep ' verdict=listed' "$E2E_C/many.log" | sed -n 100p | cut -d' ' -f1)"
  rows+=($((last - first)))
done
printf '%-52s median %5d ms  (%s)\n' "100 SNMPv3 agents: first request to the 100th row" \
  "$(printf '%s\n' "${rows[@]}" | median)" "${rows[*]}"
sl_run_cleanups
