# Helpers of the end-to-end tests: ScanLink under Wine (on Xvfb) in the test host of the virtual
# scanner LAN, driven from outside by ui_driver.exe; what it stored is read back from the data
# file, the registry and the device nodes. Sourced after common.sh (tests, scripts/run.sh, bench).
source "$(dirname "${BASH_SOURCE[0]}")/lan.sh"

E2E_DRIVER="$SL_WINE_PROGS/ui_driver.exe"
E2E_DEVICES="$SL_WINE_PROGS/device_check.exe"
SL_LAN_OID_V1="$(sl_product R7245 MODEL_OID)"
# Per product, by its option token (7240MF ...), from the product table: file code, maker folder,
# model, product folder, registry key below HKCU, hardware ID.
declare -A E2E_CODE=() E2E_MAKER=() E2E_MODEL=() E2E_FOLDER=() E2E_KEY=() E2E_HWID=()
for _code in "${SL_PRODUCT_CODES[@]}"; do
  _token="$(sl_product "$_code" OPTION_TOKEN)"
  E2E_CODE[$_token]="$_code"
  E2E_MAKER[$_token]="$(sl_product "$_code" MAKER_FOLDER)"
  E2E_MODEL[$_token]="$(sl_product "$_code" MODEL)"
  E2E_FOLDER[$_token]="$(sl_product "$_code" MAKER_FOLDER)/$(sl_product "$_code" PRODUCT_FOLDER)"
  E2E_KEY[$_token]="HKCU\\$(sl_product_key "$_code")"
  E2E_HWID[$_token]="$(sl_product "$_code" HARDWARE_ID)"
done
unset _code _token

# The end-to-end tests' LAN: three 7240MF matches by description or object ID, a T30, two 7245MF.
E2E_LAN=(198.18.0.1/16
  a1 198.18.0.9 02:00:00:00:00:09 "VEL MORA chromaline 7240MF" "$SL_LAN_OID_V0"
  a2 198.18.0.10 02:00:00:00:00:10 "VEL MORA chromaline 7240MF 2nd floor" "$SL_LAN_OID_V0"
  a6 198.18.0.100 02:00:00:00:01:00 "$SL_LAN_OID_V0" "$SL_LAN_OID_OTHER"
  a3 198.18.0.20 02:00:00:00:00:20 "VEL MORA tessera T30" "$SL_LAN_OID_V2"
  b1 198.18.0.41 02:00:00:00:00:41 "VEL MORA chromaline 7245MF" "$SL_LAN_OID_V1"
  b2 198.18.0.42 02:00:00:00:00:42 "VEL MORA chromaline 7245MF annex" "$SL_LAN_OID_V1")

# e2e_init TAG [LANG [HOST/BITS AGENT...]]: checks what the tests need, starts Xvfb and a LAN
# (sl_lan; E2E_LAN unless given), makes a prefix with the Unix locale LANG (C.UTF-8 unless given).
e2e_init() {
  sl_need_root; sl_need_wine; sl_need_cmd Xvfb snmpd snmpget xwd convert
  [[ -f "$E2E_DRIVER" && -f "$E2E_DEVICES" ]] || sl_skip "needs the Windows test programs (ui_driver, device_check)"
  sl_xvfb_start
  local tag="$1" lang="${2:-C.UTF-8}"
  shift $(($# < 2 ? $# : 2))
  (($#)) || set -- "${E2E_LAN[@]}"
  sl_lan "$tag" "$@" || sl_fail_now "the virtual LAN did not come up"
  e2e_prefix "$tag" "$lang"
}

# e2e_prefix NAME LANG: a fresh Wine prefix whose wineserver runs in the LAN's test host with the
# Unix locale LANG (which sets Wine's ANSI code page), with the sample INF files installed.
e2e_prefix() {
  sl_need_locale "$2"
  E2E_PREFIX="$SL_RUN_DIR/prefix-e2e-$1"
  E2E_WINE=(env LANG="$2" LC_ALL="$2" WINEPREFIX="$E2E_PREFIX")
  E2E_C="$E2E_PREFIX/drive_c"
  LANG="$2" LC_ALL="$2" sl_prefix "$SL_LAN_HOST" "$E2E_PREFIX" _e2e_desktop
  mkdir -p "$E2E_C/Program Files (x86)" "$E2E_C/ScanLink"
  cp -r "$SL_INSTALL/program-files/." "$E2E_C/Program Files (x86)/"
}
# Wine's own desktop window draws title bars (shown in screenshots) and closes windows at once,
# where a bare X server stalls each close. E2E_VIRTUAL_DESKTOP=0 leaves it out (a real desktop).
_e2e_desktop() {
  [[ "${E2E_VIRTUAL_DESKTOP:-1}" == 1 ]] && printf '\n[Software\\\\Wine\\\\Explorer]\n"Desktop"="Default"\n\n[Software\\\\Wine\\\\Explorer\\\\Desktops]\n"Default"="1024x768"\n' \
    >>"$1/user.reg"
  return 0
}

# e2e_wine PROGRAM ARGS...: a Windows program in the test host with the test's prefix and locale.
e2e_wine() { "${E2E_WINE[@]}" ip netns exec "$SL_LAN_HOST" "$SL_ROOT/tests/lib/wine-run" "$@"; }

# e2e_place PRODUCT LANGUAGE WHERE: puts the product's resource module and string file where
# start-up looks for them: WHERE=system (no connection option) or install (with one).
e2e_place() {
  local dir="$E2E_C/Program Files (x86)/${E2E_FOLDER[$1]}"
  [[ "$3" == system ]] && dir="$E2E_C/windows/$SL_WINE_SYSDIR"
  mkdir -p "$dir" && cp "$SL_INSTALL/${E2E_CODE[$1]}RS6.dll" "$SL_INSTALL/strings/$2/${E2E_CODE[$1]}STR.tbl" "$dir/"
}

# e2e_start EXE-NAME ARGS...: starts ScanLink under that file name in the background (E2E_PID).
e2e_start() {
  cp "$SL_INSTALL/ScanLink.exe" "$E2E_C/ScanLink/$1"
  e2e_wine "C:\\ScanLink\\$1" "${@:2}" >"$SL_RUN_DIR/scanlink.out" 2>&1 &
  E2E_PID=$!
}

# e2e_wait_exit [SECONDS]: waits for the started program to end; 1 when it is still running.
e2e_wait_exit() {
  local i
  for ((i = 0; i < ${1:-20} * 10; i++)); do
    kill -0 "$E2E_PID" 2>/dev/null || { wait "$E2E_PID" 2>/dev/null; return 0; }
    sleep 0.1
  done
  return 1
}

# e2e_stop: ends a program that is still running (after a failed check).
e2e_stop() {
  kill -0 "$E2E_PID" 2>/dev/null || return 0
  drv --timeout 1000 close-msgbox >/dev/null
  e2e_wait_exit 3 || { kill "$E2E_PID" 2>/dev/null; e2e_wine wineserver -k 2>/dev/null; sleep 1; }
}

# drv [--timeout MS] COMMANDS...: the test driver (see ui_driver.cpp), 20 s per wait unless given.
drv() {
  local timeout=(--timeout 20000)
  [[ "${1:-}" == --timeout ]] && timeout=()
  e2e_wine "$E2E_DRIVER" "${timeout[@]}" "$@" 2>/dev/null | tr -d '\r'
}
# pick PREFIX OUTPUT: the first line of OUTPUT that starts with PREFIX.
pick() { grep -m1 -- "^$1" <<<"$2"; }

# e2e_state PRODUCT: "nodes N | DATA FILE | VALUES": how many ROOT\IMAGE device nodes carry the
# product's hardware ID, the data file with each CR LF shown as "|" ("(none)" when missing), and
# the registry values below its key as "NAME=DATA" in name order ("(no key)"), DWORDs in decimal.
e2e_state() {
  local f="$E2E_C/ProgramData/${E2E_FOLDER[$1]}/ScanLink.dat" out name type data
  echo -n "nodes $(e2e_wine "$E2E_DEVICES" list | tr -d '\r' | grep -c "^ROOT\\\\IMAGE\\\\[0-9]*|${E2E_HWID[$1]};") | "
  [[ -f "$f" ]] && sed -z 's/\r\n/|/g' "$f" || echo -n "(none)"
  out="$(e2e_wine reg query "${E2E_KEY[$1]}" 2>/dev/null)" || { echo " | (no key)"; return; }
  out="${out//$'\r'/}"
  echo " |$(while IFS=$'\t' read -r name type data; do
    [[ "$type" == REG_DWORD ]] && data=$((data))
    echo " $name=$data"
  done < <(sed -n 's/^    \([^ ].*\)    \(REG_[A-Z_]*\)    \{0,1\}\(.*\)$/\1\t\2\t\3/p' <<<"$out") | sort | tr -d '\n')"
}

# e2e_shot WINDOW-TITLE FILE.png: a screenshot of the window (cut from the whole screen).
e2e_shot() {
  local l t r b; read -r _ _ l t r b <<<"$(drv wait "$1" + rect 0 | grep '^rect 0')"
  [[ -n "$b" ]] || { echo "no window for the screenshot" >&2; return 1; }
  mkdir -p "$(dirname "$2")"
  xwd -root -silent | convert xwd:- -crop "$((r - l))x$((b - t))+$l+$t" +repage "png:$2"
}

# Screenshots go to build/screenshots (or E2E_SHOTS); docs/screenshots holds a committed set.
E2E_SHOTS="${E2E_SHOTS:-$SL_ROOT/build/screenshots$([[ $SL_ARCH == x64 ]] || echo "-$SL_ARCH")}"
