#!/bin/bash
# The Windows Installer packages under Wine on the virtual LAN: for each architecture, the packages
# of two products installed with msiexec /qn put the files where the program looks for them, add
# the Start menu shortcut and the Apps and Features entry; the program started through the
# shortcut lists the LAN's scanners and stores the chosen one; a newer package replaces the old
# one; uninstalling removes the files and keeps the stored connection. A German user gets the
# German string file. The packages are the test run's (scripts/package.sh from both builds, built
# once per run: tests/lib/common.sh sl_packages); the newer ones are copies with a newer version.
# Also: no two components install one file; SCANLINK_LANGUAGE=fr gets English; x64 and x86 side by side;
# the installer's properties write machine defaults and the Run value, an upgrade keeps them and
# uninstalling removes them; the Group Policy templates are well-formed and name every setting.
source "$(dirname "$0")/../lib/common.sh"
source "$(dirname "$0")/e2e_lib.sh"
sl_need_cmd wixl msibuild xmllint
source "$SL_ROOT/scripts/settings.sh"
for arch in x64 x86; do
  [[ -f "$SL_ROOT/build/windows-$arch/install/ScanLink.exe" && -f "$SL_ROOT/build/windows-$arch/tests/ui_driver.exe" ]] ||
    sl_skip "needs the installed windows-$arch build"
done
sl_need_locale de_DE.UTF-8
export WINEDLLOVERRIDES="winemenubuilder.exe=d"  # no menu entries on the Linux side
VERSION="$(for part in MAJOR MINOR PATCH BUILD; do
  sed -n "s/^#define SCANLINK_VERSION_$part \([0-9]*\)$/\1/p" "$SL_ROOT/product/version.h"
done | paste -sd.)"
NEWER="$(awk -F. '{printf "%d.%d.%d.%d", $1, $2, $3 + 1, $4}' <<<"$VERSION")"
PKG="$SL_RUN_DIR/packages-$$"
sl_on_exit "rm -rf '$PKG'"
mkdir -p "$PKG/old" "$PKG/new" "$PKG/idt"
cp "$(sl_packages)"/*.msi "$PKG/old/" || sl_fail_now "package.sh failed"
# A newer package as a rebuild with a newer version gives it: the version in its properties and
# upgrade rows, a new product code and a new package code.
uuid() { tr a-f A-F </proc/sys/kernel/random/uuid; }
for old in "$PKG"/old/*.msi; do
  new="$PKG/new/$(basename "${old/-$VERSION-/-$NEWER-}")"
  cp "$old" "$new"
  for table in Property Upgrade; do
    msiinfo export "$old" $table | sed -e "s/\t${VERSION//./\\.}\(\t\|\r\?\$\)/\t$NEWER\1/" \
      -e "s/^ProductCode\t[^\r]*/ProductCode\t{$(uuid)}/" >"$PKG/idt/$table.idt"
  done
  info() { msiinfo suminfo "$old" | sed -n "s/^$1: //p"; }
  msibuild "$new" -i "$PKG/idt/Property.idt" -i "$PKG/idt/Upgrade.idt" \
    -s "$(info Subject | sed "s/ $VERSION / $NEWER /")" "$(info Author)" "$(info Template)" "{$(uuid)}" ||
    sl_fail_now "cannot make the newer package of $old"
done
sl_expect_eq "the package's version is the one version number" \
  "$(msiinfo export "$PKG/old/ScanLink-R7240-$VERSION-x64.msi" Property | tr -d '\r' | sed -n 's/^ProductVersion\t//p')" "$VERSION"
sl_expect_eq "package.sh names the packages by product, version and architecture" \
  "$(cd "$PKG/old" && ls *.msi | tr '\n' ' ')" \
  "ScanLink-R7240-$VERSION-x64.msi ScanLink-R7240-$VERSION-x86.msi ScanLink-R7245-$VERSION-x64.msi ScanLink-R7245-$VERSION-x86.msi "
rows() { msiinfo export "$1" "$2" | tr -d '\r' | tail -n +4; }
sl_expect_eq "no two components install a file of one name into one folder; the system's string file is copied by language" \
  "$(for m in "$PKG"/old/*.msi; do awk -F'\t' -v m="${m##*/}" 'NR == FNR { d[$1] = $3; next } { print m, d[$2], tolower($3) }' \
       <(rows "$m" Component) <(rows "$m" File); done | sort | uniq -d; rows "$PKG/old/ScanLink-R7240-$VERSION-x86.msi" DuplicateFile | cut -f2- | sort)" \
  "$(printf 'Lang_%s\tStrings_%s\tR7240STR.tbl\tSystemFolder\n' de de en en ja ja)"
POLICY="$(sl_packages)/policy"
for f in ScanLink.admx {en-US,de-DE,ja-JP}/ScanLink.adml; do
  [[ $f == *.admx ]] && names='valueName="%s"' || names='<string id="%s">'
  sl_expect_eq "policy/$f is well-formed and names every value of setup/settings.def" \
    "$(xmllint --noout "$POLICY/$f" 2>&1; for n in "${SL_SETTING_NAMES[@]}"; do
         grep -qF "$(printf "$names" "$n")" "$POLICY/$f" || echo "no $n"; done)" ""
done

e2e_init "pk$$"
sl_on_exit "e2e_stop"
cp -r "$PKG" "$E2E_C/packages"
declare -A ROWS=([7240MF]=3 [7245MF]=2)
declare -A CHOSEN=([7240MF]="198.18.0.10|02:00:00:00:00:10" [7245MF]="198.18.0.41|02:00:00:00:00:41")

msi() { e2e_wine msiexec "$@" /qn </dev/null >/dev/null 2>&1; }
# arp ARCH NAME: "VERSION PUBLISHER UNINSTALL-COMMAND" of each Apps and Features entry named NAME.
arp() {
  local view=64; [[ $1 == x86 ]] && view=32
  e2e_wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s /reg:$view </dev/null 2>/dev/null |
    tr -d '\r' | awk -v name="$2" '
      /^HKEY/ { if (hit) print ver " " pub " " un; hit = 0; ver = pub = un = "" }
      $1 == "DisplayName" { sub(/^ *DisplayName +REG_SZ +/, ""); hit = ($0 == name) }
      $1 == "DisplayVersion" { ver = $3 } $1 == "Publisher" { sub(/^ *Publisher +REG_SZ +/, ""); pub = $0 }
      $1 == "UninstallString" { un = $3 " " substr($4, 1, 2) }
      END { if (hit) print ver " " pub " " un }'
}
# arp_wait ARCH NAME EXPECTED: the entries once they are EXPECTED, or what they are after 10 s (an
# upgrade removes the older product in a process of its own, which may end after msiexec).
arp_wait() {
  local i out
  for ((i = 0; i < 20; i++)); do out="$(arp "$1" "$2")"; [[ "$out" == "$3" ]] && break; sleep 0.5; done
  echo "$out"
}
shortcut() { find "$E2E_C/users" "$E2E_C/ProgramData" -path '*Start Menu/Programs/*' -name "$1.lnk" 2>/dev/null; }

ARCHS=(x64 x86)
sl_runs_32bit || { ARCHS=(x64); echo "  note: this machine runs no 32-bit programs: the x86 programs are not started"; }
for arch in "${ARCHS[@]}"; do
  E2E_DRIVER="$SL_ROOT/build/windows-$arch/tests/ui_driver.exe"  # a driver of the program's bitness
  if [[ $arch == x64 ]]; then pf="Program Files"; sys=system32; else pf="Program Files (x86)"; sys=syswow64; fi
  for product in 7240MF 7245MF; do
    code="${E2E_CODE[$product]}"
    title="VEL MORA ${E2E_MODEL[$product]} Network Scanner Setup"
    name="$title"; [[ $arch == x86 ]] && name+=" (x86)"
    exe="$E2E_C/$pf/VEL MORA/${E2E_MODEL[$product]}/ScanLink/${code}SLK.exe"
    sl_log "$arch $product: install, start through the shortcut, upgrade, uninstall"
    sl_check "$arch $code: msiexec /i /qn succeeds" msi /i "C:\\packages\\old\\ScanLink-$code-$VERSION-$arch.msi"
    sl_expect_eq "$arch $code: program, the 64-bit systems' module and the English string file in place" \
      "$(cmp "$SL_ROOT/build/windows-$arch/install/ScanLink.exe" "$exe" 2>&1; cmp "$SL_ROOT/build/windows-$arch/install/${code}RS6.dll" \
          "$E2E_C/windows/$sys/${code}RS6.dll" 2>&1; cmp "$SL_ROOT/strings/en/${code}STR.tbl" "$E2E_C/windows/$sys/${code}STR.tbl" 2>&1
        ls "$E2E_C/windows/$sys/${code}RES.dll" 2>/dev/null)" ""
    sl_expect_eq "$arch $code: program and module carry the one version number (file, product, manifest)" \
      "$({ for f in "$exe" "$E2E_C/windows/$sys/${code}RS6.dll"; do
             strings -el "$f" | grep -A1 -x -e FileVersion -e ProductVersion | grep -v -e Version -e -- ; done
           strings "$exe" | sed -n 's/.*assemblyIdentity type="win32" name="ScanLink" version="\([0-9.]*\)".*/\1/p'
         } | sort | uniq -c | awk '{ print $2 " x" $1 }')" "$VERSION x5"
    lnk="$(shortcut "$name")"
    sl_check "$arch $code: a Start menu shortcut named like the dialog's title" test -n "$lnk"
    sl_expect_eq "$arch $code: Apps and Features: version, maker, uninstall" "$(arp $arch "$name")" "$VERSION VEL MORA MsiExec.exe /X"
    e2e_wine start /wait /unix "$lnk" </dev/null >/dev/null 2>&1 &
    E2E_PID=$!
    out="$(drv wait "$title" + wait-enabled 3010 + list 3009 + select-row 3009 0 + click 1 + wait-gone)"
    sl_expect_eq "$arch $code: started through the shortcut, it lists the LAN's scanners" "$(grep -c '^row ' <<<"$out")" "${ROWS[$product]}"
    sl_check "$arch $code: OK closes it" e2e_wait_exit 15
    stored="$(e2e_state "$product")"
    sl_expect_contains "$arch $code: the chosen scanner is stored" "$stored" "| ${CHOSEN[$product]}|"
    sl_check "$arch $code: the newer package installs" msi /i "C:\\packages\\new\\ScanLink-$code-$NEWER-$arch.msi"
    sl_expect_eq "$arch $code: the newer version replaced the older one in Apps and Features" \
      "$(arp_wait $arch "$name" "$NEWER VEL MORA MsiExec.exe /X")" "$NEWER VEL MORA MsiExec.exe /X"
    sl_check "$arch $code: the older package refuses to install over the newer one" \
      eval '! msi /i "C:\\packages\\old\\ScanLink-$code-$VERSION-$arch.msi"'
    sl_expect_eq "$arch $code: the newer one stays" "$(arp "$arch" "$name")" "$NEWER VEL MORA MsiExec.exe /X"
    sl_check "$arch $code: the program is still installed" test -f "$exe"
    sl_check "$arch $code: msiexec /x /qn succeeds" msi /x "C:\\packages\\new\\ScanLink-$code-$NEWER-$arch.msi"
    sl_expect_eq "$arch $code: uninstalled: program and its folder, module, string file, shortcut, entry gone" \
      "$(ls -d "$exe" "$(dirname "$exe")" "$E2E_C/windows/$sys/${code}RS6.dll" "$E2E_C/windows/$sys/${code}STR.tbl" 2>/dev/null
         shortcut "$name"; arp $arch "$name")" ""
    sl_expect_eq "$arch $code: the stored connection (data file, registry values) is kept" "$(e2e_state "$product")" "$stored"
  done
done

sl_log "a German user: the German string file and shortcut"
e2e_prefix "pk-de$$" de_DE.UTF-8
cp -r "$PKG" "$E2E_C/packages"
sl_check "x64 R7240 installs for a German user, with the machine defaults' properties" msi /i \
  "C:\\packages\\old\\ScanLink-R7240-$VERSION-x64.msi" "DISCOVERY_TARGETS=203.0.113.0/28;198.51.100.7" \
  DEFAULT_SCANNER=scan-3.example.com LOCAL_BROADCAST=0 REFRESH_AT_LOGON=1
# defaults: R7240's machine defaults (64-bit view) and its Run value, "NAME    TYPE    DATA" sorted.
defaults() {
  { e2e_wine reg query 'HKLM\SOFTWARE\ScanLink\R7240' /reg:64
    e2e_wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' /reg:64 | grep ScanLink; } </dev/null 2>/dev/null |
    tr -d '\r' | sed -n 's/^    //p' | sort
}
DEFAULTS="$(printf '%s    %s    %s\n' DefaultScanner REG_SZ scan-3.example.com DiscoveryTargets REG_MULTI_SZ \
  '203.0.113.0/28\0198.51.100.7' LocalBroadcast REG_DWORD 0x0 "ScanLink refresh R7240" REG_SZ \
  '"C:\Program Files\VEL MORA\chromaline 7240MF\ScanLink\R7240SLK.exe" /refresh')"
sl_expect_eq "the properties are written as machine defaults, with the Run value" "$(defaults)" "$DEFAULTS"
sl_check "the German string file is installed" cmp "$SL_ROOT/strings/de/R7240STR.tbl" "$E2E_C/windows/system32/R7240STR.tbl"
de_title="VEL MORA chromaline 7240MF $(sed -n 's/^STR_S_UTIL_APPNAME=//p' "$SL_ROOT/strings/de/R7240STR.tbl" | tr -d '\r')"
sl_check "the shortcut carries the German title" test -n "$(shortcut "$de_title")"
x86="C:\\packages\\old\\ScanLink-R7240-$VERSION-x86.msi"
sl_check "x86 R7240 installs beside it, with a shortcut of its own (\" (x86)\")" eval 'msi /i "$x86" && test -n "$(shortcut "$de_title (x86)")"'
sl_expect_eq "uninstalling it keeps the x64 one's shortcut" "$(msi /x "$x86"; echo $?; shortcut "$de_title" | wc -l)" $'0\n1'
sl_expect_eq "an upgrade without the properties keeps the machine defaults and the Run value" \
  "$(msi /i "C:\\packages\\new\\ScanLink-R7240-$NEWER-x64.msi"; echo $?; defaults)" "0"$'\n'"$DEFAULTS"
sl_expect_eq "uninstalling removes them and the kept properties (HKLM\\SOFTWARE\\ScanLink)" \
  "$(msi /x "C:\\packages\\new\\ScanLink-R7240-$NEWER-x64.msi"; echo $?; defaults
     e2e_wine reg query 'HKLM\SOFTWARE\ScanLink' /reg:64 </dev/null >/dev/null 2>&1 && echo "the key is left")" "0"
sl_check "SCANLINK_LANGUAGE=fr (no texts of its own) installs the English string file" \
  eval 'msi /i "$x86" SCANLINK_LANGUAGE=fr && cmp "$SL_ROOT/strings/en/R7240STR.tbl" "$E2E_C/windows/syswow64/R7240STR.tbl"'
sl_check "SCANLINK_LANGUAGE=ja on the command line overrides the language" \
  msi /i "C:\\packages\\old\\ScanLink-R7245-$VERSION-x86.msi" SCANLINK_LANGUAGE=ja
sl_check "the Japanese string file is installed" cmp "$SL_ROOT/strings/ja/R7245STR.tbl" "$E2E_C/windows/syswow64/R7245STR.tbl"
# Where this machine runs no 32-bit programs, the x86 package was only installed (above).
sl_runs_32bit || sl_finish

sl_log "32-bit Windows: the x86 package installs the 32-bit systems' module"
P32="$SL_RUN_DIR/prefix-win32-$$"
E2E_WINE=(env LANG=C.UTF-8 LC_ALL=C.UTF-8 WINEPREFIX="$P32" SL_WINE_LOADER=wine)
SL_WINE_LOADER=wine sl_prefix "$SL_LAN_HOST" "$P32"
E2E_C="$P32/drive_c"
E2E_DRIVER="$SL_ROOT/build/windows-x86/tests/ui_driver.exe"
cp -r "$PKG" "$E2E_C/packages"
sl_check "x86 R7240 installs on 32-bit Windows" msi /i "C:\\packages\\old\\ScanLink-R7240-$VERSION-x86.msi"
sl_expect_eq "the 32-bit systems' module in the system directory, not the 64-bit one" \
  "$(cd "$E2E_C/windows/system32" && ls R7240R*.dll)" "R7240RES.dll"
e2e_wine start /wait /unix "$(shortcut "VEL MORA chromaline 7240MF Network Scanner Setup (x86)")" </dev/null >/dev/null 2>&1 &
E2E_PID=$!
out="$(drv wait "VEL MORA chromaline 7240MF Network Scanner Setup" + wait-enabled 3010 + list 3009 + click 2 + wait-gone)"
sl_expect_eq "started through the shortcut it loads that module and lists the scanners" "$(pick rows "$out")" "rows 3"
sl_check "Cancel ends it" e2e_wait_exit 15
sl_finish
