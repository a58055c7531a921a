#!/bin/bash
# Benchmark (not a test): sweeps of discovery targets under warm Wine on the virtual LAN: /list with
# /targets: a /24 and a /22 (1024 addresses) holding 20 scanners, LocalBroadcast 0 so that only the
# targets are asked. Twice: on the PC's own network (one net-snmp agent answering on 198.18.0.10-29,
# at the start of the sweep), and behind a router (one agent answering on 20 addresses spread over
# 198.18.7.0/24, the end of 198.18.4.0/22). For each: the wall time, the program's own time, the
# time from the first request to the 20th row and the peak request rate (most requests within one
# second, and within 100 ms; from the trace), medians of RUNS runs, and the datagrams the router
# dropped over all runs because its neighbour table was full. Then the address dialog with each
# /22 as the user's DiscoveryTargets: the longest wait for an answer to a window message during the
# first 6 s of its sweep (probed every 50 ms; goal 100 ms), when the last row came and the rows of each run.
#   bash tests/lan/bench_targets.sh [RUNS]     (as root, after the Windows build; default 5 runs)
source "$(dirname "$0")/../lib/common.sh"
source "$(dirname "$0")/e2e_lib.sh"
RUNS="${1:-5}"
TAG="bt$$"
e2e_init "$TAG" C.UTF-8 198.51.100.1/24 \
  s1 198.51.100.30 02:00:00:00:00:30 "VEL MORA chromaline 7240MF" "$SL_LAN_OID_V0"
sl_lan_agent many 198.18.0.10 02:00:00:00:01:00 "VEL MORA chromaline 7240MF" "$SL_LAN_OID_V0" ||
  sl_fail_now "the agent did not start"
ip -n "sl-$TAG-many" addr flush dev eth0
for i in $(seq 10 29); do ip -n "sl-$TAG-many" addr add "198.18.0.$i/22" dev eth0; done
ip -n "$SL_LAN_HOST" addr add 198.18.0.1/22 dev lan0
sl_lan_routed_network 198.51.100.254 198.18.4.1 198.18.4.0/22 &&
  sl_lan_agent far 198.18.7.10 02:00:00:00:02:00 "VEL MORA chromaline 7240MF" "$SL_LAN_OID_V0" ||
  sl_fail_now "the routed network did not come up"
ip -n "sl-$TAG-far" addr flush dev eth0
for i in $(seq 10 12 226) 254; do ip -n "sl-$TAG-far" addr add "198.18.7.$i/22" dev eth0; done
ip -n "sl-$TAG-far" route replace default via 198.18.4.1
SL_LAN_AGENTS=(198.18.0.12/harbor 198.18.7.254/harbor)
sl_lan_wait_agents || sl_fail_now "the agents do not answer"
e2e_place 7240MF en system
cp "$SL_INSTALL/ScanLink.exe" "$E2E_C/ScanLink/R7240SLK.exe"
e2e_wine reg add 'HKCU\Software\ScanLink' /v LocalBroadcast /t REG_DWORD /d 0 /f >/dev/null 2>&1
median() { sort -n | sed -n "$(( (RUNS + 1) / 2 ))p"; }
# How often the router could not make a neighbour entry (it then drops the datagram), so far.
overflows() { ip -n "sl-$TAG-r1" -s ntable show name arp_cache | grep -o -m1 'table_fulls [0-9]*' | cut -d' ' -f2; }

sweep() {  # sweep TARGETS: one line of medians
  local walls=() insides=() rows=() second=() tenth=() i t0 first last full0="$(overflows)"
  for ((i = 0; i <= RUNS; i++)); do
    t0=$(date +%s%N)
    e2e_wine 'C:\ScanLink\R7240SLK.exe' /list "/targets:$1" '/out:C:\t.json' '/trace:C:\t.log' >/dev/null 2>&1 </dev/null
    [[ "$(grep -c ' verdict=listed' "$E2E_C/t.log")" == 20 ]] || sl_fail_now "$1: not all 20 scanners listed"
    ((i > 0)) || continue
    walls+=($(( ($(date +%s%N) - t0) / 1000000 )))
    insides+=("$(sed -n 's/^\([0-9]*\) exit .*/\1/p' "$E2E_C/t.log")")
    first="$(grep -m1 ' request ' "$E2E_C/t.log" | cut -d' ' -f1)"
    last="$(grep ' verdict=listed' "$E2E_C/t.log" | sed -n 20p | cut -d' ' -f1)"
    rows+=($((last - first)))
    read -r s t < <(grep ' request ' "$E2E_C/t.log" | cut -d' ' -f1 | awk '{ at[NR] = $1 }
      END { for (i = 1; i <= NR; i++) { while (at[i] - at[j + 1] >= 1000) j++; while (at[i] - at[k + 1] >= 100) k++;
            if (i - j > s) s = i - j; if (i - k > t) t = i - k } print s, t }')
    second+=("$s") tenth+=("$t")
  done
  printf '%-20s wall %5d ms, inside %5d ms, 20th row %5d ms after the first request, peak %3d requests/s (%d in 100 ms); router drops %d\n' \
    "$1" "$(printf '%s\n' "${walls[@]}" | median)" "$(printf '%s\n' "${insides[@]}" | median)" \
    "$(printf '%s\n' "${rows[@]}" | median)" "$(printf '%s\n' "${second[@]}" | median)" \
    "$(printf '%s\n' "${tenth[@]}" | median)" "$(($(overflows) - full0))"
}
echo "on the PC's own network, scanners at the start of the sweep:"
sweep 198.18.0.0/24
sweep 198.18.0.0/22
echo "behind a router, scanners spread over the last /24 of the /22:"
sweep 198.18.7.0/24
sweep 198.18.4.0/22

dialog() {  # dialog TARGETS: one line of medians
  local waits=() lasts=() rows=() i out
  e2e_wine reg add 'HKCU\Software\ScanLink' /v DiscoveryTargets /t REG_MULTI_SZ /d "$1" /f >/dev/null 2>&1
  for ((i = 0; i <= RUNS; i++)); do
    e2e_start R7240SLK.exe
    out="$(drv --timeout 30000 wait "VEL MORA chromaline 7240MF Network Scanner Setup" + probe 6000 3009 3010 + list 3009)"
    drv wait "VEL MORA chromaline 7240MF Network Scanner Setup" + click 2 + wait-gone >/dev/null
    e2e_wait_exit 10 || sl_fail_now "the dialog did not close"
    ((i > 0)) || continue
    rows+=("$(grep -c '^row ' <<<"$out")")
    waits+=("$(sed -n 's/^probe samples.*max_ms=\([0-9]*\).*/\1/p' <<<"$out")")
    lasts+=("$(sed -n 's/^probe last_row_ms=//p' <<<"$out")")
  done
  printf '%-30s longest wait for a window message %4d ms, the last row %5d ms after the window was found; rows %s\n' \
    "$1" "$(printf '%s\n' "${waits[@]}" | median)" "$(printf '%s\n' "${lasts[@]}" | median)" "${rows[*]}"
}
echo "the address dialog during the sweep (DiscoveryTargets):"
dialog 198.18.0.0/22
dialog 198.18.4.0/22
sl_run_cleanups
