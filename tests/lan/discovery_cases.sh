# The discovery cases both builds must pass on the virtual LAN, sourced by test_discovery_*.sh once the
# LAN is up, with sl_discover PRODUCT-CODE PASSES PROTOCOL running the build's discover_list in the test host.

# Our responder sends an oversized, a truncated and a random datagram before its good answer.
sl_lan_start_junk_responder() {
  local responder="$1"
  sl_lan_node r7 198.18.0.50 02:00:00:00:00:50 || return 1
  ip netns exec "sl-$SL_LAN_TAG-r7" "$responder" junk "ScanLink test responder" "$SL_LAN_OID_V0" 020000000050 \
    >"$SL_LAN_DIR/responder.log" 2>&1 &
  local i
  for i in $(seq 50); do grep -q ready "$SL_LAN_DIR/responder.log" && return 0; sleep 0.1; done
  return 1
}

# A host that sends junk to every requester every 0.5 s for 15 s.
sl_lan_start_chatter() {
  local responder="$1"
  sl_lan_node j1 198.18.0.60 02:00:00:00:00:60 || return 1
  ip netns exec "sl-$SL_LAN_TAG-j1" "$responder" chatter 500 15 >"$SL_LAN_DIR/chatter.log" 2>&1 &
  SL_LAN_CHATTER_PID=$!
  local i
  for i in $(seq 50); do grep -q ready "$SL_LAN_DIR/chatter.log" && return 0; sleep 0.1; done
  return 1
}

V0="$SL_LAN_OID_V0"
REC_A1="VEL MORA chromaline 7240MF|$V0|02:00:00:00:00:09"
REC_A2="VEL MORA chromaline 7240MF 2nd floor|$V0|02:00:00:00:00:10"
REC_A6="$V0|$SL_LAN_OID_OTHER|02:00:00:00:01:00"
REC_R7="ScanLink test responder|$V0|02:00:00:00:00:50"
REC_C1="VEL MORA chromaline 7240MF annex net|$V0|02:00:00:00:00:C9"
LL="fe80:0000:0000:0000:0000:00ff"

# _expect_run WHAT OUTPUT RESULT SELECTED EXPECTED_RECORDS: the header values and the exact list.
_expect_run() {
  sl_expect_eq "$1: result" "$(sed -n 's/^result //p' <<<"$2")" "$3"
  sl_expect_eq "$1: selectedIndex" "$(sed -n 's/^selected //p' <<<"$2")" "$4"
  sl_expect_eq "$1: list" "$(grep -E '^[46]\|' <<<"$2")" "$5"
}

# The IPv4 list of variant 0: both networks of the test host (c1 is on the second one only).
IPV4_V0="4|198.18.0.10|$REC_A2|
4|198.18.0.100|$REC_A6|
4|198.18.0.50|$REC_R7|
4|198.18.0.9|$REC_A1|
4|203.0.113.9|$REC_C1|"

sl_discovery_cases() {
  local pass
  for pass in 1 2; do
    _expect_run "IPv4, variant 0, $pass pass(es) (sysObjectID or sysDescr match, octet-wise order, both adapters)" \
      "$(sl_discover R7240 "$pass" 0)" 0 0 "$IPV4_V0"
  done
  _expect_run "IPv4, L835_, both identifiers sorted together" "$(sl_discover L835_ 1 0)" 0 0 \
    "4|198.18.0.30|Lumeo 8350MFP (second series)|$SL_LAN_OID_V8_ALT|02:00:00:00:00:30|
4|198.18.0.4|Lumeo 8350MFP|$SL_LAN_OID_V8|02:00:00:00:00:04|"
  _expect_run "no protocol selected" "$(sl_discover R7240 1 -1)" 2 -1 ""

  # IPv6: every agent is reached through both adapters of the test host, so each is listed once
  # per adapter. Equal addresses may come in either order: the records are compared sorted.
  local out="$(sl_discover R7240 1 1)" ipv6_v0="" agent
  for agent in "0009|$REC_A1" "0010|$REC_A2" "0050|$REC_R7" "0100|$REC_A6"; do
    ipv6_v0+="${ipv6_v0:+$'\n'}6|$LL:fe00:$agent|lan0"$'\n'"6|$LL:fe00:$agent|lan1"
  done
  _expect_run "IPv6, variant 0, one pass" "$(sort <<<"$out")" 0 0 "$ipv6_v0"
  sl_expect_eq "IPv6: address order" "$(grep '^6|' <<<"$out" | cut -d'|' -f2)" "$(cut -d'|' -f2 <<<"$ipv6_v0")"
}

# A host that never goes quiet: the pass ends by its five-second cap (not after the chatter's 15 s)
# and the scanners that answered are listed. Needs sl_lan_start_chatter first; ends the chatter.
sl_discovery_chatter_case() {
  local out elapsed
  out="$(sl_discover R7240 1 0)"
  elapsed="$(sed -n 's/^elapsed_ms //p' <<<"$out")"
  _expect_run "IPv4 with junk every 0.5 s" "$out" 0 0 "$IPV4_V0"
  sl_check "junk every 0.5 s: the pass ended by its five-second cap, not the quiet second (${elapsed} ms)" \
    eval '[[ "$elapsed" =~ ^[0-9]+$ ]] && ((elapsed >= 4900 && elapsed < 9000))'
  kill "$SL_LAN_CHATTER_PID" 2>/dev/null
}
