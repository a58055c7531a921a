#!/bin/bash
# Benchmark (not a test): the time from starting ScanLink without options to its address dialog
# being shown and answering, on a LAN where no scanner answers, under warm Wine (the prefix's
# wineserver and services already running, the program started once before).
#   bash tests/lan/bench_startup.sh [RUNS]     (as root; default 7 runs; prints each and the median)
# The opening discovery pass alone waits 1 s for answers after its request, so about 1.1 s of the
# figure is that wait.
source "$(dirname "$0")/../lib/common.sh"
source "$(dirname "$0")/e2e_lib.sh"
RUNS="${1:-7}"
sl_need_root
sl_need_wine
sl_need_cmd Xvfb
[[ -f "$E2E_DRIVER" ]] || sl_skip "needs ui_driver.exe (the Windows build)"
sl_xvfb_start
sl_lan_base "bs$$" || sl_fail_now "the virtual LAN did not come up"
e2e_prefix "bs$$" C.UTF-8
e2e_place 7240MF en system
TITLE="VEL MORA chromaline 7240MF Network Scanner Setup"

one_run() {
  local t0 t1 out
  t0=$(date +%s%N)
  e2e_start R7240SLK.exe
  out="$(drv --timeout 30000 wait "$TITLE" + list 3009)"
  t1=$(date +%s%N)
  grep -q '^rows 0$' <<<"$out" || { echo "unexpected: $out" >&2; return 1; }
  drv wait "$TITLE" + click 2 + wait-gone >/dev/null
  e2e_wait_exit 10 || return 1
  echo $(( (t1 - t0) / 1000000 ))
}

one_run >/dev/null || sl_fail_now "warm-up run failed"
times=()
for ((i = 1; i <= RUNS; i++)); do
  ms="$(one_run)" || sl_fail_now "run $i failed"
  echo "run $i: $ms ms"
  times+=("$ms")
done
median="$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (RUNS + 1) / 2 ))p")"
echo "start-up to the address dialog shown, no scanner answering, warm Wine: median $median ms of $RUNS runs" \
     "(min $(printf '%s\n' "${times[@]}" | sort -n | head -1), max $(printf '%s\n' "${times[@]}" | sort -n | tail -1))"
sl_run_cleanups
