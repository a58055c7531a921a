#!/bin/bash
# End to end, started as the driver installer starts it (with a connection option) under Wine on
# the virtual LAN: "/usb", "/usb /quiet", "/network" cancelled, "/NoPortSelect" through the
# connection-type dialog to either path, "L835_MFP ip:..." storing without a dialog, and
# "/mentenance" with and without a present device; after each the device nodes, the data file
# and the registry. Also: every installed resource module holds both templates and both icons.
source "$(dirname "$0")/../lib/common.sh"
source "$(dirname "$0")/e2e_lib.sh"
e2e_init "ei$$"
sl_on_exit "e2e_stop"

res="$(for f in "$SL_INSTALL"/*RES.dll "$SL_INSTALL"/*RS6.dll; do
  x86_64-w64-mingw32-windres -i "$f" -O rc | grep -cE '^(300[05] DIALOGEX|(2015|2166) 14 )'; done | sort | uniq -c)"
sl_expect_eq "16 resource modules, each with templates 3000 and 3005 and icons 2015 and 2166" "$(xargs <<<"$res")" "16 4"

DEVICE="VEL MORA chromaline 7240MF"
APP="VEL MORA chromaline 7240MF Network Scanner Setup"
USB_MSG="msgbox $DEVICE"$'\t'"The chromaline 7240MF is ready to use over USB.\\nConnect it to this computer with a USB cable and switch it on."
FIRST=" | AdapName= IPAddress=198.18.0.10 IPDirectInput=0 IPDlgRet=1 MACAddr=02:00:00:00:00:10 ProtocolType=0"
LUMEO=" | AdapName= IPAddress=198.18.0.4 IPDirectInput=1 IPDlgRet=1 MACAddr= ProtocolType=0"
e2e_place 7240MF en install
e2e_place L835_MFP en install

e2e_start ScanLink.exe /usb 7240MF
sl_expect_eq "/usb: the USB message with the product name" "$(drv close-msgbox)" "$USB_MSG"
sl_check "/usb: the program ends" e2e_wait_exit 10
sl_expect_eq "/usb: one device node, nothing stored" "$(e2e_state 7240MF)" "nodes 1 | (none) | (no key)"

e2e_start ScanLink.exe /usb /quiet 7240MF
sl_check "/usb /quiet: the program ends by itself (no message box holds it)" e2e_wait_exit 20
sl_expect_eq "/usb /quiet: a second device node, nothing stored" "$(e2e_state 7240MF)" "nodes 2 | (none) | (no key)"

e2e_start ScanLink.exe /network 7240MF
out="$(drv wait "$APP" + wait-enabled 3010 + list 3009 + click 2 + wait-gone + close-msgbox)"
sl_expect_eq "/network: the address dialog listed the scanners" "$(grep -c '^row ' <<<"$out")" 3
sl_expect_eq "/network, cancelled: the unfinished-setting warning" "$(pick msgbox "$out")" "msgbox $DEVICE"$'\t'\
"The network scanner has not been set up yet.\\nYou can set it up later: start this utility again from the Start menu."
sl_check "/network: the program ends" e2e_wait_exit 10
sl_expect_eq "/network: a third node, no data file, only IPDlgRet = 2" "$(e2e_state 7240MF)" "nodes 3 | (none) | IPDlgRet=2"

e2e_start ScanLink.exe /NoPortSelect 7240MF
out="$(drv wait "$DEVICE" + state 3003 + state 3004 + state 2148 + state 2 + state 1 + rect 1 + rect 2)"
sl_expect_eq "/NoPortSelect: USB checked at start; check box and Cancel hidden and disabled; OK usable" \
  "$(grep '^state' <<<"$out" | cut -d' ' -f2- | tr '\n' ' ')" "3003 enabled=1 visible=1 checked=1 \
3004 enabled=1 visible=1 checked=0 2148 enabled=0 visible=0 checked=0 2 enabled=0 visible=0 checked=0 1 enabled=1 visible=1 checked=0 "
sl_expect_eq "/NoPortSelect: OK moved into Cancel's place" "$(pick "rect 1" "$out" | cut -d' ' -f3-)" "$(pick "rect 2" "$out" | cut -d' ' -f3-)"
e2e_shot "$DEVICE" "$E2E_SHOTS/en/connection-dialog.png"
out="$(drv wait "$DEVICE" + click 3004 + click 1 + wait "$APP" + wait-enabled 3010 + list 3009 + click 1 + wait-gone + none-msgbox 1500)"
sl_expect_eq "/NoPortSelect, network: the address dialog; OK stored its first row without a message" \
  "$(grep -E '^(row 0|no-msgbox|error)' <<<"$out")" $'row 0 1 chromaline 7240MF\t198.18.0.10\nno-msgbox'
sl_check "/NoPortSelect, network: the program ends" e2e_wait_exit 10
sl_expect_eq "/NoPortSelect, network: a fourth node; the first scanner stored" "$(e2e_state 7240MF)" \
  "nodes 4 | 198.18.0.10|02:00:00:00:00:10|0||0|$FIRST"
e2e_start ScanLink.exe /NoPortSelect 7240MF
sl_expect_eq "/NoPortSelect, USB (the default): the USB message" "$(pick msgbox "$(drv wait "$DEVICE" + click 1 + wait-gone + close-msgbox)")" "$USB_MSG"
sl_check "/NoPortSelect, USB: the program ends" e2e_wait_exit 10
sl_expect_eq "/NoPortSelect, USB: a fifth node; the stored choice unchanged" "$(e2e_state 7240MF)" \
  "nodes 5 | 198.18.0.10|02:00:00:00:00:10|0||0|$FIRST"

e2e_start ScanLink.exe /network L835_MFP ip:198.18.0.4
sl_check "L835_MFP ip:...: the program ends by itself" e2e_wait_exit 20
sl_expect_eq "L835_MFP ip:...: a Lumeo node; the address stored as typed input" "$(e2e_state L835_MFP)" "nodes 1 | 198.18.0.4||0||1|$LUMEO"

sl_expect_eq "a driver stand-in makes node 0000 present" "$(e2e_wine "$E2E_DEVICES" link 'ROOT\IMAGE\0000' | tr -d '\r')" "linked 1"
e2e_start ScanLink.exe /mentenance /usb 7240MF
sl_check "/mentenance /usb with a present device: no message, the program ends" e2e_wait_exit 20
e2e_start ScanLink.exe /mentenance /network 7240MF
drv wait "$APP" + wait-enabled 3010 + select-row 3009 1 + click 1 + wait-gone >/dev/null
sl_check "/mentenance /network with a present device: the address dialog ran and closed" e2e_wait_exit 10
sl_expect_eq "/mentenance with a present device: still five nodes; the second scanner stored" "$(e2e_state 7240MF)" \
  "nodes 5 | 198.18.0.100|02:00:00:00:01:00|0||0| | AdapName= IPAddress=198.18.0.100 IPDirectInput=0 IPDlgRet=1 MACAddr=02:00:00:00:01:00 ProtocolType=0"
e2e_start ScanLink.exe /mentenance /usb L835_MFP
sl_check "/mentenance without a present device: the program ends without a message" e2e_wait_exit 20
sl_expect_eq "/mentenance without a present device: registered as usual" "$(e2e_state L835_MFP)" "nodes 2 | 198.18.0.4||0||1|$LUMEO"
sl_finish
