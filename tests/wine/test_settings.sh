#!/bin/bash
# The settings store under Wine, on the real registry and file system: the data file's bytes and
# access list, the six registry values with their types and the key's class, ReadRegString's
# fall-backs, the data folder's numbered alternatives, replacement of the data file, and the
# bounds of EnsureFolder on a read-only drive and on names that Windows rejects.
source "$(dirname "$0")/../lib/common.sh"
sl_need_root
sl_need_wine
CHECK="$SL_WINE_PROGS/settings_check.exe"
[[ -f "$CHECK" ]] || sl_skip "needs $CHECK (the Windows build)"

sl_netns_new settings
PREFIX="$SL_RUN_DIR/prefix-settings-$$"
sl_wine_prefix "$PREFIX" || sl_fail_now "cannot prepare a Wine prefix"
sl_on_exit "rm -rf '$PREFIX'"
C="$PREFIX/drive_c"
# A drive mapped to a read-only file system (an empty read-only tmpfs). It is mounted before the
# prefix's wineserver starts, so that the wineserver's mount namespace has it too.
RO="$SL_RUN_DIR/readonly-$$"
mkdir -p "$RO"
RO_MOUNTED=0
if mount -t tmpfs -o ro,size=1m "sl-ro-$$" "$RO" 2>/dev/null; then
  RO_MOUNTED=1
  sl_on_exit "umount '$RO'; rmdir '$RO'"
  ln -s "$RO" "$PREFIX/dosdevices/r:"
fi

chk() { sl_wine "$SL_NS" "$PREFIX" "$CHECK" "$@" | tr -d '\r'; }
reg_query() { sl_wine "$SL_NS" "$PREFIX" reg query "$@" 2>/dev/null | tr -d '\r'; }
# The file's bytes as hex, so that CR LF and the absence of anything else are visible.
bytes() { od -An -tx1 -v "$1" 2>/dev/null | tr -d ' \n'; }
hex() { printf '%s' "$1" | od -An -tx1 -v | tr -d ' \n'; }

KEY='Software\VEL MORA\VEL MORA chromaline 7240MF Scanner\ScanLink'
DATA="$C/ProgramData/VEL MORA/chromaline 7240MF/Scanner"

sl_log "a typed IPv4 address, saved for variant 0"
chk save-variant 0 192.168.1.20 "" "" 0 1 >/dev/null
sl_expect_eq "data file: five lines with CR LF" "$(bytes "$DATA/ScanLink.dat")" \
  "$(hex $'192.168.1.20\r\n\r\n0\r\n\r\n1\r\n')"
values="$(reg_query "HKCU\\$KEY")"
echo "$values"
for expected in "IPAddress    REG_SZ    192.168.1.20" "ProtocolType    REG_DWORD    0x0" \
                "IPDirectInput    REG_DWORD    0x1" "IPDlgRet    REG_DWORD    0x1"; do
  sl_expect_contains "reg query: $expected" "$values" "$expected"
done
sl_check "reg query: MACAddr and AdapName are empty REG_SZ" \
  bash -c "grep -Eq '^ +MACAddr +REG_SZ *$' <<<\"\$1\" && grep -Eq '^ +AdapName +REG_SZ *$' <<<\"\$1\"" _ "$values"
sl_expect_eq "IPAddress read with the API: REG_SZ with its NUL; key class option" \
  "$(chk value "$KEY" IPAddress)" "type 1 size 13 hex $(hex 192.168.1.20)00
class option"
sl_expect_eq "MACAddr: the NUL alone" "$(chk value "$KEY" MACAddr | head -1)" "type 1 size 1 hex 00"
sl_expect_eq "ProtocolType: REG_DWORD 0" "$(chk value "$KEY" ProtocolType | head -1)" "type 4 size 4 hex 00000000"
sl_expect_eq "IPDlgRet: REG_DWORD 1" "$(chk value "$KEY" IPDlgRet | head -1)" "type 4 size 4 hex 01000000"

sl_log "a second save with an IPv6 address and zone index replaces everything"
chk save-variant 0 'fe80::2%12' 00:11:22:33:44:55 eth0 1 0 >/dev/null
sl_expect_eq "data file: the address with % verbatim, all five lines new" "$(bytes "$DATA/ScanLink.dat")" \
  "$(hex $'fe80::2%12\r\n00:11:22:33:44:55\r\n1\r\neth0\r\n0\r\n')"
values="$(reg_query "HKCU\\$KEY")"
for expected in "IPAddress    REG_SZ    fe80::2%12" "MACAddr    REG_SZ    00:11:22:33:44:55" \
                "AdapName    REG_SZ    eth0" "ProtocolType    REG_DWORD    0x1" "IPDirectInput    REG_DWORD    0x0" \
                "IPDlgRet    REG_DWORD    0x1"; do
  sl_expect_contains "reg query: $expected" "$values" "$expected"
done
sl_expect_eq "the data folder holds only the data file (no write-test or replacement file)" \
  "$(ls -A "$DATA")" "ScanLink.dat"

sl_log "the data file's access list"
# Wine keeps a file's access list only as its Unix mode bits and rebuilds the descriptor from them
# (owner, system, everyone); the administrators entry and the protected flag are not kept. What it
# does keep: everyone may read and write but not execute (a null access list gives o+x as well),
# and nobody but the owner and the system may change permissions or owner.
DATFILE='C:\ProgramData\VEL MORA\chromaline 7240MF\Scanner\ScanLink.dat'
acl="$(chk acl "$DATFILE")"
echo "$acl"
everyone=$(( $(awk '$2 == "S-1-1-0" {print $3}' <<<"$acl") ))
sl_expect_eq "everyone may read and write the data file" "$(( everyone & 0x3 ))" "3"
sl_expect_eq "everyone may not change its permissions (WRITE_DAC) or owner (WRITE_OWNER)" "$(( everyone & 0xC0000 ))" "0"
sl_expect_contains "the system keeps full control" "$acl" "allow S-1-5-18 0x001f01ff"
sl_expect_eq "the Unix mode Wine derived: others read and write, no execute" \
  "$(stat -c %A "$DATA/ScanLink.dat" | cut -c8-10)" "rw-"
cp -p "$DATA/ScanLink.dat" "$C/null-dacl.dat"
chk null-dacl 'C:\null-dacl.dat' >/dev/null
sl_expect_eq "(for comparison, a null access list gives others execute too)" "$(stat -c %A "$C/null-dacl.dat" | cut -c8-10)" "rwx"

sl_log "the data folder and its parents"
mkdir -p "$C/sl/asfile" "$C/sl/mid"
echo "in the way" >"$C/sl/asfile/Scanner"
chk save 'C:\sl\asfile\Scanner' 'Software\ScanLink Tests\AsFile' 10.0.0.1 "" "" 0 1 >/dev/null
sl_expect_eq "a data folder that is a file: left alone, no data file" "$(ls -A "$C/sl/asfile"):$(cat "$C/sl/asfile/Scanner")" \
  "Scanner:in the way"
sl_expect_contains "... and the registry values are still written" "$(reg_query 'HKCU\Software\ScanLink Tests\AsFile')" \
  "IPAddress    REG_SZ    10.0.0.1"
echo "in the way" >"$C/sl/mid/Maker"
chk save 'C:\sl\mid\Maker\Model\Scanner' 'Software\ScanLink Tests\Mid' 10.0.0.2 "" "" 0 1 >/dev/null
sl_expect_eq "an intermediate folder that is a file: the data file lands below Maker_0" \
  "$(bytes "$C/sl/mid/Maker_0/Model/Scanner/ScanLink.dat")" "$(hex $'10.0.0.2\r\n\r\n0\r\n\r\n1\r\n')"
echo "in the way" >"$C/sl/mid/Other"
echo "in the way" >"$C/sl/mid/Other_0"
sl_expect_eq "EnsureFolder with Other and Other_0 taken uses Other_1" \
  "$(chk ensure 'C:\sl\mid\Other\Leaf' | sed 's/ ms .*//')" 'result 0 usable [C:\sl\mid\Other_1\Leaf\]'

sl_log "replacing the data file"
mkdir -p "$C/sl/replace/Scanner"
chk save 'C:\sl\replace\Scanner' 'Software\ScanLink Tests\Replace' 10.0.0.3 "" "" 0 1 >/dev/null
# With the replacement's own name taken by a folder, the new file cannot be written beside the old
# one: the old data file must stay complete (it is never rewritten in place).
mkdir "$C/sl/replace/Scanner/ScanLink.new"
chk save 'C:\sl\replace\Scanner' 'Software\ScanLink Tests\Replace' 10.9.9.9 "" "" 0 1 >/dev/null
sl_expect_eq "a replacement that cannot be made leaves the old data file whole" \
  "$(bytes "$C/sl/replace/Scanner/ScanLink.dat")" "$(hex $'10.0.0.3\r\n\r\n0\r\n\r\n1\r\n')"
sl_expect_contains "... while the registry takes the new values" \
  "$(reg_query 'HKCU\Software\ScanLink Tests\Replace')" "IPAddress    REG_SZ    10.9.9.9"

sl_log "ReadRegString"
RK='Software\ScanLink Tests\Read'
sl_expect_eq "missing key: the default" "$(chk read "$RK" AdapName dflt)" "[dflt]"
chk write "$RK" AdapName eth7 >/dev/null
sl_expect_eq "the key made by the first write has the class option" "$(chk value "$RK" AdapName | tail -1)" "class option"
sl_expect_eq "a value reads back" "$(chk read "$RK" AdapName dflt)" "[eth7]"
sl_expect_eq "missing value: the default" "$(chk read "$RK" Missing dflt)" "[dflt]"
chk write "$RK" Empty "" >/dev/null
sl_expect_eq "empty data: the empty text" "$(chk read "$RK" Empty dflt)" "[]"
chk write-repeat "$RK" Fits x 255 >/dev/null
sl_expect_eq "256 bytes of data (255 characters and NUL) read back" "$(chk read "$RK" Fits dflt)" "[$(printf 'x%.0s' {1..255})]"
chk write-repeat "$RK" TooLong x 256 >/dev/null
sl_expect_eq "257 bytes of data: the default" "$(chk read "$RK" TooLong dflt)" "[dflt]"

sl_log "EnsureFolder's bounds"
out="$(chk ensure 'C:\sl\bad|name\Scanner')"
echo "$out"
sl_expect_eq "a name Windows rejects ('|'): -1, buffer untouched" "$(sed 's/ ms .*//' <<<"$out")" "result -1 usable [-]"
sl_check "... within 5 s" test "$(awk '{print $NF}' <<<"$out")" -lt 5000
sl_expect_eq "... and nothing was created beside it" "$(ls -A "$C/sl" | sort | tr '\n' ' ')" "asfile mid replace "
long="C:\\sl\\$(printf 'p%.0s' {1..515})"
sl_expect_eq "a path of 521 characters is refused" "$(chk ensure "$long" | sed 's/ ms .*//')" "result -1 usable [-]"
longdata="C:\\sl\\$(printf 'd%.0s' {1..242})"   # 248 characters: with \ScanLink.dat, 261
chk save "$longdata" 'Software\ScanLink Tests\Long' 10.0.0.4 "" "" 0 1 >/dev/null
sl_expect_eq "a data file path over 259 characters: folder made, no file written" \
  "$(ls -A "$C/sl/$(printf 'd%.0s' {1..242})" | wc -l)" "0"

if ((RO_MOUNTED)); then
  out="$(chk ensure 'R:\Maker\Model\Scanner')"
  echo "$out"
  sl_expect_eq "a read-only drive: -1" "$(sed 's/ ms .*//' <<<"$out")" "result -1 usable [-]"
  sl_check "... within 5 s" test "$(awk '{print $NF}' <<<"$out")" -lt 5000
  sl_expect_eq "the write test fails on the read-only root" "$(chk writable 'R:\')" "0"
  chk save 'R:\Maker\Model\Scanner' 'Software\ScanLink Tests\ReadOnly' 10.0.0.5 "" "" 0 1 >/dev/null
  sl_expect_contains "Save on a read-only drive still writes the registry" \
    "$(reg_query 'HKCU\Software\ScanLink Tests\ReadOnly')" "IPAddress    REG_SZ    10.0.0.5"
  sl_expect_eq "nothing was written below the read-only drive's folder" "$(ls -A "$RO" | wc -l)" "0"
else
  echo "  note: cannot mount a read-only tmpfs here; the read-only drive case is not run"
fi

sl_log "the write test"
sl_expect_eq "a writable folder passes" "$(chk writable 'C:\sl')" "1"
sl_expect_eq "a file is not a writable folder" "$(chk writable 'C:\sl\mid\Maker')" "0"
sl_expect_eq "no ~SG temporary file is left anywhere on C:" \
  "$(find "$C/sl" "$C/ProgramData" -iname '~SG*' | wc -l)" "0"

sl_finish
