#!/bin/bash
# Benchmark (not a test): one IPv6 discovery pass of variant 0 with the test host's IPv6 on three
# adapters against on one, natively and under Wine. Each adapter reaches the same agent, so three
# adapters list it three times (once per adapter); the passes over the adapters run side by side.
#   bash tests/lan/bench_ipv6_adapters.sh [RUNS]   (as root, after the builds; default 3 runs each)
source "$(dirname "$0")/../lib/common.sh"
source "$(dirname "$0")/lan.sh"

sl_need_root
sl_need_cmd snmpd snmpget
RUNS="${1:-3}"
RUNNER="$SL_BUILD_NATIVE/tests/discover_list"
WINRUNNER="$SL_WINE_PROGS/discover_list.exe"
[[ -x "$RUNNER" ]] || sl_skip "needs the native build"

sl_lan "b6$$" 198.18.0.1/16 a1 198.18.0.9 02:00:00:00:00:09 "VEL MORA chromaline 7240MF" "$SL_LAN_OID_V0" ||
  sl_fail_now "the virtual LAN did not come up"
_sl_lan_port "$SL_LAN_HOST" lan2 02:00:00:00:00:03 || sl_fail_now "no third adapter"

WINE=0
if command -v wine64 >/dev/null 2>&1 && [[ -f "$WINRUNNER" ]]; then
  PREFIX="$SL_RUN_DIR/prefix-bench6-$$"
  sl_prefix "$SL_LAN_HOST" "$PREFIX" && WINE=1
  sl_wine "$SL_LAN_HOST" "$PREFIX" "$WINRUNNER" R7240 0 -1 >/dev/null
fi

measure() {  # measure LABEL: RUNS passes of each build, their wall times and what they listed
  local build out i
  for build in native wine; do
    [[ $build == wine ]] && ((!WINE)) && continue
    for ((i = 1; i <= RUNS; i++)); do
      if [[ $build == native ]]; then out="$(ip netns exec "$SL_LAN_HOST" "$RUNNER" R7240 1 1)"
      else out="$(sl_wine "$SL_LAN_HOST" "$PREFIX" "$WINRUNNER" R7240 1 1 | tr -d '\r')"; fi
      printf '%-14s %-7s run %d: %6d ms, %s listed (%s)\n' "$1" "$build" "$i" "$(sed -n 's/^elapsed_ms //p' <<<"$out")" \
        "$(sed -n 's/^count //p' <<<"$out")" "$(grep '^6|' <<<"$out" | cut -d'|' -f6 | sort | tr '\n' ' ')"
    done
  done
}

measure "three adapters"
# One adapter: IPv6 off on lan0 and lan2, so only lan1 carries it.
ip netns exec "$SL_LAN_HOST" sysctl -qw net.ipv6.conf.lan0.disable_ipv6=1 net.ipv6.conf.lan2.disable_ipv6=1
measure "one adapter"
sl_run_cleanups
exit 0
