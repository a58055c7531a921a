#!/bin/bash
# End to end, started without options (the address dialog alone) under Wine on the virtual LAN:
# (each list read once the search has ended: "Search again" enabled) the matching scanners listed, sorted, the first selected; OK storing the chosen one; input mode
# refusing a bad address (warning, field selected, nothing stored); Cancel writing "IPDlgRet" = 2;
# IPv6 on the 7245MF listing link-local scanners and storing their adapter. Screenshots (English).
source "$(dirname "$0")/../lib/common.sh"
source "$(dirname "$0")/e2e_lib.sh"
e2e_init "es$$"
sl_on_exit "e2e_stop"
TITLE="VEL MORA chromaline 7240MF Network Scanner Setup"
STORED="nodes 0 | 198.18.0.9|02:00:00:00:00:09|0||0| | AdapName= IPAddress=198.18.0.9 IPDirectInput=0"
e2e_place 7240MF en system

sl_log "list mode: the matching scanners, sorted, the first selected; OK stores the chosen one"
e2e_start R7240SLK.exe
out="$(drv wait "$TITLE" + wait-enabled 3010 + list 3009 + combo 2152 + state 3008 + state 3009 + state 3010 + state 1)"
sl_expect_eq "three scanners of the 7240MF's identifier (object ID or description), in address-text order" \
  "$(grep '^row ' <<<"$out")" $'row 0 1 chromaline 7240MF\t198.18.0.10\nrow 1 0 chromaline 7240MF\t198.18.0.100\nrow 2 0 chromaline 7240MF\t198.18.0.9'
sl_expect_eq "the 7240MF offers IPv4 only" "$(grep -E '^(combo|item)' <<<"$out")" $'combo 2152 count=1 sel=0\nitem 0 IPv4'
sl_expect_eq "list mode: address field disabled; list, search and OK enabled" \
  "$(grep '^state' <<<"$out" | cut -d' ' -f2,3 | tr '\n' ' ')" "3008 enabled=0 3009 enabled=1 3010 enabled=1 1 enabled=1 "
e2e_shot "$TITLE" "$E2E_SHOTS/en/address-dialog.png"
out="$(drv wait "$TITLE" + select-row 3009 -1 + state 1 + click 3010 + wait-enabled 3010 + list 3009 + select-row 3009 2 + click 1 + wait-gone)"
sl_expect_eq "no row selected: OK disabled" "$(pick "state 1" "$out")" "state 1 enabled=0 visible=1 checked=0"
sl_expect_eq "Search again selects the first row again" "$(grep '^row ' <<<"$out" | cut -d' ' -f1-3 | tr '\n' ' ')" "row 0 1 row 1 0 row 2 0 "
sl_check "OK closes the dialog" e2e_wait_exit 10
sl_expect_eq "the third scanner stored (MAC, IPv4, no adapter, picked from the list); no device registered" \
  "$(e2e_state 7240MF)" "$STORED IPDlgRet=1 MACAddr=02:00:00:00:00:09 ProtocolType=0"

sl_log "input mode: a bad address is refused, then Cancel"
e2e_start R7240SLK.exe
out="$(drv wait "$TITLE" + click 3006 + state 3008 + state 3009 + state 1 + type 3008 "198.18.0.999_" + text 3008 \
  + click 1 + close-msgbox + wait "$TITLE" + sel 3008)"
sl_expect_eq "input mode: field enabled, list disabled, OK disabled while empty" \
  "$(grep '^state' <<<"$out" | cut -d' ' -f2,3 | tr '\n' ' ')" "3008 enabled=1 3009 enabled=0 1 enabled=0 "
sl_expect_eq "the IPv4 filter drops a character that no address or host name has" "$(pick "text 3008" "$out")" "text 3008 198.18.0.999"
sl_expect_eq "the warning, captioned with the application title" "$(pick msgbox "$out")" \
  "msgbox $TITLE"$'\t'"This is neither a valid IP address nor a valid host name.\\nPlease check what you entered and enter it again."
sl_expect_eq "after the warning the whole address is selected and focused" "$(pick sel "$out")" "sel 3008 0 12 focus=1"
sl_expect_eq "nothing stored by the refused address" "$(e2e_state 7240MF)" "$STORED IPDlgRet=1 MACAddr=02:00:00:00:00:09 ProtocolType=0"
drv wait "$TITLE" + click 2 + wait-gone >/dev/null
sl_check "Cancel closes the dialog" e2e_wait_exit 10
sl_expect_eq "Cancel wrote IPDlgRet = 2 and nothing else" "$(e2e_state 7240MF)" "$STORED IPDlgRet=2 MACAddr=02:00:00:00:00:09 ProtocolType=0"

sl_log "IPv6 on the 7245MF: link-local scanners through both adapters"
TITLE6="VEL MORA chromaline 7245MF Network Scanner Setup"
LL="fe80:0000:0000:0000:0000:00ff:fe00"
e2e_place 7245MF en system
e2e_start R7245SLK.exe
out="$(drv wait "$TITLE6" + wait-enabled 3010 + combo 2152 + list 3009 + select-combo 2152 1 + wait-enabled 3010 + list 3009)"
sl_expect_eq "IPv4 and IPv6 offered, IPv4 selected at first" "$(grep -E '^(combo|item)' <<<"$out")" \
  $'combo 2152 count=2 sel=0\nitem 0 IPv4\nitem 1 IPv6'
sl_expect_eq "over IPv4 its two scanners, over IPv6 each once per adapter, sorted, the first selected" \
  "$(grep '^row ' <<<"$out" | sed 's/^row //; s/ chromaline 7245MF\t/ /' | tr '\n' ' ')" \
  "0 1 198.18.0.41 1 0 198.18.0.42 0 1 $LL:0041 1 0 $LL:0041 2 0 $LL:0042 3 0 $LL:0042 "
e2e_shot "$TITLE6" "$E2E_SHOTS/en/address-dialog-ipv6.png"
drv wait "$TITLE6" + select-row 3009 3 + click 1 + wait-gone >/dev/null
sl_check "OK closes the dialog" e2e_wait_exit 10
state="$(e2e_state 7245MF)"
adapter="$(sed -n 's/.*AdapName=\([^ ]*\) .*/\1/p' <<<"$state")"
sl_check "the adapter through which the scanner answered (lan0 or lan1)" grep -qxE 'lan[01]' <<<"$adapter"
sl_expect_eq "data file and registry values of the IPv6 choice" "$state" "nodes 0 | $LL:0042|02:00:00:00:00:42|1|$adapter|0| |\
 AdapName=$adapter IPAddress=$LL:0042 IPDirectInput=0 IPDlgRet=1 MACAddr=02:00:00:00:00:42 ProtocolType=1"
e2e_start R7245SLK.exe
out="$(drv wait "$TITLE6" + wait-enabled 3010 + combo 2152 + list 3009 + click 2 + wait-gone)"
sl_expect_eq "the next start opens with the stored IPv6, its scanners listed by its opening search" \
  "$(pick combo "$out") $(grep -c "^row .*$LL:004" <<<"$out")" "combo 2152 count=2 sel=1 4"
sl_check "Cancel closes the dialog" e2e_wait_exit 10
sl_finish
