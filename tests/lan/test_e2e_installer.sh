#!/bin/bash
# End to end, started as the driver installer starts it (with a connection option) under Wine on
# the virtual LAN: "/usb", "/usb /quiet", "/network" cancelled, "/NoPortSelect" through the
# connection-type dialog to either path, "L835_MFP ip:..." storing without a dialog, and
# "/mentenance" with and without a present device. Each case checks the device nodes, the data
# file and the registry afterwards. English screenshot of the connection-type dialog.
source "$(dirname "$0")/../lib/common.sh"
source "$(dirname "$0")/e2e_lib.sh"
e2e_init "ei$$"
sl_on_exit "e2e_stop"

DEVICE_TITLE="VEL MORA chromaline 7240MF"
APP_TITLE="VEL MORA chromaline 7240MF Network Scanner Setup"
USB_TEXT="The chromaline 7240MF is ready to use over USB.\\nConnect it to this computer with a USB cable and switch it on."
UNFINISHED="The network scanner has not been set up yet.\\nYou can set it up later: start this utility again from the Start menu."
e2e_place 7240MF en install
e2e_place L835_MFP en install
# After each case: "nodes N | data file | registry values".
state() { echo "nodes $(e2e_nodes "$1") | $(e2e_datafile "$1") | $(e2e_values "$1" | tr '\n' ' ')"; }

sl_log "/usb: device registered, closing message with the product name"
e2e_start ScanLink.exe /usb 7240MF
out="$(drv close-msgbox)"
sl_expect_eq "the USB message" "$out" "msgbox $DEVICE_TITLE"$'\t'"$USB_TEXT"
sl_check "the program ends" e2e_wait_exit 10
sl_expect_eq "one device node, nothing stored" "$(state 7240MF)" "nodes 1 | (none) | (no key) "

sl_log "/usb /quiet: registered, no message"
e2e_start ScanLink.exe /usb /quiet 7240MF
sl_check "the program ends by itself (no message box holds it)" e2e_wait_exit 20
sl_expect_eq "a second device node, nothing stored" "$(state 7240MF)" "nodes 2 | (none) | (no key) "

sl_log "/network, cancelled: the warning; IPDlgRet = 2 in a key made for it"
e2e_start ScanLink.exe /network 7240MF
out="$(drv wait "$APP_TITLE" + list 3009 + click 2 + wait-gone + close-msgbox)"
sl_expect_eq "the address dialog listed the scanners" "$(grep -c '^row ' <<<"$out")" 3
sl_expect_eq "the unfinished-setting warning" "$(pick msgbox "$out")" "msgbox $DEVICE_TITLE"$'\t'"$UNFINISHED"
sl_check "the program ends" e2e_wait_exit 10
sl_expect_eq "a third node, no data file, only IPDlgRet = 2" "$(state 7240MF)" "nodes 3 | (none) | IPDlgRet=2 "

sl_log "/NoPortSelect: the connection-type dialog, network chosen"
e2e_start ScanLink.exe /NoPortSelect 7240MF
out="$(drv wait "$DEVICE_TITLE" + text 3001 + text 3003 + text 3004 + text 1 + state 3003 + state 3004 + state 2148 \
  + state 2151 + state 2 + state 1 + style + rect 1 + rect 2)"
sl_expect_eq "question and choices from the string file" "$(grep '^text' <<<"$out")" \
  $'text 3001 How is the scanner connected to this computer?\ntext 3003 With a USB cable\ntext 3004 Over the network\ntext 1 OK'
sl_expect_eq "USB checked at start; check box, control 2151 and Cancel hidden and disabled; OK usable" \
  "$(grep '^state' <<<"$out" | tr '\n' ' ')" \
  "state 3003 enabled=1 visible=1 checked=1 state 3004 enabled=1 visible=1 checked=0 state 2148 enabled=0 visible=0 checked=0 state 2151 enabled=0 visible=0 checked=0 state 2 enabled=0 visible=0 checked=0 state 1 enabled=1 visible=1 checked=0 "
sl_expect_eq "no system menu" "$(pick style "$out")" "style sysmenu=0"
read -r _ _ okl okt _ _ <<<"$(pick "rect 1" "$out")"
read -r _ _ cal cat _ _ <<<"$(pick "rect 2" "$out")"
sl_expect_eq "OK moved into Cancel's place" "$okl $okt" "$cal $cat"
e2e_shot "$DEVICE_TITLE" "$E2E_SHOTS/en/connection-dialog.png"
out="$(drv wait "$DEVICE_TITLE" + click 3004 + click 1 + wait "$APP_TITLE" + list 3009 + click 1 + wait-gone \
  + none-msgbox 1500)"
sl_expect_eq "network led to the address dialog; OK stored its first row without a message" \
  "$(grep -E '^(row 0|no-msgbox|error)' <<<"$out")" $'row 0 1 chromaline 7240MF\t10.77.0.10\nno-msgbox'
sl_check "the program ends" e2e_wait_exit 10
sl_expect_eq "a fourth node; the first scanner stored" "$(state 7240MF)" \
  "nodes 4 | 10.77.0.10|02:00:00:00:00:10|0||0| | AdapName= IPAddress=10.77.0.10 IPDirectInput=0 IPDlgRet=1 MACAddr=02:00:00:00:00:10 ProtocolType=0 "

sl_log "/NoPortSelect: USB chosen"
e2e_start ScanLink.exe /NoPortSelect 7240MF
out="$(drv wait "$DEVICE_TITLE" + click 1 + wait-gone + close-msgbox)"
sl_expect_eq "USB (the default) led to the USB message" "$(pick msgbox "$out")" "msgbox $DEVICE_TITLE"$'\t'"$USB_TEXT"
sl_check "the program ends" e2e_wait_exit 10
sl_expect_eq "a fifth node; the stored choice unchanged" "$(state 7240MF)" \
  "nodes 5 | 10.77.0.10|02:00:00:00:00:10|0||0| | AdapName= IPAddress=10.77.0.10 IPDirectInput=0 IPDlgRet=1 MACAddr=02:00:00:00:00:10 ProtocolType=0 "

sl_log "L835_MFP ip:...: stored without a dialog"
e2e_start ScanLink.exe /network L835_MFP ip:10.77.0.4
sl_check "the program ends by itself" e2e_wait_exit 20
sl_expect_eq "a Lumeo node; the given address stored as typed input" "$(state L835_MFP)" \
  "nodes 1 | 10.77.0.4||0||1| | AdapName= IPAddress=10.77.0.4 IPDirectInput=1 IPDlgRet=1 MACAddr= ProtocolType=0 "

sl_log "/mentenance with a present device: nothing registered, the dialog still runs"
sl_expect_eq "a driver stand-in makes node 0000 present" "$(e2e_wine "$E2E_DEVICES" link 'ROOT\IMAGE\0000' | tr -d '\r')" "linked 1"
e2e_start ScanLink.exe /mentenance /usb 7240MF
sl_check "USB with maintenance: no message, the program ends" e2e_wait_exit 20
e2e_start ScanLink.exe /mentenance /network 7240MF
out="$(drv wait "$APP_TITLE" + select-row 3009 1 + click 1 + wait-gone)"
sl_check "network with maintenance: the address dialog ran and closed" e2e_wait_exit 10
sl_expect_eq "still five nodes; the second scanner stored" "$(state 7240MF)" \
  "nodes 5 | 10.77.0.100|02:00:00:00:01:00|0||0| | AdapName= IPAddress=10.77.0.100 IPDirectInput=0 IPDlgRet=1 MACAddr=02:00:00:00:01:00 ProtocolType=0 "

sl_log "/mentenance without a present device: registered as usual"
e2e_start ScanLink.exe /mentenance /usb L835_MFP
sl_check "the program ends without a message" e2e_wait_exit 20
sl_expect_eq "a second Lumeo node; its stored address unchanged" "$(state L835_MFP)" \
  "nodes 2 | 10.77.0.4||0||1| | AdapName= IPAddress=10.77.0.4 IPDirectInput=1 IPDlgRet=1 MACAddr= ProtocolType=0 "
sl_finish
