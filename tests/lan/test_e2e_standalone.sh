#!/bin/bash
# End to end, started without options (the address dialog alone) under Wine on the virtual LAN:
# the matching scanners listed and sorted with the first selected; OK storing the chosen one;
# input mode with a bad address (warning, field selected, nothing stored); Cancel writing
# "IPDlgRet" = 2; IPv6 on the 7245MF listing link-local scanners and storing their adapter; no
# device registered. English screenshots of the address dialog.
source "$(dirname "$0")/../lib/common.sh"
source "$(dirname "$0")/e2e_lib.sh"
e2e_init "es$$"
sl_on_exit "e2e_stop"

TITLE="VEL MORA chromaline 7240MF Network Scanner Setup"
e2e_place 7240MF en system

sl_log "list mode: the matching scanners, sorted, the first selected"
e2e_start R7240SLK.exe
out="$(drv wait "$TITLE" + list 3009 + columns 3009 + combo 2152 + state 3007 + state 3006 + state 3008 \
  + state 2154 + state 3009 + state 3010 + state 2152 + state 1 + state 2 + text 3007 + text 3006 + text 3010)"
sl_expect_eq "three scanners of the 7240MF's identifier (object ID or description), in address-text order" \
  "$(grep '^row ' <<<"$out")" $'row 0 1 chromaline 7240MF\t10.77.0.10\nrow 1 0 chromaline 7240MF\t10.77.0.100\nrow 2 0 chromaline 7240MF\t10.77.0.9'
sl_expect_eq "column headers from the string file" "$(grep '^column' <<<"$out" | cut -d' ' -f1,2,4-)" \
  $'column 0 Scanner\ncolumn 1 Address'
sl_expect_eq "the 7240MF offers IPv4 only" "$(grep -E '^(combo|item)' <<<"$out")" $'combo 2152 count=1 sel=0\nitem 0 0 IPv4'
sl_expect_eq "list mode: list, search and OK enabled, address field and its label disabled" \
  "$(grep '^state' <<<"$out" | cut -d' ' -f2-3,5 | tr '\n' ' ')" \
  "3007 enabled=1 checked=1 3006 enabled=1 checked=0 3008 enabled=0 checked=0 2154 enabled=0 checked=0 3009 enabled=1 checked=0 3010 enabled=1 checked=0 2152 enabled=1 checked=0 1 enabled=1 checked=0 2 enabled=1 checked=0 "
sl_expect_eq "texts from the string file" "$(grep '^text' <<<"$out")" \
  $'text 3007 Choose a scanner found on the network\ntext 3006 Enter the scanner\'s address\ntext 3010 Search Again'
e2e_shot "$TITLE" "$E2E_SHOTS/en/address-dialog.png"
out="$(drv wait "$TITLE" + select-row 3009 -1 + state 1 + select-row 3009 2 + state 1 + list 3009)"
sl_expect_eq "no row selected: OK disabled" "$(pick "state 1" "$out")" "state 1 enabled=0 visible=1 checked=0"
sl_expect_eq "a row selected again: OK enabled" "$(grep '^state 1' <<<"$out" | tail -1)" "state 1 enabled=1 visible=1 checked=0"
out="$(drv wait "$TITLE" + click 3010 + list 3009 + select-row 3009 2)"
sl_expect_eq "Search again lists the same scanners and selects the first again" "$(grep '^row ' <<<"$out" | cut -d' ' -f1-3 | tr '\n' ' ')" \
  "row 0 1 row 1 0 row 2 0 "
out="$(drv wait "$TITLE" + click 1 + wait-gone)"
sl_check "OK closes the dialog" e2e_wait_exit 10
sl_expect_eq "data file: the third scanner, its MAC, IPv4, no adapter, picked from the list" \
  "$(e2e_datafile 7240MF)" "10.77.0.9|02:00:00:00:00:09|0||0|"
sl_expect_eq "registry values" "$(e2e_values 7240MF | tr '\n' ' ')" \
  "AdapName= IPAddress=10.77.0.9 IPDirectInput=0 IPDlgRet=1 MACAddr=02:00:00:00:00:09 ProtocolType=0 "

sl_log "input mode: a bad address is refused, then Cancel"
e2e_start R7240SLK.exe
out="$(drv wait "$TITLE" + click 3006 + state 3008 + state 2154 + state 3009 + state 3010 + state 1 \
  + type 3008 "10.77.0.999x" + text 3008 + state 1 + click 1 + msgbox)"
sl_expect_eq "input mode: field and label enabled, list and search disabled, OK disabled while empty" \
  "$(grep '^state' <<<"$out" | head -5 | cut -d' ' -f2-3 | tr '\n' ' ')" \
  "3008 enabled=1 2154 enabled=1 3009 enabled=0 3010 enabled=0 1 enabled=0 "
sl_expect_eq "the IPv4 filter drops the letter" "$(pick "text 3008" "$out")" "text 3008 10.77.0.999"
sl_expect_eq "OK enabled with text" "$(grep '^state 1 ' <<<"$out" | tail -1)" "state 1 enabled=1 visible=1 checked=0"
sl_expect_eq "the warning, captioned with the application title" "$(pick msgbox "$out")" \
  "msgbox $TITLE"$'\t'"This is not a valid IP address.\\nPlease check the address and enter it again."
out="$(drv close-msgbox + wait "$TITLE" + focus + sel 3008)"
sl_expect_eq "after the warning the whole address is selected and focused" \
  "$(grep -E '^(focus|sel)' <<<"$out")" $'focus 3008\nsel 3008 0 11'
sl_expect_eq "nothing stored by the refused address" "$(e2e_datafile 7240MF)" "10.77.0.9|02:00:00:00:00:09|0||0|"
out="$(drv wait "$TITLE" + click 2 + wait-gone)"
sl_check "Cancel closes the dialog" e2e_wait_exit 10
sl_expect_eq "Cancel wrote IPDlgRet = 2 and nothing else" "$(e2e_values 7240MF | tr '\n' ' ')" \
  "AdapName= IPAddress=10.77.0.9 IPDirectInput=0 IPDlgRet=2 MACAddr=02:00:00:00:00:09 ProtocolType=0 "
sl_expect_eq "the data file is unchanged" "$(e2e_datafile 7240MF)" "10.77.0.9|02:00:00:00:00:09|0||0|"
sl_expect_eq "a start without options registers no device" "$(e2e_nodes 7240MF)" 0

sl_log "IPv6 on the 7245MF: link-local scanners through both adapters"
TITLE6="VEL MORA chromaline 7245MF Network Scanner Setup"
LL="fe80:0000:0000:0000:0000:00ff:fe00"
e2e_place 7245MF en system
e2e_start R7245SLK.exe
out="$(drv wait "$TITLE6" + combo 2152 + list 3009 + select-combo 2152 1 + combo 2152 + list 3009)"
sl_expect_eq "IPv4 and IPv6 offered, IPv4 selected at first (nothing stored yet)" \
  "$(grep -E '^(combo|item)' <<<"$out" | head -3)" $'combo 2152 count=2 sel=0\nitem 0 0 IPv4\nitem 1 1 IPv6'
sl_expect_eq "over IPv4 its two scanners" "$(grep '^row ' <<<"$out" | head -2)" \
  $'row 0 1 chromaline 7245MF\t10.77.0.41\nrow 1 0 chromaline 7245MF\t10.77.0.42'
sl_expect_eq "over IPv6 each scanner once per adapter, sorted, the first selected" \
  "$(grep '^row ' <<<"$out" | tail -n +3)" \
  "row 0 1 chromaline 7245MF	$LL:0041
row 1 0 chromaline 7245MF	$LL:0041
row 2 0 chromaline 7245MF	$LL:0042
row 3 0 chromaline 7245MF	$LL:0042"
e2e_shot "$TITLE6" "$E2E_SHOTS/en/address-dialog-ipv6.png"
out="$(drv wait "$TITLE6" + select-row 3009 3 + click 1 + wait-gone)"
sl_check "OK closes the dialog" e2e_wait_exit 10
values="$(e2e_values 7245MF | tr '\n' ' ')"
adapter="$(sed -n 's/.*AdapName=\([^ ]*\) .*/\1/p' <<<"$values")"
sl_check "the adapter through which the scanner answered (lan0 or lan1)" grep -qxE 'lan[01]' <<<"$adapter"
sl_expect_eq "registry values of the IPv6 choice" "$values" \
  "AdapName=$adapter IPAddress=$LL:0042 IPDirectInput=0 IPDlgRet=1 MACAddr=02:00:00:00:00:42 ProtocolType=1 "
sl_expect_eq "data file of the IPv6 choice" "$(e2e_datafile 7245MF)" "$LL:0042|02:00:00:00:00:42|1|$adapter|0|"

sl_log "IPv6 stored: the next start opens with IPv6"
e2e_start R7245SLK.exe
out="$(drv wait "$TITLE6" + combo 2152 + list 3009 + click 2 + wait-gone)"
sl_expect_eq "IPv6 selected from the stored protocol" "$(pick "combo" "$out")" "combo 2152 count=2 sel=1"
sl_expect_eq "link-local scanners listed at once" "$(grep -c "^row .*$LL:004" <<<"$out")" 4
sl_check "Cancel closes the dialog" e2e_wait_exit 10
sl_expect_eq "IPDlgRet = 2, the choice kept" "$(e2e_values 7245MF | grep -E '^(IPDlgRet|IPAddress)' | tr '\n' ' ')" \
  "IPAddress=$LL:0042 IPDlgRet=2 "
sl_finish
