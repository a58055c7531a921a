#!/bin/bash
# Benchmark (not a test): the address dialog under warm Wine while 500 simulated scanners answer
# its opening request at once (snmp_responder "many": one answer from each of 500 addresses). The
# driver finds the dialog's window (the request went out just before it was shown), then probes it
# every 50 ms for 4 s: the longest wait for an answer to a window message (WM_NULL) during the
# burst (goal 100 ms), and when the 500th row was in the list (goal 1.5 s from the request).
#   bash tests/lan/bench_dialog.sh [RUNS]     (as root, after the builds; default 5 runs)
source "$(dirname "$0")/../lib/common.sh"
source "$(dirname "$0")/e2e_lib.sh"
RUNS="${1:-5}"
COUNT=500
sl_need_root
sl_need_wine
sl_need_cmd Xvfb
RESPONDER="$SL_BUILD_NATIVE/tests/snmp_responder"
[[ -f "$E2E_DRIVER" && -x "$RESPONDER" ]] || sl_skip "needs ui_driver.exe and the native snmp_responder"
sl_xvfb_start
SL_LAN_AGENTS=()
sl_lan_base "bg$$" || sl_fail_now "the virtual LAN did not come up"
sl_lan_node sim 198.18.0.50 02:00:00:00:00:50 || sl_fail_now "no simulator node"
SIM="sl-$SL_LAN_TAG-sim"
# The simulated scanners' addresses: 198.18.1.1 up to 198.18.2.244.
for i in $(seq 0 $((COUNT - 1))); do
  echo "addr add 198.18.$((1 + (i + 1) / 256)).$(((i + 1) % 256))/32 dev eth0"
done | ip -n "$SIM" -b - || sl_fail_now "cannot add the simulated addresses"
ip netns exec "$SIM" "$RESPONDER" many 198.18.1.1 "$COUNT" "$SL_LAN_OID_V0" >"$SL_LAN_DIR/sim.log" 2>&1 &
RESPONDER_PID=$!
sl_on_exit "kill $RESPONDER_PID 2>/dev/null"
for _ in $(seq 100); do grep -q ready "$SL_LAN_DIR/sim.log" && break; sleep 0.1; done
grep -q ready "$SL_LAN_DIR/sim.log" || sl_fail_now "the responder did not start"
e2e_prefix "bg$$" C.UTF-8
e2e_place 7240MF en system
TITLE="VEL MORA chromaline 7240MF Network Scanner Setup"

one_run() {  # prints "LAST_ROW_MS MAX_WAIT_MS SLOW SAMPLES ROWS"
  local out probe
  e2e_start R7240SLK.exe
  out="$(drv --timeout 30000 wait "$TITLE" + probe 4000 3009 3010 + list 3009 | tr -d '\r')"
  drv wait "$TITLE" + click 2 + wait-gone >/dev/null
  e2e_wait_exit 10 || return 1
  probe="$(grep '^probe samples' <<<"$out")"
  echo "$(sed -n 's/^probe last_row_ms=//p' <<<"$out")" \
    "$(sed -n 's/.*max_ms=\([0-9]*\).*/\1/p' <<<"$probe")" "$(sed -n 's/.*slow=\([0-9]*\).*/\1/p' <<<"$probe")" \
    "$(sed -n 's/.*samples=\([0-9]*\).*/\1/p' <<<"$probe")" "$(sed -n 's/^rows //p' <<<"$out")"
}

one_run >/dev/null || sl_fail_now "warm-up run failed"
lasts=()
waits=()
for ((i = 1; i <= RUNS; i++)); do
  read -r last wait slow samples rows <<<"$(one_run)" || sl_fail_now "run $i failed"
  [[ -n "$rows" ]] || sl_fail_now "run $i failed"
  echo "run $i: $rows rows, the last at $last ms; longest wait for a window message $wait ms" \
    "($slow of $samples probes over 100 ms)"
  lasts+=("$last")
  waits+=("$wait")
done
stats() { local s; s="$(printf '%s\n' "$@" | sort -n)"; echo "median $(sed -n "$(( ($# + 1) / 2 ))p" <<<"$s") ms (min $(head -1 <<<"$s"), max $(tail -1 <<<"$s"))"; }
echo "$COUNT scanners at once, warm Wine, $RUNS runs: the last row $(stats "${lasts[@]}") after the window was found"
echo "longest wait for a window message during the burst: $(stats "${waits[@]}")"
sl_run_cleanups
