#!/bin/bash
# Network scanner device registration under Wine with the real Setup API: a new ROOT\IMAGE node
# per call with the hardware ID and the driver installed from our INF, 2 and no node for a missing
# INF, and FindScannerDevice over present imaging devices, letter case ignored.
source "$(dirname "$0")/../lib/common.sh"
sl_need_root
sl_need_wine
DEVICE="$SL_WINE_PROGS/device_check.exe"
[[ -f "$DEVICE" ]] || sl_skip "needs $DEVICE (the Windows build)"
sl_netns_new devreg
PREFIX="$SL_RUN_DIR/prefix-devreg-$$"
sl_prefix "$SL_NS" "$PREFIX"
cp -r "$SL_INSTALL/program-files/." "$PREFIX/drive_c/Program Files (x86)/"
INF='C:\Program Files (x86)\VEL MORA\chromaline 7240MF\Scanner\Network\R7240N64.inf'
HWID=VEL_MORA_VC7240MF_Network_Scanner
DESC='VEL MORA vc7240MF Network Scanner'
IMAGING='{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}'
dev() { sl_wine "$SL_NS" "$PREFIX" "$DEVICE" "$@" | tr -d '\r'; }

sl_expect_eq "two registrations give 0 each" "$(dev register "$INF" "$HWID"; dev register "$INF" "$HWID")" $'0\n0'
sl_expect_eq "a missing INF gives 2" "$(dev register 'C:\absent\R7240N64.inf' "$HWID")" "2"
list="$(dev list)"
echo "$list"
# Fields: instance | hardware IDs (NULs shown as ';') | class | description | driver key.
sl_expect_eq "two nodes (none for the missing INF): hardware ID multi-string, class Image, description from the INF" \
  "$(cut -d'|' -f1-4 <<<"$list")" "ROOT\\IMAGE\\0000|$HWID;;|Image;|$DESC;
ROOT\\IMAGE\\0001|$HWID;;|Image;|$DESC;"
sl_expect_eq "each node has a driver of the imaging class" "$(grep -c "|$IMAGING\\\\[0-9]*;\$" <<<"$list")" "2"
driver="$(sl_wine "$SL_NS" "$PREFIX" reg query "HKLM\\System\\CurrentControlSet\\Control\\Class\\$IMAGING\\0000" | tr -d '\r')"
sl_expect_contains "the driver was installed from our INF" "$driver" "InfPath    REG_SZ    R7240N64.inf"
sl_expect_contains "with its install section" "$driver" "InfSection    REG_SZ    NetworkScanner"

sl_expect_eq "registered but no imaging interface yet: not present (5)" "$(dev find "$DESC")" "5"
sl_expect_eq "a driver stand-in enables the interface of node 0000" "$(dev link 'ROOT\IMAGE\0000')" "linked 1"
sl_expect_eq "found by description, letter case ignored (0)" "$(dev find 'vel mora VC7240MF NETWORK scanner')" "0"
sl_expect_eq "another description or the hardware ID: absent (5)" \
  "$(dev find 'VEL MORA vc7245MF Network Scanner'; dev find "$HWID")" $'5\n5'
# The longest path Windows allows (259 characters) names the INF: it is used whole.
FOLDERS=("$(printf 'a%.0s' {1..50})" "$(printf 'b%.0s' {1..50})" "$(printf 'c%.0s' {1..50})" \
  "$(printf 'd%.0s' {1..50})" "$(printf 'e%.0s' {1..39})")
LONG_UNIX="$PREFIX/drive_c/$(IFS=/; echo "${FOLDERS[*]}")"
LONG_INF="C:\\$(IFS='\'; echo "${FOLDERS[*]}")\\R7240N64.inf"
mkdir -p "$LONG_UNIX" && cp "$PREFIX/drive_c/Program Files (x86)/VEL MORA/chromaline 7240MF/Scanner/Network/R7240N64.inf" \
  "$LONG_UNIX/"
sl_expect_eq "the INF path is 259 characters long" "${#LONG_INF}" "259"
sl_expect_eq "an INF at a 259-character path registers (0)" "$(dev register "$LONG_INF" "$HWID")" "0"
sl_expect_eq "... and makes a third node" "$(dev list | grep -c '^ROOT\\IMAGE\\')" "3"
sl_finish
