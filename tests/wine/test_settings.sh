#!/bin/bash
# The settings store under Wine, on the real registry and file system: the data file's bytes and
# access list, the six values with their types and the key's class, a second save replacing all,
# a data file held open by another holder, /credentials' protected keys, and EnsureFolder on a
# read-only drive. (Unit tests under Wine cover the rest of the store.)
source "$(dirname "$0")/../lib/common.sh"
sl_need_root
sl_need_wine
CHECK="$SL_WINE_PROGS/settings_check.exe"
[[ -f "$CHECK" ]] || sl_skip "needs $CHECK (the Windows build)"
sl_netns_new settings
PREFIX="$SL_RUN_DIR/prefix-settings-$$"
# Drive R: is an empty read-only tmpfs, mounted before the prefix's wineserver starts so that the
# wineserver's mount namespace has it too.
RO="$SL_RUN_DIR/readonly-$$"
if mkdir -p "$RO" && mount -t tmpfs -o ro,size=1m "sl-ro-$$" "$RO" 2>/dev/null; then
  sl_on_exit "umount '$RO'; rmdir '$RO'"
else RO=""; fi
drive_r() { [[ -z "$RO" ]] || ln -s "$RO" "$1/dosdevices/r:"; }
sl_prefix "$SL_NS" "$PREFIX" drive_r

chk() { sl_wine "$SL_NS" "$PREFIX" "$CHECK" "$@" | tr -d '\r'; }
# The values below the key as "NAME:TYPE:DATA" lines in name order, as reg.exe shows them.
values() { sl_wine "$SL_NS" "$PREFIX" reg query "HKCU\\$KEY" 2>/dev/null | tr -d '\r' |
  awk '$2 ~ /^REG_/ {print $1 ":" $2 ":" $3}' | LC_ALL=C sort; }
# A file's bytes as hex, so that CR LF and the absence of anything else are visible.
bytes() { od -An -tx1 -v "$1" 2>/dev/null | tr -d ' \n'; }
hex() { printf '%s' "$1" | od -An -tx1 -v | tr -d ' \n'; }
KEY='Software\VEL MORA\VEL MORA chromaline 7240MF Scanner\ScanLink'
DATA="$PREFIX/drive_c/ProgramData/VEL MORA/chromaline 7240MF/Scanner"

chk save-product R7240 192.168.1.20 "" "" 0 1 >/dev/null
sl_expect_eq "a typed IPv4 address: the data file's five lines with CR LF" "$(bytes "$DATA/ScanLink.dat")" \
  "$(hex $'192.168.1.20\r\n\r\n0\r\n\r\n1\r\n')"
sl_expect_eq "strings are stored with their NUL; the key's class is option" \
  "$(chk value "$KEY" IPAddress; chk value "$KEY" MACAddr)" \
  "type 1 size 13 hex $(hex 192.168.1.20)00 class option
type 1 size 1 hex 00 class option"
# Wine keeps a file's access list as its Unix mode bits: everyone may read and write the data file
# but not run it (a null access list would give others rwx).
sl_expect_eq "the data file's access list lets everyone read and write" \
  "$(stat -c %A "$DATA/ScanLink.dat" | cut -c8-10)" "rw-"

chk save-product R7240 'fe80::2%12' 00:11:22:33:44:55 eth0 1 0 >/dev/null
sl_expect_eq "a second save replaces all five lines, % written as it is" "$(bytes "$DATA/ScanLink.dat")" \
  "$(hex $'fe80::2%12\r\n00:11:22:33:44:55\r\n1\r\neth0\r\n0\r\n')"
sl_expect_eq "... and all six values with their types" "$(values)" "AdapName:REG_SZ:eth0
IPAddress:REG_SZ:fe80::2%12
IPDirectInput:REG_DWORD:0x0
IPDlgRet:REG_DWORD:0x1
MACAddr:REG_SZ:00:11:22:33:44:55
ProtocolType:REG_DWORD:0x1"
sl_expect_eq "the data folder holds only the data file (no ~SG write-test or replacement file)" \
  "$(ls -A "$DATA")" "ScanLink.dat"

# Another holder of the data file without delete sharing refuses the rename over it: after the
# retries the file is rewritten in place, so that it and the registry hold the same connection.
sl_expect_eq "the data file held open (read and write sharing): the save succeeds" \
  "$(chk save-held R7240 rw 203.0.113.7 1)" "save 0"
sl_expect_eq "... the data file holds the new connection" "$(bytes "$DATA/ScanLink.dat")" \
  "$(hex $'203.0.113.7\r\n\r\n0\r\n\r\n1\r\n')"
sl_expect_contains "... as the registry does" "$(values)" "IPAddress:REG_SZ:203.0.113.7"
sl_expect_eq "... and no replacement file is left" "$(ls -A "$DATA")" "ScanLink.dat"
# Held without write sharing, the file cannot be written at all: the save says so, the old file
# stays whole, and the values that could be written stay written.
sl_expect_eq "the data file held open (read sharing only): the save fails" \
  "$(chk save-held R7240 r 198.51.100.9 1)" "save 1"
sl_expect_eq "... the data file keeps the previous connection whole" "$(bytes "$DATA/ScanLink.dat")" \
  "$(hex $'203.0.113.7\r\n\r\n0\r\n\r\n1\r\n')"
sl_expect_contains "... the values were written" "$(values)" "IPAddress:REG_SZ:198.51.100.9"

# /credentials with the shipped program (Wine's user is an administrator: the machine scope): the
# keys stored as a DPAPI blob that reads back as the passphrases' keys, no passphrase anywhere in the
# prefix's registry files or the trace, and clear.
mkdir -p "$PREFIX/drive_c/scanlink-test"
cp "$SL_INSTALL/R7240RS6.dll" "$SL_INSTALL/strings/en/R7240STR.tbl" "$PREFIX/drive_c/windows/$SL_WINE_SYSDIR/"
cp "$SL_INSTALL/ScanLink.exe" "$PREFIX/drive_c/scanlink-test/R7240SLK.exe"
app() { sl_wine "$SL_NS" "$PREFIX" 'C:\scanlink-test\R7240SLK.exe' "$@" '/trace:C:\scanlink-test\trace.txt' >/dev/null 2>&1; }
AUTH='wine-auth-passphrase-1'; PRIV='wine-priv-passphrase-2'
printf '%s\r\n%s\r\n' "$AUTH" "$PRIV" | app /credentials user:winescan auth:SHA-256 priv:AES
sl_expect_eq "/credentials stores the keys (exit 0)" "$?" "0"
sl_expect_eq "... which read back as the passphrases' keys, from the machine's key" "$(chk credentials R7240)" \
  "$(chk derive winescan SHA-256 AES "$AUTH" "$PRIV" | sed 's/^derived/credentials 0 machine/')"
WINEPREFIX="$PREFIX" ip netns exec "$SL_NS" wineserver -k; WINEPREFIX="$PREFIX" ip netns exec "$SL_NS" wineserver -w
commas() { printf '%s' "$1" | od -An -tx1 -v | tr -s ' \n' ',' | sed 's/^,//; s/,$//'; }
sl_expect_eq "... as a binary value in HKLM\\SOFTWARE\\ScanLink" \
  "$(tr -d '\r' <"$PREFIX/system.reg" | grep -A12 -i '^\[Software\\\\ScanLink\]' | grep -c '^"SnmpV3Keys"=hex:')" "1"
for secret in "$AUTH" "$PRIV"; do
  sl_expect_eq "... no passphrase in the registry files, as text or bytes, nor in the trace" \
    "$(cat "$PREFIX"/*.reg | tr -d ' \\\r\n' | grep -icF -e "$secret" -e "$(commas "$secret")"; grep -c "$secret" "$PREFIX/drive_c/scanlink-test/trace.txt")" "0
0"
done
app /credentials clear
sl_expect_eq "/credentials clear (exit 0) removes them" "$?:$(chk credentials R7240 | cut -d' ' -f2)" "0:1"

if [[ -L "$PREFIX/dosdevices/r:" ]]; then
  out="$(chk ensure 'R:\Maker\Model\Scanner')"
  sl_expect_eq "EnsureFolder on a read-only drive: -1, buffer untouched" "${out% ms *}" "result -1 usable [-]"
  sl_check "... within 5 s" test "${out##* }" -lt 5000
else
  echo "  note: cannot mount a read-only tmpfs here; the read-only drive case is not run"
fi
sl_finish
