#!/bin/bash
# The Windows executables' import tables (x64 and x86): no function that the oldest supported
# Windows lacks is imported directly; GetNativeSystemInfo is looked up at run time. The imports
# that set the oldest Windows are the ones README.md names.
source "$(dirname "$0")/../lib/common.sh"
sl_need_cmd x86_64-w64-mingw32-objdump
X64="$SL_INSTALL/ScanLink.exe"
X86="${SL_BUILD_WIN86:-$SL_ROOT/build/windows-x86}/ScanLink.exe"
[[ -f "$X64" ]] || sl_skip "needs $X64 (the windows-x64 build, installed)"
# imports EXE: "DLL!Function" per imported function, DLL names in upper case.
imports() {
  x86_64-w64-mingw32-objdump -p "$1" | awk '/DLL Name:/ {dll = toupper($3); next}
    dll != "" && NF >= 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ {print dll "!" $3}'
}
# Functions of kernel32 that Windows XP and Server 2003 lack, as far as a MinGW-w64 program may
# import them; the ones found decide the oldest Windows.
NEWER_THAN_XP='GetTickCount64|InitializeCriticalSectionEx|InitOnce[A-Za-z]*|[A-Za-z]*SRWLock[A-Za-z]*|[A-Za-z]*ConditionVariable[A-Za-z]*|GetFileInformationByHandleEx|SetFileInformationByHandle|CreateSymbolicLink[AW]|GetSystemTimePreciseAsFileTime|CancelIoEx|GetLocaleInfoEx|CompareStringEx|LCMapStringEx|GetFinalPathNameByHandle[AW]|QueryFullProcessImageName[AW]'
for exe in "$X64" "$X86"; do
  if [[ ! -f "$exe" ]]; then echo "  note: $exe is not built; not checked"; continue; fi
  list="$(imports "$exe")"
  sl_check "$(basename "$(dirname "$exe")")/ScanLink.exe: an import table was read" test "$(wc -l <<<"$list")" -gt 50
  sl_expect_eq "... GetNativeSystemInfo is not imported (looked up at run time)" \
    "$(grep -c '!GetNativeSystemInfo$' <<<"$list")" "0"
  sl_expect_eq "... GetSystemInfo, its fall-back, is" "$(grep -c '^KERNEL32.DLL!GetSystemInfo$' <<<"$list")" "1"
  newer="$(grep -E "^KERNEL32.DLL!($NEWER_THAN_XP)\$" <<<"$list" | cut -d'!' -f2 | sort | tr '\n' ' ')"
  echo "  imports newer than Windows XP: ${newer:-none}"
  sl_expect_contains "... README.md names them as what sets the oldest Windows" \
    "$(grep -A12 "^\*\*Oldest Windows" "$SL_ROOT/README.md" | tr "\n" " ")" "only \`${newer% }\` is newer"
done
sl_finish
