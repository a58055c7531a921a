#!/bin/bash
# The run command: builds ScanLink for Windows and starts it, as a user would start it without
# options, under Wine on the virtual scanner LAN of tests/lan, where it finds the scanners.
#   bash scripts/run.sh [en|de|ja]     (as root; the language of the texts, English by default)
# With a reachable desktop (DISPLAY) the window appears there and the LAN stays up until it is
# closed. Without one ScanLink runs on a private Xvfb display: the script saves a screenshot,
# prints where it is, closes the window and tears the LAN down.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"
LANGUAGE="${1:-en}"
case "$LANGUAGE" in en|de|ja) ;; *) echo "usage: bash scripts/run.sh [en|de|ja]" >&2; exit 2 ;; esac
if [[ $(id -u) -ne 0 ]]; then
  echo "scripts/run.sh runs as root: the virtual scanner LAN is made of network namespaces" >&2
  exit 1
fi

bash scripts/deps.sh || { echo "run: could not install the dependencies" >&2; exit 1; }
echo "run: building ScanLink (windows-x64) ..."
mkdir -p build
{ cmake --preset windows-x64 >/dev/null && cmake --build --preset windows-x64 -j2 >build/run-build.log 2>&1 &&
  cmake --install build/windows-x64 >/dev/null; } || { tail -n 30 build/run-build.log; echo "run: build failed" >&2; exit 1; }

# A desktop is used when DISPLAY names one that answers; otherwise a private Xvfb display.
DESKTOP=0
if [[ -n "${DISPLAY:-}" ]] && timeout 5 xwd -root -silent >/dev/null 2>&1; then
  DESKTOP=1
  export SL_DISPLAY="$DISPLAY"
  E2E_VIRTUAL_DESKTOP=0   # the window goes straight onto the user's desktop
fi

export SL_ROOT="$ROOT"
source tests/lib/common.sh
source tests/lan/e2e_lib.sh
wine_lang=C.UTF-8
[[ "$LANGUAGE" == ja ]] && wine_lang=ja_JP.UTF-8   # code page 932 (the locale comes from scripts/deps.sh)

echo "run: starting the virtual scanner LAN and a Wine prefix ..."
e2e_init "run$$" "$wine_lang"
e2e_place 7240MF "$LANGUAGE" system
TITLE="$(sl_product_title R7240 "strings/$LANGUAGE/R7240STR.tbl")"

echo "run: starting R7240SLK.exe (the $(sl_product R7240 MODEL)'s ScanLink, no options) under Wine ..."
e2e_start R7240SLK.exe
found="$(drv --timeout 60000 wait "$TITLE" + wait-enabled 3010 + list 3009)"
if ! grep -q '^window' <<<"$found"; then
  echo "run: the ScanLink window did not appear; its output:" >&2
  cat "$SL_RUN_DIR/scanlink.out" >&2
  exit 1
fi
echo "run: ScanLink found $(sed -n 's/^rows //p' <<<"$found") scanner(s) of its model on the virtual LAN:"
sed -n 's/^row [0-9]* [01] /  /p' <<<"$found" | tr '\t' ' '

if ((DESKTOP)); then
  echo "run: the window is on your desktop ($DISPLAY); the LAN stays up until you close it."
  while ! e2e_wait_exit 60; do :; done
else
  shot="$ROOT/build/run/scanlink-$LANGUAGE.png"
  mkdir -p "$(dirname "$shot")"
  if e2e_shot "$TITLE" "$shot"; then echo "run: no desktop, so ScanLink ran on Xvfb; screenshot: $shot"
  else echo "run: the screenshot failed" >&2; fi
  drv wait "$TITLE" + click 2 + wait-gone >/dev/null
  e2e_wait_exit 10 || e2e_stop
fi
sl_run_cleanups
echo "run: ScanLink ended; the virtual LAN is torn down."
