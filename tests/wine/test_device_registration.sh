#!/bin/bash
# Network scanner device registration under Wine, with the real Setup API and newdev.dll: the
# sample INF installed as the product's install folder holds it, a new ROOT\IMAGE node per call
# with the hardware ID and the driver installed from the INF, 2 and no node for a missing INF,
# and FindScannerDevice over present imaging devices.
source "$(dirname "$0")/../lib/common.sh"
sl_need_root
sl_need_wine
DEVICE="$SL_WINE_PROGS/device_check.exe"
[[ -f "$DEVICE" ]] || sl_skip "needs $DEVICE (the Windows build)"

sl_netns_new devreg
PREFIX="$SL_RUN_DIR/prefix-devreg-$$"
sl_wine_prefix "$PREFIX" || sl_fail_now "cannot prepare a Wine prefix"
sl_on_exit "rm -rf '$PREFIX'"
cp -r "$SL_INSTALL/program-files/." "$PREFIX/drive_c/Program Files (x86)/"

INF='C:\Program Files (x86)\VEL MORA\chromaline 7240MF\Scanner\Network\R7240N64.inf'
HWID=VEL_MORA_VC7240MF_Network_Scanner
DESC='VEL MORA vc7240MF Network Scanner'
dev() { sl_wine "$SL_NS" "$PREFIX" "$DEVICE" "$@" | tr -d '\r'; }

sl_log "registration"
sl_expect_eq "first registration gives 0" "$(dev register "$INF" "$HWID")" "0"
sl_expect_eq "second registration gives 0" "$(dev register "$INF" "$HWID")" "0"
list="$(dev list)"
echo "$list"
sl_expect_eq "two imaging device nodes" "$(grep -c '^ROOT\\IMAGE\\' <<<"$list")" "2"
node0="$(grep '^ROOT\\IMAGE\\0000|' <<<"$list")"
node1="$(grep '^ROOT\\IMAGE\\0001|' <<<"$list")"
# Fields: instance | hardware IDs (NULs shown as ';') | class | description | driver key.
sl_expect_eq "node 0000: hardware ID as a multi-string, class Image, description from the INF" \
  "$(cut -d'|' -f2-4 <<<"$node0")" "$HWID;;|Image;|$DESC;"
sl_expect_eq "node 0001: the same" "$(cut -d'|' -f2-4 <<<"$node1")" "$HWID;;|Image;|$DESC;"
sl_expect_contains "node 0000 has a driver of the imaging class" "$(cut -d'|' -f5 <<<"$node0")" \
  "{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}\\"
sl_expect_contains "node 0001 has a driver too" "$(cut -d'|' -f5 <<<"$node1")" "{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}\\"
driver="$(sl_wine "$SL_NS" "$PREFIX" reg query \
  'HKLM\System\CurrentControlSet\Control\Class\{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}\0000' | tr -d '\r')"
sl_expect_contains "the driver of node 0000 was installed from our INF" "$driver" "InfPath    REG_SZ    R7240N64.inf"
sl_expect_contains "with its install section" "$driver" "InfSection    REG_SZ    NetworkScanner"

sl_log "missing INF"
sl_expect_eq "a missing INF gives 2" "$(dev register 'C:\Program Files (x86)\VEL MORA\absent\R7240N64.inf' "$HWID")" "2"
sl_expect_eq "and registers no node" "$(dev list | grep -c '^ROOT\\IMAGE\\')" "2"

sl_log "search"
sl_expect_eq "registered but without an imaging interface: not present (5)" "$(dev find "$DESC")" "5"
sl_expect_eq "a driver stand-in enables the interface of node 0000" "$(dev link 'ROOT\IMAGE\0000')" "linked 1"
sl_expect_eq "found by description, letter case ignored (0)" "$(dev find 'vel mora VC7240MF NETWORK scanner')" "0"
sl_expect_eq "found by its exact description" "$(dev find "$DESC")" "0"
sl_expect_eq "another description is absent (5)" "$(dev find 'VEL MORA vc7245MF Network Scanner')" "5"
sl_expect_eq "the hardware ID is not a description (5)" "$(dev find "$HWID")" "5"

sl_finish
