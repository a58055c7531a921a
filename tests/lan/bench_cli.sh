#!/bin/bash
# Benchmark (not a test): the wall time of each command-line mode under warm Wine on a small LAN
# (198.51.100.0/24, three 7240MF scanners), from the program's start to its end, median of RUNS runs.
#   bash tests/lan/bench_cli.sh [RUNS]     (as root, after the Windows build; default 5 runs)
# The floors: a unicast check waits 1 s per unanswered request (two requests), the command line's
# search pass ends 0.7 s after its second request (sent at 0.3 s), /refresh runs both side by side,
# and start-up under warm Wine takes some 0.2-0.3 s.
source "$(dirname "$0")/../lib/common.sh"
source "$(dirname "$0")/e2e_lib.sh"
RUNS="${1:-5}"
TAG="bc$$"
e2e_init "$TAG" C.UTF-8 198.51.100.1/24 \
  s1 198.51.100.20 02:00:00:00:00:20 "VEL MORA chromaline 7240MF" "$SL_LAN_OID_V0" \
  s2 198.51.100.30 02:00:00:00:00:30 "VEL MORA chromaline 7240MF annex" "$SL_LAN_OID_V0" \
  s3 198.51.100.35 02:00:00:00:00:35 "VEL MORA chromaline 7240MF floor 2" "$SL_LAN_OID_V0"
e2e_place 7240MF en system
cp "$SL_INSTALL/ScanLink.exe" "$E2E_C/ScanLink/R7240SLK.exe"

# measure NAME EXPECTED-EXIT SETUP-COMMAND ARGS...: runs SETUP-COMMAND, then the program; prints ms.
measure() {
  local name="$1" expected="$2" setup="$3" times=() i t0 t1 rc
  shift 3
  for ((i = 0; i <= RUNS; i++)); do
    eval "$setup"
    t0=$(date +%s%N)
    e2e_wine 'C:\ScanLink\R7240SLK.exe' "$@" >"$SL_RUN_DIR/bench.out" 2>/dev/null </dev/null
    rc=$?
    t1=$(date +%s%N)
    [[ "$rc" == "$expected" ]] || sl_fail_now "$name: exit $rc, expected $expected"
    ((i > 0)) && times+=($(( (t1 - t0) / 1000000 )))  # the first run warms up
  done
  printf '%-44s exit %s  median %5d ms  (min %d, max %d, %d runs)\n' "$name" "$expected" \
    "$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (RUNS + 1) / 2 ))p")" \
    "$(printf '%s\n' "${times[@]}" | sort -n | head -1)" "$(printf '%s\n' "${times[@]}" | sort -n | tail -1)" "$RUNS"
}

move_to() {  # move_to LAST-OCTET: the scanner s1 gets 198.51.100.LAST
  ip -n "sl-$TAG-s1" -4 addr flush dev eth0
  ip -n "sl-$TAG-s1" addr add "198.51.100.$1/24" dev eth0
  ip -n "sl-$TAG-s1" route replace default dev eth0
}
# Before each /refresh run: the scanner back at .20 and up, and stored with its MAC by /set.
STORE20="ip -n sl-$TAG-s1 link set eth0 up; move_to 20; e2e_wine 'C:\\ScanLink\\R7240SLK.exe' /set ip:198.51.100.20 >/dev/null 2>&1 </dev/null"

measure "/list (one pass, 3 scanners)" 0 : /list
measure "/set ip: of a live scanner" 0 : /set ip:198.51.100.30
measure "/set ip: where nothing answers" 1 : /set ip:198.51.100.77
measure "/refresh, at its stored address" 0 "$STORE20" /refresh
measure "/refresh, moved (unicast misses, search)" 1 "$STORE20; move_to 60" /refresh
measure "/refresh, switched off" 2 "$STORE20; ip -n sl-$TAG-s1 link set eth0 down" /refresh
sl_run_cleanups
