# Shared shell helpers of the test scripts: results, namespaces, Wine prefixes, Xvfb, screenshots.
# A test script sources this file, does its work and ends with sl_finish (0 pass, 77 skip, 1 fail).

SL_ROOT="${SL_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}"
SL_BUILD_NATIVE="${SL_BUILD_NATIVE:-$SL_ROOT/build/native}"
# SL_ARCH (x64 or x86) picks the Windows build under test; both run in the same kind of prefix, as
# 64-bit Windows runs 32-bit programs. A 32-bit program sees syswow64 as its system directory.
SL_ARCH="${SL_ARCH:-x64}"
SL_BUILD_WIN64="${SL_BUILD_WIN64:-$SL_ROOT/build/windows-$SL_ARCH}"
if [[ "$SL_ARCH" == x86 ]]; then SL_WINE_SYSDIR=syswow64; else SL_WINE_SYSDIR=system32; fi
SL_INSTALL="${SL_INSTALL:-$SL_BUILD_WIN64/install}"
SL_WINE_PROGS="${SL_WINE_PROGS:-$SL_BUILD_WIN64/tests}"
if [[ -z "${SL_RUN_DIR:-}" ]]; then
  SL_RUN_DIR="$(mktemp -d /tmp/scanlink-test.XXXXXX)"
  SL_OWN_RUN_DIR=1
fi
export SL_ROOT SL_ARCH SL_WINE_SYSDIR SL_BUILD_NATIVE SL_BUILD_WIN64 SL_INSTALL SL_WINE_PROGS SL_RUN_DIR
export PATH="/usr/lib/wine:$PATH"
export WINEDEBUG="${WINEDEBUG:--all}"

SL_FAILURES=0
SL_CHECKS=0
SL_CLEANUPS=()

sl_log()  { echo "[$(basename "$0")] $*"; }
sl_skip() { echo "SKIP: $*"; sl_run_cleanups; exit 77; }
sl_fail_now() { echo "FAIL: $*"; sl_run_cleanups; exit 1; }

# sl_check DESCRIPTION COMMAND...: runs the command and records a failed check when it fails.
sl_check() {
  local what="$1"; shift
  SL_CHECKS=$((SL_CHECKS + 1))
  if "$@"; then echo "  ok   $what"; else echo "  FAIL $what"; SL_FAILURES=$((SL_FAILURES + 1)); fi
}
# sl_expect_eq DESCRIPTION ACTUAL EXPECTED
sl_expect_eq() {
  SL_CHECKS=$((SL_CHECKS + 1))
  if [[ "$2" == "$3" ]]; then echo "  ok   $1"
  else
    echo "  FAIL $1"; echo "       expected: $(printf '%q' "$3")"; echo "       actual:   $(printf '%q' "$2")"
    SL_FAILURES=$((SL_FAILURES + 1))
  fi
}
# sl_expect_contains DESCRIPTION HAYSTACK NEEDLE
sl_expect_contains() {
  SL_CHECKS=$((SL_CHECKS + 1))
  if [[ "$2" == *"$3"* ]]; then echo "  ok   $1"
  else
    echo "  FAIL $1"; echo "       expected to contain: $(printf '%q' "$3")"; echo "       actual: $(printf '%q' "$2")"
    SL_FAILURES=$((SL_FAILURES + 1))
  fi
}
sl_finish() {
  sl_run_cleanups
  if ((SL_FAILURES)); then echo "FAILED: $SL_FAILURES of $SL_CHECKS checks"; exit 1; fi
  if ((SL_CHECKS == 0)); then echo "FAIL: no checks ran"; exit 1; fi
  echo "PASSED: $SL_CHECKS checks"; exit 0
}

sl_on_exit() { SL_CLEANUPS+=("$1"); }
sl_run_cleanups() {
  local i
  for ((i = ${#SL_CLEANUPS[@]} - 1; i >= 0; i--)); do eval "${SL_CLEANUPS[$i]}" >/dev/null 2>&1 || true; done
  SL_CLEANUPS=()
  if [[ -n "${SL_OWN_RUN_DIR:-}" ]]; then rm -rf "$SL_RUN_DIR"; fi
}
trap 'sl_run_cleanups' EXIT
trap 'echo "interrupted"; exit 130' INT TERM

sl_need_root()  { [[ $(id -u) -eq 0 ]] || sl_skip "needs root to make network namespaces"; }
sl_need_cmd()   { local c; for c in "$@"; do command -v "$c" >/dev/null 2>&1 || sl_skip "needs $c"; done; }
sl_need_wine()  {
  command -v wine64 >/dev/null 2>&1 || sl_skip "needs wine64 (scripts/deps.sh installs it)"
  [[ $SL_ARCH == x64 ]] || sl_need_32bit
  [[ -x "$SL_INSTALL/ScanLink.exe" ]] || sl_skip "needs the installed Windows build in $SL_INSTALL"
}
# sl_runs_32bit: whether this machine runs 32-bit x86 programs. Some virtual machines' kernels
# refuse them (the 32-bit loader that wine32 brings fails with "Exec format error"); there Wine
# cannot make the 32-bit half of a prefix, and the x86 build cannot run.
sl_runs_32bit() { [[ ! -e /lib/ld-linux.so.2 ]] || /lib/ld-linux.so.2 --version >/dev/null 2>&1 || (($? != 126)); }
sl_need_32bit() { sl_runs_32bit || sl_skip "this machine's kernel does not run 32-bit programs (Exec format error)"; }

# sl_netns_new TAG: makes a network namespace with only a loopback interface (up) and sets SL_NS
# to its name; it is deleted, with every process left in it, when the script ends. (Call it
# directly, not in $(...), so that the clean-up is registered in the script itself.)
sl_netns_new() {
  SL_NS="sl-$1-$$"
  ip netns add "$SL_NS" || sl_fail_now "cannot make network namespace $SL_NS"
  ip -n "$SL_NS" link set lo up
  sl_on_exit "sl_netns_delete $SL_NS"
}
sl_netns_delete() {
  local ns="$1" pids
  pids="$(ip netns pids "$ns" 2>/dev/null)"
  [[ -n "$pids" ]] && kill $pids 2>/dev/null && sleep 0.3
  pids="$(ip netns pids "$ns" 2>/dev/null)"
  [[ -n "$pids" ]] && kill -9 $pids 2>/dev/null
  ip netns delete "$ns" 2>/dev/null
  return 0
}

# sl_need_locale LOCALE...: fails (not skips) when a glibc locale that scripts/deps.sh makes is missing.
sl_need_locale() {
  local l; for l in "$@"; do
    grep -qix "${l%.UTF-8}.utf8" <<<"$(locale -a 2>/dev/null)" || sl_fail_now "no $l locale (scripts/deps.sh makes it)"
  done
}

# sl_wine_template [win32]: prints the path of a prepared Wine prefix, made once per test run
# (inside a loopback-only namespace, so its wineserver never runs in the machine's own namespace);
# win32: a prefix for 32-bit Windows only.
sl_wine_template() {
  local kind="${1:-win64}" tpl="$SL_RUN_DIR/wine-template-${1:-win64}"
  (
    flock 9
    if [[ ! -f "$tpl/.ready" ]]; then
      local ns="sl-tpl-$$"
      ip netns add "$ns" && ip -n "$ns" link set lo up
      rm -rf "$tpl"
      if [[ $kind == win32 ]]; then
        WINEARCH=win32 WINEPREFIX="$tpl" ip netns exec "$ns" wine wineboot -i >/dev/null 2>&1
      else
        WINEPREFIX="$tpl" ip netns exec "$ns" wine64 wineboot -i >/dev/null 2>&1
      fi
      WINEPREFIX="$tpl" ip netns exec "$ns" wineserver -w
      sl_netns_delete "$ns"
      # A 64-bit prefix needs both halves where 32-bit programs run: one made before wine32 was
      # installed cannot start them.
      [[ -f "$tpl/drive_c/windows/system32/kernel32.dll" ]] &&
        { [[ $kind == win32 || -f "$tpl/drive_c/windows/syswow64/kernel32.dll" ]] || ! sl_runs_32bit; } &&
        touch "$tpl/.ready"
    fi
  ) 9>"$tpl.lock"
  [[ -f "$tpl/.ready" ]] || return 1
  echo "$tpl"
}

# sl_prefix NS PREFIX [PREPARE]: a fresh Wine prefix at PREFIX (a copy of the run's template, about
# 1.5 s instead of about 10 s) whose wineserver runs in namespace NS. PREPARE, a function, is
# called with PREFIX before Wine starts in it (what the wineserver must find at its start). Wine's
# services are then started with a throw-away program: they inherit the output of the prefix's
# first program, so that later output can be captured safely. At exit the wineserver is ended and
# the prefix removed. SL_WINE_LOADER=wine gives a prefix for 32-bit Windows only.
sl_prefix() {
  local ns="$1" prefix="$2" tpl
  tpl="$(sl_wine_template "$([[ ${SL_WINE_LOADER:-} == wine ]] && echo win32)")" || sl_fail_now "cannot make a Wine prefix"
  rm -rf "$prefix"; cp -a "$tpl" "$prefix"; rm -f "$prefix/.ready"
  # Clean-ups run in reverse order: the wineserver is ended, waited for, then the prefix removed.
  sl_on_exit "WINEPREFIX='$prefix' ip netns exec '$ns' wineserver -w; rm -rf '$prefix'"
  sl_on_exit "WINEPREFIX='$prefix' ip netns exec '$ns' wineserver -k"
  [[ -z "${3:-}" ]] || "$3" "$prefix"
  WINEPREFIX="$prefix" ip netns exec "$ns" "$SL_ROOT/tests/lib/wine-run" cmd /c exit </dev/null >/dev/null 2>&1
}

# sl_wine NS PREFIX PROGRAM ARGS...: runs a Windows program in namespace NS with the prefix that
# sl_prefix made for NS.
sl_wine() {
  local ns="$1" prefix="$2"; shift 2
  WINEPREFIX="$prefix" ip netns exec "$ns" "$SL_ROOT/tests/lib/wine-run" "$@"
}

# sl_packages: prints the folder of the run's Windows Installer packages of the products the tests
# install (R7240, R7245; both architectures), which the first test that asks for them builds with
# scripts/package.sh from the installed builds (unsigned, not rebuilt).
sl_packages() {
  local dir="$SL_RUN_DIR/packages"
  (
    flock 9
    [[ -f "$dir/.ready" ]] && exit 0
    rm -rf "$dir"
    SCANLINK_PACKAGE_NO_BUILD=1 SCANLINK_PACKAGE_PRODUCTS="R7240 R7245" SCANLINK_PACKAGE_ARCHS="x64 x86" \
      SCANLINK_PACKAGE_DIR="$dir" SCANLINK_SIGN_PFX= \
      bash "$SL_ROOT/scripts/package.sh" >"$dir.log" 2>&1 && touch "$dir/.ready"
  ) 9>"$dir.lock"
  [[ -f "$dir/.ready" ]] || { cat "$dir.log" >&2; return 1; }
  echo "$dir"
}

# sl_xvfb_start: starts a private Xvfb display (unless one is already given in SL_DISPLAY) and
# exports DISPLAY; the server ends with the script.
sl_xvfb_start() {
  if [[ -n "${SL_DISPLAY:-}" ]]; then export DISPLAY="$SL_DISPLAY"; return 0; fi
  command -v Xvfb >/dev/null 2>&1 || sl_skip "needs Xvfb"
  local fifo="$SL_RUN_DIR/xvfb-$$.fd"
  rm -f "$fifo"; mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  local pid=$!
  local num; read -r -t 15 num <"$fifo" || { kill $pid; sl_fail_now "Xvfb did not start"; }
  rm -f "$fifo"
  sl_on_exit "kill $pid"
  export DISPLAY=":$num"
}

# sl_screenshot FILE.png: saves the whole Xvfb screen as a PNG.
sl_screenshot() {
  xwd -root -silent | convert xwd:- "png:$1"
}
