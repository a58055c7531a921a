#!/bin/bash
# End to end in German and in Japanese under Wine on the virtual LAN: both dialogs and the USB
# message show the string files' texts; under a Japanese locale (ANSI code page 932) the texts
# appear converted from the UTF-8 file, and the address field drops a typed double-byte
# character whole. Screenshots of both dialogs in each language.
source "$(dirname "$0")/../lib/common.sh"
source "$(dirname "$0")/e2e_lib.sh"
# Wine takes its ANSI code page from the Unix locale (ja_JP.UTF-8 from scripts/deps.sh).
sl_need_locale ja_JP.UTF-8
e2e_init "el$$" C.UTF-8
sl_on_exit "e2e_stop"
DEVICE="VEL MORA chromaline 7240MF"

# language_run LANG APP-TITLE: both dialogs and the USB message with the language's string files,
# checked against the file, and the screenshots.
language_run() {
  local lang="$1" app="$2" out
  t() { sed -n "s/^$1=//p" "$SL_ROOT/strings/$lang/R7240STR.tbl"; }
  e2e_place 7240MF "$lang" system
  e2e_place 7240MF "$lang" install
  e2e_start R7240SLK.exe
  out="$(drv wait "$app" + wait-enabled 3010 + text 3007 + text 3006 + text 2153 + text 2154 + text 3010 + text 2 + text 3011 + columns 3009 + list 3009)"
  sl_expect_eq "$lang: address dialog texts, the search status and column headers" "$(grep -E '^(text|column)' <<<"$out" | cut -d' ' -f3- | tr '\n' '|')" \
    "$(t STR_C_RAD_SEL_IP)|$(t STR_C_RAD_INPUT_IP)|$(t STR_C_LABEL_PROTOCOL)|$(t STR_C_LABEL_IPADDRESS)|$(t STR_C_BTN_UPDATE_IP)|$(t STR_BTN_CANCEL)|$(t STR_S_FOUND | sed "s/%d/3/")|$(t STR_S_IPLST_CLMN_DEVNAME)|$(t STR_S_IPLST_CLMN_IP)|$(t STR_S_IPLST_CLMN_NAME)|$(t STR_S_IPLST_CLMN_LOCATION)|"
  sl_expect_eq "$lang: three scanners listed" "$(grep -c '^row ' <<<"$out")" 3
  e2e_shot "$app" "$E2E_SHOTS/$lang/address-dialog.png"
  drv wait "$app" + click 2 + wait-gone >/dev/null
  sl_check "$lang: Cancel ends the program" e2e_wait_exit 10
  e2e_start ScanLink.exe /NoPortSelect 7240MF
  out="$(drv wait "$DEVICE" + text 3001 + text 3003 + text 3004)"
  sl_expect_eq "$lang: connection dialog texts" "$(grep '^text' <<<"$out" | cut -d' ' -f3- | tr '\n' '|')" \
    "$(t STR_TXT_SEL_CONNECT)|$(t STR_RAD_USB)|$(t STR_RAD_NETWRK)|"
  e2e_shot "$DEVICE" "$E2E_SHOTS/$lang/connection-dialog.png"
  out="$(drv wait "$DEVICE" + click 1 + wait-gone + close-msgbox)"
  sl_expect_eq "$lang: USB message with the product name" "$(pick msgbox "$out")" \
    "msgbox $DEVICE"$'\t'"$(t STR_DEVICE_CONNECT | sed 's/%s/chromaline 7240MF/')"
  sl_check "$lang: the program ends" e2e_wait_exit 10
}

language_run de "VEL MORA chromaline 7240MF Netzwerkscanner-Einrichtung"
e2e_prefix "el$$-ja" ja_JP.UTF-8
language_run ja "VEL MORA chromaline 7240MF スキャナー接続設定"
# "ア" is 0x83 0x41 in code page 932: its second byte is the letter A, which the IPv6 filter
# would let through if the field did not know it belongs to a double-byte character.
e2e_place 7245MF ja system
APP6="VEL MORA chromaline 7245MF スキャナー接続設定"
e2e_start R7245SLK.exe
out="$(drv wait "$APP6" + select-combo 2152 1 + wait-enabled 3010 + click 3006 + type 3008 "fe80::ア1" + text 3008 + click 2 + wait-gone)"
sl_expect_eq "ja, IPv6 field: both bytes of a double-byte character dropped" "$(pick text "$out")" "text 3008 fe80::1"
sl_check "ja: the 7245MF ends" e2e_wait_exit 10
sl_finish
