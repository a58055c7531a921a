#!/bin/bash
# Start-up under Wine from the installed layout: where it finds its files, its messages (real
# windows, read and closed by msgbox_reader.exe), the single-instance guard and the hand-off.
source "$(dirname "$0")/../lib/common.sh"
sl_need_root
sl_need_wine
sl_need_cmd Xvfb ip
PROGS="$SL_WINE_PROGS"
for p in msgbox_reader mutex_tool module_probe; do
  [[ -x "$PROGS/$p.exe" ]] || sl_skip "needs $PROGS/$p.exe (the windows-x64 build)"
done
sl_xvfb_start
sl_netns_new start
PREFIX="$SL_RUN_DIR/prefix-startup-$$"
sl_wine_prefix "$PREFIX" || sl_fail_now "cannot make a Wine prefix"
sl_on_exit "rm -rf '$PREFIX'"
SYS32="$PREFIX/drive_c/windows/$SL_WINE_SYSDIR"  # where the build under test sees its system directory
WORK="$PREFIX/drive_c/scanlink-test"
TRACE="$WORK/trace.txt"
TITLE_7240='caption: VEL MORA chromaline 7240MF Network Scanner Setup'
MISSING='caption: R7240SLK
text: The necessary file could be missing or damaged.'
mkdir -p "$WORK"
cp "$SL_INSTALL/ScanLink.exe" "$WORK/R7240SLK.exe"
cp "$SL_INSTALL/ScanLink.exe" "$WORK/DX52FSLK.exe"
sl_wine "$SL_NS" "$PREFIX" cmd /c exit >/dev/null 2>&1  # starts Wine's services once

# start_app EXE ARGS...: starts the program in the background; it writes the hand-off it reaches to
# the trace, waits there while the hold file exists, and ends instead of opening a dialog.
start_app() {
  rm -f "$TRACE"
  SCANLINK_TRACE_HANDOFF=1 SCANLINK_TRACE_FILE='C:\scanlink-test\trace.txt' SCANLINK_TRACE_HOLD='C:\scanlink-test\hold' \
    SCANLINK_HANDOFF_STOP=1 sl_wine "$SL_NS" "$PREFIX" "$@" </dev/null >/dev/null 2>&1 &
  APP_PID=$!
}
wait_app() {  # waits (at most 30 s) for the program started last to end
  for ((i = 0; i < 300; i++)); do kill -0 "$APP_PID" 2>/dev/null || { wait "$APP_PID"; return 0; }; sleep 0.1; done
  kill "$APP_PID" 2>/dev/null; return 1
}
wait_trace() {  # waits (at most 30 s) for the trace to hold the line $1
  for ((i = 0; i < 300; i++)); do tr -d '\r' <"$TRACE" 2>/dev/null | grep -qxF "$1" && return 0; sleep 0.1; done
  return 1
}
read_box() { sl_wine "$SL_NS" "$PREFIX" "$PROGS/msgbox_reader.exe" 20000 </dev/null 2>/dev/null | tr -d '\r'; }
probe() { sl_wine "$SL_NS" "$PREFIX" "$PROGS/mutex_tool.exe" probe "$1" </dev/null >/dev/null 2>&1; }
bad=""
for dll in "$SL_INSTALL"/*RES.dll "$SL_INSTALL"/*RS6.dll; do
  for try in 1 2; do  # no output at all means Wine did not start the probe (seen under load)
    out="$(sl_wine "$SL_NS" "$PREFIX" "$PROGS/module_probe.exe" "Z:${dll//\//\\}" </dev/null 2>/dev/null | tr -d '\r')"
    [[ -n "$out" ]] && break
  done
  [[ "$out" == "loaded $(basename "$dll")" ]] || bad+=" $(basename "$dll")($out)"
done
sl_expect_eq "all 16 resource modules load as data with their own file name" "$(ls "$SL_INSTALL"/*R[ES]?.dll | wc -l)${bad:-ok}" "16ok"
start_app "$WORK/R7240SLK.exe"
sl_expect_eq "nothing in the system directory: the missing-file message" "$(read_box)" "$MISSING"
sl_check "the program ends without a hand-off" eval 'wait_app && test ! -e "$TRACE"'
cp "$SL_INSTALL/R7240RS6.dll" "$SL_INSTALL/strings/en/R7240STR.tbl" "$SL_INSTALL/DX52FRS6.dll" \
  "$SL_INSTALL/strings/en/DX52FSTR.tbl" "$SYS32/"
touch "$WORK/hold"
start_app "$WORK/R7240SLK.exe"
FIRST_PID=$APP_PID
sl_check "files in the system directory: the standalone hand-off" wait_trace "hand-off: standalone"
sl_check "it holds the local mutex" probe 'ScanLink Local Mutex chromaline 7240MF'
sl_check "it holds the global mutex" probe 'Global\ScanLink Global Mutex chromaline 7240MF'
start_app "$WORK/R7240SLK.exe"
sl_expect_eq "a second instance: the string file's message under the application title" "$(read_box)" \
  "$TITLE_7240
text: $(grep -m1 '^STR_ERR_SLNK_DUAL_BOOT=' "$SYS32/R7240STR.tbl" | cut -d= -f2- | tr -d '\r' | sed 's/\\n/\n/g')"
sl_check "the second instance ends without a hand-off" eval 'wait_app && test ! -e "$TRACE"'
start_app "$WORK/DX52FSLK.exe"
sl_check "another product is not blocked" wait_trace "hand-off: standalone"
rm -f "$WORK/hold"
sl_check "both instances end once released" eval 'wait_app && APP_PID=$FIRST_PID && wait_app'
cp "$SL_INSTALL/R7245RS6.dll" "$SL_INSTALL/strings/en/R7245STR.tbl" "$SYS32/"
start_app "$WORK/R7240SLK.exe" /usb 7245MF
sl_expect_eq "/usb 7245MF with files only in the system directory: the missing-file message" "$(read_box)" "$MISSING"
sl_check "the program ends" wait_app
INSTALL_7245="$PREFIX/drive_c/Program Files (x86)/VEL MORA/chromaline 7245MF/Scanner"
mkdir -p "$INSTALL_7245"
cp "$SL_INSTALL/R7245RS6.dll" "$SL_INSTALL/strings/en/R7245STR.tbl" "$INSTALL_7245/"
start_app "$WORK/R7240SLK.exe" /usb 7245MF
sl_check "files in the install folder: the commit flow in USB mode" wait_trace "hand-off: commit mode 1"
sl_check "the program ends" wait_app
grep -v '^STR_S_DEVNAME_7240MF=' "$SL_INSTALL/strings/en/R7240STR.tbl" >"$SYS32/R7240STR.tbl"
start_app "$WORK/R7240SLK.exe"
for what in "device title" "application title"; do
  sl_expect_eq "a string file without the device name: the lookup's message for the $what" "$(read_box)" \
    "caption: R7240SLK
text: Can not get StringTable."
done
sl_check "start-up still reaches the hand-off" wait_trace "hand-off: standalone"
sl_check "the program ends" wait_app
sl_finish
