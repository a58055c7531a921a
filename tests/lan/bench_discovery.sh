#!/bin/bash
# Benchmark of discovery on the virtual LAN (not a test: it asserts nothing and is not run by the
# test command). For N simulated scanners answering one broadcast at once (our snmp_responder,
# one answer from each of N addresses), it runs one IPv4 pass of variant 0 natively and under
# Wine and prints the pass's wall time (measured around RunDiscovery: the request, every answer
# taken, then the one-second quiet wait), what is left of it after the quiet second, whether the
# pass was over within 1.5 s of its request, and how many answers were listed.
# Run as root after the builds: bash tests/lan/bench_discovery.sh [N ...]
source "$(dirname "$0")/../lib/common.sh"
source "$(dirname "$0")/lan.sh"

sl_need_root
COUNTS=("$@")
((${#COUNTS[@]})) || COUNTS=(10 100 500)
RUNNER="$SL_BUILD_NATIVE/tests/discover_list"
WINRUNNER="$SL_WINE_PROGS/discover_list.exe"
RESPONDER="$SL_BUILD_NATIVE/tests/snmp_responder"
[[ -x "$RUNNER" && -x "$RESPONDER" ]] || sl_skip "needs the native build"

sl_lan "bd$$" 198.18.0.1/16 || sl_fail_now "the virtual LAN did not come up"
sl_lan_node sim 198.18.0.50 02:00:00:00:00:50 || sl_fail_now "no simulator node"
SIM="sl-$SL_LAN_TAG-sim"
# 500 further addresses for the simulated scanners: 198.18.1.1 up to 198.18.2.244.
for i in $(seq 0 499); do
  echo "addr add 198.18.$((1 + (i + 1) / 256)).$(((i + 1) % 256))/32 dev eth0"
done | ip -n "$SIM" -b - || sl_fail_now "cannot add the simulated addresses"

WINE=0
if command -v wine64 >/dev/null 2>&1 && [[ -f "$WINRUNNER" ]]; then
  PREFIX="$SL_RUN_DIR/prefix-bench-$$"
  sl_prefix "$SL_LAN_HOST" "$PREFIX" && WINE=1
  sl_wine "$SL_LAN_HOST" "$PREFIX" "$WINRUNNER" R7240 0 -1 >/dev/null
fi

RESPONDER_PID=""
start_responder() {
  [[ -n "$RESPONDER_PID" ]] && kill "$RESPONDER_PID" 2>/dev/null && wait "$RESPONDER_PID" 2>/dev/null
  : >"$SL_LAN_DIR/sim.log"
  ip netns exec "$SIM" "$RESPONDER" many 198.18.1.1 "$1" "$SL_LAN_OID_V0" >"$SL_LAN_DIR/sim.log" 2>&1 &
  RESPONDER_PID=$!
  for _ in $(seq 100); do grep -q ready "$SL_LAN_DIR/sim.log" && return 0; sleep 0.1; done
  sl_fail_now "the responder did not start: $(cat "$SL_LAN_DIR/sim.log")"
}

report() {  # report BUILD N OUTPUT
  local ms count
  ms="$(sed -n 's/^elapsed_ms //p' <<<"$3")"
  count="$(sed -n 's/^count //p' <<<"$3")"
  awk -v b="$1" -v n="$2" -v ms="$ms" -v c="$count" \
    'BEGIN { printf "%-8s %5d %9.3f %12d %8s %7d\n", b, n, ms / 1000, ms - 1000, ms <= 1500 ? "yes" : "no", c }'
}

printf '%-8s %5s %9s %12s %8s %7s\n' build N "pass (s)" "- quiet (ms)" "<=1.5 s" listed
for n in "${COUNTS[@]}"; do
  start_responder "$n"
  report native "$n" "$(ip netns exec "$SL_LAN_HOST" "$RUNNER" R7240 1 0)"
  if ((WINE)); then
    report wine "$n" "$(sl_wine "$SL_LAN_HOST" "$PREFIX" "$WINRUNNER" R7240 1 0 | tr -d '\r')"
  fi
done
kill "$RESPONDER_PID" 2>/dev/null
sl_run_cleanups
exit 0
