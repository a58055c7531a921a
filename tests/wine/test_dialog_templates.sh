#!/bin/bash
# The dialog templates and icons of the installed resource modules, shown under Wine and driven
# from outside by the end-to-end test driver: every module holds both templates and both icons in
# three sizes; the controls have the IDs, classes and styles the dialogs rely on; the radio
# buttons form one group; and the driver reads and drives list, combo, edit, buttons and boxes.
source "$(dirname "$0")/../lib/common.sh"
sl_need_root
sl_need_wine
sl_need_cmd Xvfb

sl_netns_new dlgtpl
sl_xvfb_start
PREFIX="$SL_RUN_DIR/prefix-templates-$$"
sl_wine_prefix "$PREFIX" || sl_fail_now "no Wine prefix"
cp "$SL_INSTALL"/*.dll "$PREFIX/drive_c/"
HOST="$SL_WINE_PROGS/dialog_host.exe"
DRV="$SL_WINE_PROGS/ui_driver.exe"
drv() { sl_wine "$SL_NS" "$PREFIX" "$DRV" "$@" 2>/dev/null | tr -d '\r'; }
line() { grep -m1 "^$1" <<<"$2"; }

# Every module: both templates, both icons with 16, 32 and 48 pixel images.
modules=()
for f in "$SL_INSTALL"/*RES.dll "$SL_INSTALL"/*RS6.dll; do modules+=("C:\\$(basename "$f")"); done
res="$(sl_wine "$SL_NS" "$PREFIX" "$HOST" --resources "${modules[@]}" | tr -d '\r')"
sl_expect_eq "16 resource modules listed" "$(grep -c 'dialogs=' <<<"$res")" 16
sl_expect_eq "every module holds both templates and both icons in 16, 32 and 48 px" \
  "$(grep -c 'dialogs=3000,3005 icon2015=16,32,48 icon2166=16,32,48$' <<<"$res")" 16

sl_expect_eq "the program itself carries version information" \
  "$(cp "$SL_INSTALL/ScanLink.exe" "$PREFIX/drive_c/" && sl_wine "$SL_NS" "$PREFIX" "$SL_WINE_PROGS/module_probe.exe" 'C:\ScanLink.exe' | tr -d '\r')" \
  "loaded ScanLink.exe"

# Template 3005 with sample content.
sl_wine "$SL_NS" "$PREFIX" "$HOST" 'C:\R7240RS6.dll' 3005 >"$SL_RUN_DIR/host.out" 2>&1 &
host=$!
out="$(drv wait "Scanner address" + control 3009 + control 2152 + control 3008 + control 3010 + control 2153 \
  + control 2154 + state 3006 + list 3009 + columns 3009 + combo 2152 + focus + rect 1 + rect 2 + rect 3009)"
sl_expect_eq "list view is a report list with single selection kept visible" \
  "$(( $(line "control 3009 SysListView32" "$out" | sed 's/.* style=\(0x[0-9A-F]*\).*/\1/') & 0x000F ))" \
  "$(( 0x0001 | 0x0004 | 0x0008 ))"
sl_expect_eq "protocol box is an owner-drawn fixed drop-down list that keeps strings" \
  "$(( $(line "control 2152 ComboBox" "$out" | sed 's/.* style=\(0x[0-9A-F]*\).*/\1/') & 0x0233 ))" \
  "$(( 0x0003 | 0x0010 | 0x0200 ))"
sl_check "address field, search button and both labels exist with their classes" \
  bash -c "grep -q '^control 3008 Edit' <<<'$out' && grep -q '^control 3010 Button' <<<'$out' &&
           grep -q '^control 2153 Static' <<<'$out' && grep -q '^control 2154 Static' <<<'$out'"
sl_expect_eq "input-mode radio starts unchecked" "$(line "state 3006" "$out")" "state 3006 enabled=1 visible=1 checked=0"
sl_expect_eq "driver reads both list rows across processes" "$(grep '^row ' <<<"$out")" \
  $'row 0 0 sample scanner\t192.0.2.10\nrow 1 0 sample scanner\t192.0.2.20'
sl_expect_eq "driver reads the column headers" "$(grep '^column' <<<"$out" | cut -d' ' -f1,2,4-)" \
  $'column 0 Device name\ncolumn 1 Address'
sl_expect_eq "driver reads the combo items with their data" "$(grep -E '^(combo|item)' <<<"$out")" \
  $'combo 2152 count=2 sel=0\nitem 0 0 IPv4\nitem 1 1 IPv6'
sl_expect_eq "the protocol box is the first tab stop" "$(line focus "$out")" "focus 2152"
read -r _ _ okl okt okr okb <<<"$(line "rect 1" "$out")"
read -r _ _ cal cat car cab <<<"$(line "rect 2" "$out")"
read -r _ _ lil lit lir lib <<<"$(line "rect 3009" "$out")"
sl_check "OK and Cancel have the same size, side by side, right-aligned with the list" \
  test $((okr - okl)) -eq $((car - cal)) -a $((okb - okt)) -eq $((cab - cat)) -a "$okt" -eq "$cat" -a "$car" -eq "$lir"

out="$(drv wait "Scanner address" + click 3006 + state 3006 + state 3007 + select-row 3009 1 + list 3009 \
  + type 3008 "10.1" + text 3008 + select-combo 2152 1 + combo 2152)"
sl_expect_eq "radio buttons 3006 and 3007 are one group" \
  "$(grep '^state' <<<"$out")" $'state 3006 enabled=1 visible=1 checked=1\nstate 3007 enabled=1 visible=1 checked=0'
sl_expect_eq "select-row selects exactly that row" "$(grep '^row ' <<<"$out" | cut -d' ' -f1-3)" $'row 0 0\nrow 1 1'
sl_expect_eq "typed text arrives" "$(line "text 3008" "$out")" "text 3008 10.1"
sl_expect_eq "combo selection changed" "$(line "combo 2152" "$out")" "combo 2152 count=2 sel=1"
sl_screenshot "$SL_RUN_DIR/host-3005.png"
out="$(drv wait "Scanner address" + click 1 + close-msgbox + wait-gone)"
sl_expect_eq "click OK, then the message box is read and closed" "$(line msgbox "$out")" $'msgbox host\tok pressed'
wait "$host"
hostout="$(tr -d '\r' <"$SL_RUN_DIR/host.out")"
sl_expect_eq "the family-0 icon loads from the module and is set" "$(line icon "$hostout")" "icon 1 1"
sl_check "the dialog was told of the row selection" grep -q '^itemchanged 1 3$' <<<"$hostout"
sl_check "the dialog was told of the protocol change (CBN_SELCHANGE)" grep -q '^command 2152 1$' <<<"$hostout"
sl_expect_eq "the dialog ended with OK" "$(line result "$hostout")" "result 1"

# Template 3000.
sl_wine "$SL_NS" "$PREFIX" "$HOST" 'C:\R7240RS6.dll' 3000 >"$SL_RUN_DIR/host.out" 2>&1 &
host=$!
out="$(drv wait "Connection" + control 2148 + control 2151 + control 3001 + click 3003 + click 3004 \
  + state 3003 + state 3004 + click 2 + wait-gone)"
sl_check "check box 2148, control 2151 and the question 3001 exist" \
  bash -c "grep -q '^control 2148 Button' <<<'$out' && grep -q '^control 2151 Static' <<<'$out' && grep -q '^control 3001 Static' <<<'$out'"
sl_expect_eq "radio buttons 3003 and 3004 are one group" \
  "$(grep '^state' <<<"$out")" $'state 3003 enabled=1 visible=1 checked=0\nstate 3004 enabled=1 visible=1 checked=1'
wait "$host"
sl_expect_eq "Cancel ends the connection dialog" "$(grep '^result' "$SL_RUN_DIR/host.out" | tr -d '\r')" "result 2"

# The driver fails clearly when a window never appears.
out="$(drv --timeout 500 wait "No such window")"
sl_check "a missing window gives an error, not a hang" grep -q '^error no window' <<<"$out"
sl_finish
