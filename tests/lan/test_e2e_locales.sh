#!/bin/bash
# End to end in German and in Japanese under Wine on the virtual LAN: the string files' texts in
# both dialogs and in the messages; under a Japanese locale (ANSI code page 932) the Japanese
# texts appear converted from the UTF-8 file, and a typed double-byte character is dropped by
# the address field. Screenshots of both dialogs in each language.
source "$(dirname "$0")/../lib/common.sh"
source "$(dirname "$0")/e2e_lib.sh"

# Wine takes its ANSI code page from the Unix locale: make the Japanese one when it is missing.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
  command -v localedef >/dev/null || sl_skip "needs localedef (package locales) for ja_JP.UTF-8"
  localedef -i ja_JP -f UTF-8 ja_JP.UTF-8 || sl_skip "cannot generate the ja_JP.UTF-8 locale"
fi

e2e_init "el$$" C.UTF-8
sl_on_exit "e2e_stop"
e2e_place 7240MF de system
e2e_place 7240MF de install

# language_run LANG APP-TITLE DEVICE-TITLE: shows both dialogs with the language's string files,
# checks their texts against the file and takes the screenshots. Prints the driver's output.
language_run() {
  local lang="$1" app="$2" device="$3" file="$SL_ROOT/strings/$1/R7240STR.tbl" out
  text() { sed -n "s/^$1=//p" "$file"; }
  e2e_start R7240SLK.exe
  out="$(drv wait "$app" + text 3007 + text 3006 + text 2153 + text 2154 + text 3010 + text 2 + columns 3009 + list 3009)"
  sl_expect_eq "$lang: address dialog texts" "$(grep '^text' <<<"$out")" "text 3007 $(text STR_C_RAD_SEL_IP)
text 3006 $(text STR_C_RAD_INPUT_IP)
text 2153 $(text STR_C_LABEL_PROTOCOL)
text 2154 $(text STR_C_LABEL_IPADDRESS)
text 3010 $(text STR_C_BTN_UPDATE_IP)
text 2 $(text STR_BTN_CANCEL)"
  sl_expect_eq "$lang: column headers" "$(grep '^column' <<<"$out" | cut -d' ' -f4- | tr '\n' '|')" \
    "$(text STR_S_IPLST_CLMN_DEVNAME)|$(text STR_S_IPLST_CLMN_IP)|"
  sl_expect_eq "$lang: three scanners listed" "$(grep -c '^row ' <<<"$out")" 3
  e2e_shot "$app" "$E2E_SHOTS/$lang/address-dialog.png"
  E2E_OUT="$out"
}
connection_run() {
  local lang="$1" device="$2" file="$SL_ROOT/strings/$1/R7240STR.tbl" out
  text() { sed -n "s/^$1=//p" "$file"; }
  e2e_start ScanLink.exe /NoPortSelect 7240MF
  out="$(drv wait "$device" + text 3001 + text 3003 + text 3004)"
  sl_expect_eq "$lang: connection dialog texts" "$(grep '^text' <<<"$out")" "text 3001 $(text STR_TXT_SEL_CONNECT)
text 3003 $(text STR_RAD_USB)
text 3004 $(text STR_RAD_NETWRK)"
  e2e_shot "$device" "$E2E_SHOTS/$lang/connection-dialog.png"
  out="$(drv wait "$device" + click 1 + wait-gone + close-msgbox)"
  sl_expect_eq "$lang: USB message with the product name" "$(pick msgbox "$out")" \
    "msgbox $device"$'\t'"$(text STR_DEVICE_CONNECT | sed 's/%s/chromaline 7240MF/')"
  sl_check "$lang: the program ends" e2e_wait_exit 10
}

sl_log "German"
language_run de "VEL MORA chromaline 7240MF Netzwerkscanner-Einrichtung"
drv wait "VEL MORA chromaline 7240MF Netzwerkscanner-Einrichtung" + click 2 + wait-gone >/dev/null
sl_check "de: Cancel ends the program" e2e_wait_exit 10
connection_run de "VEL MORA chromaline 7240MF"

sl_log "Japanese (ANSI code page 932)"
e2e_prefix "el$$-ja" ja_JP.UTF-8
e2e_place 7240MF ja system
e2e_place 7240MF ja install
APP_JA="VEL MORA chromaline 7240MF スキャナー接続設定"
language_run ja "$APP_JA"
out="$(drv wait "$APP_JA" + click 3006 + type 3008 "1あ2" + text 3008 + click 1 + close-msgbox)"
sl_expect_eq "ja: the typed double-byte character is dropped, the digits around it kept" "$(pick text "$out")" "text 3008 12"
sl_expect_eq "ja: the address warning in Japanese" "$(pick msgbox "$out")" \
  "msgbox $APP_JA"$'\t'"$(sed -n 's/^STR_M_IPERR=//p' "$SL_ROOT/strings/ja/R7240STR.tbl")"
drv wait "$APP_JA" + click 2 + wait-gone >/dev/null
sl_check "ja: Cancel ends the program" e2e_wait_exit 10
sl_expect_eq "ja: Cancel stored IPDlgRet = 2 only" "$(e2e_values 7240MF | tr '\n' ' ')" "IPDlgRet=2 "
# "ア" is 0x83 0x41 in code page 932: its second byte is the letter A, which the IPv6 filter
# would let through if the field did not know it belongs to a double-byte character.
e2e_place 7245MF ja system
APP6_JA="VEL MORA chromaline 7245MF スキャナー接続設定"
e2e_start R7245SLK.exe
out="$(drv wait "$APP6_JA" + select-combo 2152 1 + click 3006 + type 3008 "fe80::ア1" + text 3008 + click 2 + wait-gone)"
sl_expect_eq "ja, IPv6 field: both bytes of a double-byte character dropped" "$(pick text "$out")" "text 3008 fe80::1"
sl_check "ja: the 7245MF ends" e2e_wait_exit 10
connection_run ja "VEL MORA chromaline 7240MF"
sl_finish
