#!/bin/bash
# The Windows executables' import tables (x64 and x86): no function that the oldest supported
# Windows lacks is imported directly; GetNativeSystemInfo is looked up at run time. The imports
# that set the oldest Windows, and the DLLs imported, are the ones README.md names. The crypto body
# (platform/win32/crypto.cpp) imports only CNG functions that Windows Vista has; the unit suite links
# it, so its table is checked too.
source "$(dirname "$0")/../lib/common.sh"
sl_need_cmd x86_64-w64-mingw32-objdump
X64="$SL_INSTALL/ScanLink.exe"
X86="${SL_BUILD_WIN86:-$SL_ROOT/build/windows-x86}/ScanLink.exe"
[[ -f "$X64" ]] || sl_skip "needs $X64 (the windows-x64 build, installed)"
# imports EXE: "DLL!Function" per imported function, DLL names in upper case.
imports() {
  x86_64-w64-mingw32-objdump -p "$1" | awk '/DLL Name:/ {dll = toupper($3); next} NF == 0 {dll = ""; next}
    dll != "" && NF >= 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ {print dll "!" $3}'
}
# Functions of kernel32 that Windows XP and Server 2003 lack, as far as a MinGW-w64 program may
# import them; the ones found decide the oldest Windows.
# The CNG functions of Windows Vista that the crypto body may import (BCryptHash, the algorithm
# pseudo-handles and the other additions of later Windows are not among them).
VISTA_BCRYPT='BCryptOpenAlgorithmProvider|BCryptCloseAlgorithmProvider|BCryptGetProperty|BCryptSetProperty|BCryptCreateHash|BCryptHashData|BCryptFinishHash|BCryptDestroyHash|BCryptGenerateSymmetricKey|BCryptEncrypt|BCryptDecrypt|BCryptDestroyKey|BCryptGenRandom'
README_DLLS="$(grep -A3 "^Both import only system DLLs" "$SL_ROOT/README.md" | tr '\n' ' ' | sed 's/^[^(]*(\([^)]*\)).*/\1/' | tr -d ' ' | tr ',' '\n' | tr a-z A-Z)"
NEWER_THAN_XP='GetTickCount64|InitializeCriticalSectionEx|InitOnce[A-Za-z]*|[A-Za-z]*SRWLock[A-Za-z]*|[A-Za-z]*ConditionVariable[A-Za-z]*|GetFileInformationByHandleEx|SetFileInformationByHandle|CreateSymbolicLink[AW]|GetSystemTimePreciseAsFileTime|CancelIoEx|GetLocaleInfoEx|CompareStringEx|LCMapStringEx|GetFinalPathNameByHandle[AW]|QueryFullProcessImageName[AW]'
for exe in "$X64" "$X86"; do
  if [[ ! -f "$exe" ]]; then echo "  note: $exe is not built; not checked"; continue; fi
  list="$(imports "$exe")"
  sl_check "$(basename "$(dirname "$exe")")/ScanLink.exe: an import table was read" test "$(wc -l <<<"$list")" -gt 50
  sl_expect_eq "... GetNativeSystemInfo is not imported (looked up at run time)" \
    "$(grep -c '!GetNativeSystemInfo$' <<<"$list")" "0"
  sl_expect_eq "... GetSystemInfo, its fall-back, is" "$(grep -c '^KERNEL32.DLL!GetSystemInfo$' <<<"$list")" "1"
  dlls="$(cut -d'!' -f1 <<<"$list" | sort -u | sed 's/\.DLL$//')"
  sl_expect_eq "... every DLL it imports is one README.md names" \
    "$(grep -vxF -f <(printf '%s\n' $README_DLLS) <<<"$dlls" | tr '\n' ' ')" ""
  newer="$(grep -E "^KERNEL32.DLL!($NEWER_THAN_XP)\$" <<<"$list" | cut -d'!' -f2 | sort | tr '\n' ' ')"
  echo "  imports newer than Windows XP: ${newer:-none}"
  sl_expect_contains "... README.md names them as what sets the oldest Windows" \
    "$(grep -A12 "^\*\*Oldest Windows" "$SL_ROOT/README.md" | tr "\n" " ")" "only \`${newer% }\` is newer"
done
for units in "$SL_BUILD_WIN64/tests/unit_tests.exe" "${SL_BUILD_WIN86:-$SL_ROOT/build/windows-x86}/tests/unit_tests.exe"; do
  if [[ ! -f "$units" ]]; then echo "  note: $units is not built; not checked"; continue; fi
  for exe in "$units" "$(dirname "$(dirname "$units")")/ScanLink.exe"; do
    [[ -f "$exe" ]] || continue
    list="$(imports "$exe")"
    sl_expect_eq "${exe#"$SL_ROOT"/}: CNG imports are Windows Vista's only" \
      "$(grep '^BCRYPT.DLL!' <<<"$list" | grep -vE "!($VISTA_BCRYPT)\$" | tr '\n' ' ')" ""
  done
  sl_check "... the unit suite imports the crypto body's CNG functions" grep -q '^BCRYPT.DLL!BCryptEncrypt$' <<<"$(imports "$units")"
done
sl_finish
