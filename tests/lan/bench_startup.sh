#!/bin/bash
# Benchmark (not a test): the time from starting ScanLink without options to its address dialog
# being shown and answering (the driver reads its list), with three matching scanners on the LAN,
# under warm Wine (the prefix's wineserver and services already running, the program started once
# before); and to the end of the opening search (Search again enabled), which runs with the dialog
# up and waits one quiet second after the last answer.
#   bash tests/lan/bench_startup.sh [RUNS]     (as root; default 7 runs; prints each and the medians)
source "$(dirname "$0")/../lib/common.sh"
source "$(dirname "$0")/e2e_lib.sh"
RUNS="${1:-7}"
e2e_init "bs$$" C.UTF-8 198.18.0.1/16 \
  a1 198.18.0.9 02:00:00:00:00:09 "VEL MORA chromaline 7240MF" "$SL_LAN_OID_V0" \
  a2 198.18.0.10 02:00:00:00:00:10 "VEL MORA chromaline 7240MF 2nd floor" "$SL_LAN_OID_V0" \
  a6 198.18.0.100 02:00:00:00:01:00 "$SL_LAN_OID_V0" "$SL_LAN_OID_OTHER"
e2e_place 7240MF en system
TITLE="VEL MORA chromaline 7240MF Network Scanner Setup"

one_run() {  # prints "SHOWN_MS SEARCH_OVER_MS"
  local t0 t1 t2 out
  t0=$(date +%s%N)
  e2e_start R7240SLK.exe
  out="$(drv --timeout 30000 wait "$TITLE" + list 3009)"
  t1=$(date +%s%N)
  grep -q '^rows [0-3]$' <<<"$out" || { echo "unexpected: $out" >&2; return 1; }
  out="$(drv --timeout 30000 wait "$TITLE" + wait-enabled 3010 + list 3009)"
  t2=$(date +%s%N)
  grep -q '^rows 3$' <<<"$out" || { echo "unexpected: $out" >&2; return 1; }
  drv wait "$TITLE" + click 2 + wait-gone >/dev/null
  e2e_wait_exit 10 || return 1
  echo $(( (t1 - t0) / 1000000 )) $(( (t2 - t0) / 1000000 ))
}

one_run >/dev/null || sl_fail_now "warm-up run failed"
times=()
overs=()
for ((i = 1; i <= RUNS; i++)); do
  read -r ms over <<<"$(one_run)" || sl_fail_now "run $i failed"
  [[ -n "$over" ]] || sl_fail_now "run $i failed"
  echo "run $i: shown and answering $ms ms, opening search over $over ms"
  times+=("$ms")
  overs+=("$over")
done
stats() { local s; s="$(printf '%s\n' "$@" | sort -n)"; echo "median $(sed -n "$(( ($# + 1) / 2 ))p" <<<"$s") ms (min $(head -1 <<<"$s"), max $(tail -1 <<<"$s"))"; }
echo "start-up to the address dialog shown and answering, 3 scanners, warm Wine, $RUNS runs: $(stats "${times[@]}")"
echo "start-up to the opening search over: $(stats "${overs[@]}")"
sl_run_cleanups
