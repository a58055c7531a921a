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

# needs STEP: the builds whose results a test step uses.
needs() {
  case "$1" in
    build/* | fuzz/*) ;;
    unit/native) echo native ;;
    x86/*) echo windows-x86 ;;
    # the run's packages (tests/lib/common.sh sl_packages) and the import tables hold both builds
    wine/test_imports | wine/test_signing) echo windows-x64 windows-x86 ;;
    lan/test_packages) echo native windows-x64 windows-x86 ;;
    lan/*) echo native windows-x64 ;;
    *) echo windows-x64 ;;
  esac
}
declare -A BUILT=()

# step NAME COMMAND...: runs one step, logs its output, records pass (0), skip (77) or fail. A test
# step whose build failed is not run and fails.
step() {
  local name="$1"; shift
  local log="$LOGDIR/${name//\//_}.log" start=$SECONDS rc state b failed=""
  echo "=== $name"
  for b in $(needs "$name"); do [[ -n "${BUILT[$b]:-}" ]] || failed+=" build/$b"; done
  if [[ -n "$failed" ]]; then
    echo "FAIL: not run: its build failed:$failed" >"$log"; rc=1
  else
    # timeout cannot run shell functions: the step runs in a fresh bash that has this script's
    # functions and the shared helpers.
    timeout 1800 bash -c "source tests/lib/common.sh; $(declare -f build in_loopback_ns wine_unit_tests fuzz_smoke); \"\$@\"" \
      step "$@" >"$log" 2>&1 </dev/null
    rc=$?
  fi
  case $rc in
    0) state=PASS ;;
    77) state=SKIP ;;
    *) state=FAIL ;;
  esac
  NAMES+=("$name"); STATES+=("$state"); TIMES+=("$((SECONDS - start))")
  [[ $name == build/* && $state == PASS ]] && BUILT[${name#build/}]=1
  if [[ $state == FAIL ]]; then tail -n 60 "$log"; fi
  if [[ $state == SKIP ]]; then grep -m1 '^SKIP' "$log"; fi
  echo "--- $name: $state ($((SECONDS - start)) s, log: ${log#$ROOT/})"
  return 0
}

# build PRESET: builds a configuration; a Windows one is installed into a fresh install folder, so
# that nothing an earlier build left there is tested.
build() {
  local preset="$1"
  cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j"$(nproc)" || return 1
  [[ $preset == native ]] || { rm -rf "build/$preset/install" && cmake --install "build/$preset" >/dev/null; }
}

# In a loopback-only namespace: nothing a test starts can reach a real network.
in_loopback_ns() {
  sl_netns_new unit
  ip netns exec "$SL_NS" "$@"
}

# wine_unit_tests [ARCH]: the unit suite of the windows-ARCH build (x64 unless given) under Wine.
wine_unit_tests() {
  local arch="${1:-x64}" prefix="$SL_RUN_DIR/prefix-unit-${1:-x64}"
  [[ $arch == x64 ]] || sl_need_32bit
  sl_netns_new "wunit-$arch"
  sl_prefix "$SL_NS" "$prefix"
  WINEPREFIX="$prefix" ip netns exec "$SL_NS" ctest --test-dir "build/windows-$arch" --output-on-failure
}

# fuzz_smoke: builds the fuzz targets (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for 15 s from its seeds in a loopback-only namespace, so that a target that no
# longer compiles, a crash, a sanitizer report or a broken invariant fails the run. The long runs
# and their figures: docs/robustness.md and docs/discovery.md.
fuzz_smoke() {
  cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j"$(nproc)" || return 1
  sl_netns_new fuzz
  local t corpus
  for t in snmp_answer snmp_v3 string_file command_line; do
    corpus="$SL_RUN_DIR/corpus-$t"
    mkdir -p "$corpus"
    if [[ -d tests/fuzz/seeds/$t ]]; then cp tests/fuzz/seeds/$t/* "$corpus/"; fi
    if [[ $t == string_file ]]; then cp strings/en/R7240STR.tbl "$corpus/"; fi
    echo "--- ${t}_fuzz"
    if ! ip netns exec "$SL_NS" "build/fuzz/tests/${t}_fuzz" -max_total_time=15 -max_len=1100 \
      -print_final_stats=1 "$corpus" >"$corpus.log" 2>&1; then
      tail -n 40 "$corpus.log"
      return 1
    fi
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec)' "$corpus.log"
  done
}

step build/native build native
step build/windows-x64 build windows-x64
step build/windows-x86 build windows-x86

selected unit/native && step unit/native in_loopback_ns ctest --test-dir build/native --output-on-failure
selected unit/windows && step unit/windows wine_unit_tests
selected x86/unit/windows && step x86/unit/windows wine_unit_tests x86
selected fuzz/smoke && step fuzz/smoke fuzz_smoke

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
