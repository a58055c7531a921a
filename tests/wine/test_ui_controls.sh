#!/bin/bash
# The real controls in a real dialog under Wine (Xvfb), driven by tests/wine/progs/ui_controls.cpp;
# saves build/screenshots/ui-combo.png (the dropped box, its separator) and ui-scaled.png (scaled
# by 1.5). Typing into the field (both filters, code page 932) is covered by tests/lan/test_e2e_*.sh.
source "$(dirname "$0")/../lib/common.sh"
sl_need_root
sl_need_wine
sl_need_cmd Xvfb convert
PROG="$SL_WINE_PROGS/ui_controls.exe"
[[ -f "$PROG" ]] || sl_skip "needs $PROG (the Windows build)"
SHOTS="$SL_ROOT/build/screenshots" WORK="$SL_RUN_DIR/ui-$$" PREFIX="$SL_RUN_DIR/ui-$$/prefix"
mkdir -p "$SHOTS" "$WORK/shots"
sl_on_exit "rm -rf '$WORK'"
echo "STR_RATIO_DLG_SETIP=1.5" >"$WORK/ui.tbl"

sl_xvfb_start
sl_netns_new ui
sl_prefix "$SL_NS" "$PREFIX"
# No window manager runs: Wine draws the window frames and captions itself.
sl_wine "$SL_NS" "$PREFIX" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
OUT="$WORK/out.txt" WIN="Z:${WORK//\//\\}"
WINEPREFIX="$PREFIX" timeout 120 ip netns exec "$SL_NS" "$SL_ROOT/tests/lib/wine-run" "$PROG" "$WIN\\ui.tbl" \
  "$WIN\\shots" >"$OUT" 2>&1 </dev/null
sl_expect_eq "program exit code" "$?" "0"
sed 's/^/    /' "$OUT"
sl_expect_eq "checks passed, none failed" "$(grep -c '^PASS' "$OUT") $(grep -c '^FAIL' "$OUT")" "9 0"
for name in combo scaled; do  # each picture must show something (more than a handful of colours)
  convert "$WORK/shots/$name.bmp" "$SHOTS/ui-$name.png" 2>/dev/null
  colours="$(convert "$SHOTS/ui-$name.png" -format %k info: 2>/dev/null || echo 0)"
  sl_check "screenshot build/screenshots/ui-$name.png saved ($colours colours)" test "${colours:-0}" -gt 8
done
sl_finish
