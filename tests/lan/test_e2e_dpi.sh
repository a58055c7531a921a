#!/bin/bash
# Both dialogs at 96 and at 144 DPI (Wine's LogPixels, as 150 % scaling on Windows) on the virtual
# LAN: at 144 DPI the dialogs are about 1.5 times as large, every visible control lies within its
# dialog's client area and no two overlap, the protocol box's field and the list are readable;
# screenshots of both dialogs at 144 DPI (docs/screenshots/en/*-144dpi.png in the committed set).
source "$(dirname "$0")/../lib/common.sh"
source "$(dirname "$0")/e2e_lib.sh"
e2e_init "dp$$"
sl_on_exit "e2e_stop"
TITLE="VEL MORA chromaline 7240MF Network Scanner Setup"
DEVICE="VEL MORA chromaline 7240MF"
e2e_place 7240MF en system
e2e_place 7240MF en install

# set_dpi DPI: the DPI that Wine gives the programs started from now on.
set_dpi() {
  e2e_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1
}
# layout_faults LAYOUT: each control outside the client area and each overlapping pair, one a line.
layout_faults() {
  awk '$1 == "client" { w = $2; h = $3 }
       $1 == "control" { id[n] = $2; l[n] = $3; t[n] = $4; r[n] = $5; b[n] = $6; n++ }
       END {
         for (i = 0; i < n; i++) {
           if (l[i] < 0 || t[i] < 0 || r[i] > w || b[i] > h) print "outside: " id[i]
           for (j = i + 1; j < n; j++)
             if (l[i] < r[j] && l[j] < r[i] && t[i] < b[j] && t[j] < b[i]) print "overlap: " id[i] " " id[j]
         }
       }' <<<"$1"
}
client() { pick client "$1" | cut -d' ' -f2,3; }

declare -A WIDTH
for dpi in 96 144; do
  sl_log "$dpi DPI"
  set_dpi "$dpi"
  e2e_start R7240SLK.exe
  # Once the opening search has ended (Search again enabled again): its marquee bar is hidden then.
  out="$(drv wait "$TITLE" + wait-enabled 3010 + layout + list 3009 + combo 2152)"
  sl_expect_eq "$dpi DPI address dialog: all controls inside the dialog, none overlapping" "$(layout_faults "$out")" ""
  sl_expect_eq "$dpi DPI address dialog: twelve controls shown (the status line too)" "$(grep -c '^control ' <<<"$out")" 12
  sl_expect_eq "$dpi DPI: the scanners listed" "$(pick rows "$out")" "rows 3"
  WIDTH[set-$dpi]="$(client "$out")"
  [[ $dpi == 144 ]] && e2e_shot "$TITLE" "$E2E_SHOTS/en/address-dialog-144dpi.png"
  drv wait "$TITLE" + click 2 + wait-gone >/dev/null
  sl_check "$dpi DPI: Cancel ends the program" e2e_wait_exit 10
  e2e_start ScanLink.exe /NoPortSelect 7240MF
  out="$(drv wait "$DEVICE" + layout)"
  sl_expect_eq "$dpi DPI connection dialog: all controls inside the dialog, none overlapping" "$(layout_faults "$out")" ""
  WIDTH[conn-$dpi]="$(client "$out")"
  [[ $dpi == 144 ]] && e2e_shot "$DEVICE" "$E2E_SHOTS/en/connection-dialog-144dpi.png"
  drv wait "$DEVICE" + click 1 + close-msgbox >/dev/null
  e2e_wait_exit 10 || e2e_stop
done
# scale A B: B's client area over A's, in hundredths, width and height.
scale() { awk -v a="$1" -v b="$2" 'BEGIN { split(a, x, " "); split(b, y, " "); printf "%d %d", 100 * y[1] / x[1], 100 * y[2] / x[2] }'; }
for d in set conn; do
  read -r sw sh <<<"$(scale "${WIDTH[$d-96]}" "${WIDTH[$d-144]}")"
  sl_check "$d dialog at 144 DPI is 1.4 to 1.6 times the 96 DPI size (${WIDTH[$d-96]} -> ${WIDTH[$d-144]})" \
    test "$sw" -ge 140 -a "$sw" -le 160 -a "$sh" -ge 140 -a "$sh" -le 160
done
sl_finish
