#!/bin/bash
# The test command: installs what is missing, builds every configuration and runs every test.
#   bash scripts/test.sh            everything
#   bash scripts/test.sh PATTERN..  only the steps whose names contain one of the patterns
#                                   (the builds always run), e.g. "unit" or "lan/"
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"

if [[ $(id -u) -ne 0 ]]; then
  echo "scripts/test.sh runs as root: the tests build network namespaces" >&2
  exit 1
fi
bash scripts/deps.sh || { echo "ScanLink tests: FAILED (could not install dependencies)"; exit 1; }

export SL_ROOT="$ROOT"
export SL_RUN_DIR="$(mktemp -d /tmp/scanlink-run.XXXXXX)"
source tests/lib/common.sh
trap 'rm -rf "$SL_RUN_DIR"' EXIT

PATTERNS=("$@")
declare -a NAMES=() STATES=() TIMES=()
LOGDIR="$ROOT/build/test-logs"
mkdir -p "$LOGDIR"

selected() {
  local name="$1" p
  ((${#PATTERNS[@]} == 0)) && return 0
  for p in "${PATTERNS[@]}"; do [[ "$name" == *"$p"* ]] && return 0; done
  return 1
}

# step NAME COMMAND...: runs one step, logs its output, records pass (0), skip (77) or fail.
step() {
  local name="$1"; shift
  local log="$LOGDIR/${name//\//_}.log" start=$SECONDS rc state
  echo "=== $name"
  # timeout cannot run shell functions: the step runs in a fresh bash that has this script's
  # functions and the shared helpers.
  timeout 1800 bash -c "source tests/lib/common.sh; $(declare -f build in_loopback_ns wine_unit_tests); \"\$@\"" \
    step "$@" >"$log" 2>&1 </dev/null
  rc=$?
  case $rc in
    0) state=PASS ;;
    77) state=SKIP ;;
    *) state=FAIL ;;
  esac
  NAMES+=("$name"); STATES+=("$state"); TIMES+=("$((SECONDS - start))")
  if [[ $state == FAIL ]]; then tail -n 60 "$log"; fi
  if [[ $state == SKIP ]]; then grep -m1 '^SKIP' "$log"; fi
  echo "--- $name: $state ($((SECONDS - start)) s, log: ${log#$ROOT/})"
  return 0
}

build() {
  local preset="$1"
  cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j"$(nproc)"
}

# In a loopback-only namespace: nothing a test starts can reach a real network.
in_loopback_ns() {
  local ns="sl-unit-$$-$RANDOM"
  ip netns add "$ns" && ip -n "$ns" link set lo up
  ip netns exec "$ns" "$@"; local rc=$?
  sl_netns_delete "$ns"
  return $rc
}

# wine_unit_tests [ARCH]: the unit suite of the windows-ARCH build (x64 unless given) under Wine.
wine_unit_tests() {
  local arch="${1:-x64}"
  if [[ $arch == x86 ]] && ! sl_can_run_32bit; then
    echo "SKIP: this machine does not run 32-bit programs (its kernel refuses i386 executables)"
    return 77
  fi
  local prefix="$SL_RUN_DIR/prefix-unit-$arch"
  sl_wine_prefix "$prefix" || return 1
  local ns="sl-wunit-$arch-$$"
  ip netns add "$ns" && ip -n "$ns" link set lo up
  WINEPREFIX="$prefix" ip netns exec "$ns" wine64 cmd /c exit </dev/null >/dev/null 2>&1
  WINEPREFIX="$prefix" ip netns exec "$ns" ctest --test-dir "build/windows-$arch" --output-on-failure
  local rc=$?
  WINEPREFIX="$prefix" ip netns exec "$ns" wineserver -k 2>/dev/null
  sl_netns_delete "$ns"
  return $rc
}

step build/native build native
step build/windows-x64 bash -c "$(declare -f build); build windows-x64 && cmake --install build/windows-x64 >/dev/null"
step build/windows-x86 bash -c "$(declare -f build); build windows-x86 && cmake --install build/windows-x86 >/dev/null"

selected unit/native && step unit/native in_loopback_ns ctest --test-dir build/native --output-on-failure
selected unit/windows && step unit/windows wine_unit_tests
selected x86/unit/windows && step x86/unit/windows wine_unit_tests x86

for t in tests/wine/test_*.sh tests/lan/test_*.sh; do
  [[ -e "$t" ]] || continue
  name="${t#tests/}"; name="${name%.sh}"
  selected "$name" && step "$name" bash "$t"
done
# The x86 build under Wine's 32-bit support: start-up and one end-to-end run (its own test driver,
# since a 64-bit driver cannot read a 32-bit program's list view).
for t in tests/wine/test_startup.sh tests/lan/test_e2e_standalone.sh; do
  name="x86/${t#tests/}"; name="${name%.sh}"
  selected "$name" && step "$name" env SL_ARCH=x86 SL_BUILD_WIN64="$ROOT/build/windows-x86" \
    SL_INSTALL="$ROOT/build/windows-x86/install" SL_WINE_PROGS="$ROOT/build/windows-x86/tests" bash "$t"
done

echo
echo "Summary:"
pass=0; skip=0; fail=0
for i in "${!NAMES[@]}"; do
  printf '  %-4s %-40s %4s s\n' "${STATES[$i]}" "${NAMES[$i]}" "${TIMES[$i]}"
  case ${STATES[$i]} in PASS) pass=$((pass+1));; SKIP) skip=$((skip+1));; FAIL) fail=$((fail+1));; esac
done
if ((fail)); then
  echo "ScanLink tests: FAILED ($fail failed, $pass passed, $skip skipped)"
  exit 1
fi
echo "ScanLink tests: PASSED ($pass passed, $skip skipped)"
