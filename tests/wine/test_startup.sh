#!/bin/bash
# Start-up under Wine from the installed layout: where it finds its files, its messages (real
# windows, read and closed by msgbox_reader.exe), damaged string files, the single-instance guard,
# the product of a Japanese program name, a failed registration and the hand-off. The held and
# stopped starts use the test build of the program (ScanLinkTest.exe: the same program with the test
# control of tests/control/); the shipped ScanLink.exe must ignore those switches.
source "$(dirname "$0")/../lib/common.sh"
sl_need_root
sl_need_wine
sl_need_cmd Xvfb ip
PROGS="$SL_WINE_PROGS"
for p in msgbox_reader mutex_tool module_probe ScanLinkTest; do
  [[ -x "$PROGS/$p.exe" ]] || sl_skip "needs $PROGS/$p.exe (the windows-x64 build)"
done
sl_need_locale ja_JP.UTF-8
sl_xvfb_start
sl_netns_new start
PREFIX="$SL_RUN_DIR/prefix-startup-$$"
sl_prefix "$SL_NS" "$PREFIX"
SYS32="$PREFIX/drive_c/windows/$SL_WINE_SYSDIR"  # where the build under test sees its system directory
WORK="$PREFIX/drive_c/scanlink-test"
TRACE="$WORK/trace.txt"
TITLE_7240='caption: VEL MORA chromaline 7240MF Network Scanner Setup'
MISSING='caption: R7240SLK
text: The necessary file could be missing or damaged.'
mkdir -p "$WORK"
cp "$PROGS/ScanLinkTest.exe" "$WORK/R7240SLK.exe"
cp "$PROGS/ScanLinkTest.exe" "$WORK/DX52FSLK.exe"

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
read_box() { sl_wine "$SL_NS" "$PREFIX" "$PROGS/msgbox_reader.exe" "${1:-20000}" </dev/null 2>/dev/null | tr -d '\r'; }
# start_flow EXE ARGS...: as start_app, but the program goes on into its dialog flow.
start_flow() {
  rm -f "$TRACE"
  sl_wine "$SL_NS" "$PREFIX" "$@" </dev/null >/dev/null 2>&1 &
  APP_PID=$!
}
# key_text FILE KEY: a key's text in a string file, its "\n" turned into line breaks.
key_text() { grep -m1 "^$2=" "$1" | cut -d= -f2- | tr -d '\r' | sed 's/\\n/\n/g'; }
create() { sl_wine "$SL_NS" "$PREFIX" "$PROGS/mutex_tool.exe" create "$1" </dev/null 2>/dev/null | tr -d '\r'; }
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
# The shipped program has no test switch: with the stop switch set, /list still tries to search
# (this namespace has no adapter to search from) and exits 6, and writes its start and exit to the
# trace it was given.
cp "$SL_INSTALL/ScanLink.exe" "$WORK/Shipped_R7240SLK.exe"
rm -f "$TRACE"
SCANLINK_HANDOFF_STOP=1 SCANLINK_TRACE_HANDOFF=1 SCANLINK_TRACE_FILE='C:\scanlink-test\trace.txt' \
  sl_wine "$SL_NS" "$PREFIX" "$WORK/Shipped_R7240SLK.exe" /list '/out:C:\scanlink-test\list.json' \
  '/trace:C:\scanlink-test\shipped.log' </dev/null >/dev/null 2>&1
sl_expect_eq "the shipped program ignores SCANLINK_HANDOFF_STOP: /list runs and no adapter could be searched" "$?" "6"
sl_expect_eq "... its trace names the hand-off and the exit code" \
  "$(tr -d '\r' <"$WORK/shipped.log" | awk '{print $2, $3}' | grep -E '^(handoff|exit) ')" $'handoff to=list\nexit code=6'
sl_check "... and it wrote nothing to the test switches' trace file" test ! -e "$TRACE"
touch "$WORK/hold"
start_app "$WORK/R7240SLK.exe"
FIRST_PID=$APP_PID
sl_check "files in the system directory: the standalone hand-off" wait_trace "hand-off: standalone"
sl_check "it holds the local mutex" probe 'ScanLink Local Mutex chromaline 7240MF'
sl_check "it holds the global mutex" probe 'Global\ScanLink Global Mutex chromaline 7240MF'
# An instance that starts at the same moment may find no mutex with its open and then create it:
# the creation's answer must tell that it existed.
sl_expect_eq "creating the mutex an instance holds answers that it existed" \
  "$(create 'ScanLink Local Mutex chromaline 7240MF'; create 'Global\ScanLink Global Mutex chromaline 7240MF')" \
  $'existed 1\nexisted 1'
sl_expect_eq "... a mutex nobody holds, that it did not" "$(create 'ScanLink Local Mutex nobody')" "existed 0"
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
# The install folder has no Network\R7245N64.inf: the device cannot be registered, and the USB
# connection must not end with the message that the scanner is ready.
start_flow "$WORK/R7240SLK.exe" /usb 7245MF
failed_text="$(key_text "$INSTALL_7245/R7245STR.tbl" STR_M_REGISTER_FAILED)"
sl_check "the string file has the registration failure's text" test -n "$failed_text"
sl_expect_eq "/usb without the INF: the registration failure instead of the ready message" \
  "$(read_box | sed -n '/^text: /,$p')" "text: $failed_text"
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
# A damaged string file ends start-up with the missing-file message, never silently.
iconv -f UTF-8 -t UTF-16 "$SL_INSTALL/strings/en/R7240STR.tbl" >"$SYS32/R7240STR.tbl"
start_app "$WORK/R7240SLK.exe"
sl_expect_eq "a string file saved as UTF-16: the missing-file message" "$(read_box)" "$MISSING"
sl_check "... and no hand-off" eval 'wait_app && test ! -e "$TRACE"'
printf '%s' "$(cat "$SL_INSTALL/strings/en/R7240STR.tbl")" >"$SYS32/R7240STR.tbl"
start_app "$WORK/R7240SLK.exe"
sl_expect_eq "a string file without its final line feed: the missing-file message" "$(read_box)" "$MISSING"
sl_check "... and no hand-off" eval 'wait_app && test ! -e "$TRACE"'
# Under code page 932 the second byte of "サ" (83 54) is "T": the name "サ30_5180SLK.exe" holds the
# token "T30" only if the name is searched byte by byte. It is the chromaline 5180MF's program.
cp "$SL_INSTALL/R5180RS6.dll" "$SL_INSTALL/strings/ja/R5180STR.tbl" "$SYS32/"
cp "$PROGS/ScanLinkTest.exe" "$WORK/サ30_5180SLK.exe"
LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 start_app "$WORK/サ30_5180SLK.exe"
sl_check "a Japanese executable name under code page 932: the product of its real token" \
  wait_trace "hand-off: standalone"
[[ -e "$TRACE" ]] || read_box 3000 >/dev/null  # the wrong product's missing-file message
sl_check "the program ends" wait_app
sl_finish
