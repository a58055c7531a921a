# The discovery cases that the native and the Windows build must pass on the virtual LAN: sourced
# by test_discovery_native.sh and test_discovery_wine.sh after the LAN is up, with a function
# sl_discover VARIANT PASSES PROTOCOL that runs the build's discover_list in the test host.

# The LAN's own responder (ours, not an agent) sends a datagram longer than the receive buffer, a
# truncated answer and random bytes before its good answer; a pass must skip them and go on.
sl_lan_start_junk_responder() {
  local responder="$1"
  sl_lan_node r7 10.77.0.50 02:00:00:00:00:50 || return 1
  ip netns exec "sl-$SL_LAN_TAG-r7" "$responder" junk "ScanLink test responder" "$SL_LAN_OID_V0" 020000000050 \
    >"$SL_LAN_DIR/responder.log" 2>&1 &
  local i
  for i in $(seq 50); do grep -q ready "$SL_LAN_DIR/responder.log" && return 0; sleep 0.1; done
  return 1
}

V0="$SL_LAN_OID_V0"
REC_A1="VEL MORA chromaline 7240MF|$V0|02:00:00:00:00:09"
REC_A2="VEL MORA chromaline 7240MF 2nd floor|$V0|02:00:00:00:00:10"
REC_A3="VEL MORA tessera T30|$SL_LAN_OID_V2|02:00:00:00:00:20"
REC_A4="Lumeo 8350MFP (second series)|$SL_LAN_OID_V8_ALT|02:00:00:00:00:30"
REC_A5="Lumeo 8350MFP|$SL_LAN_OID_V8|02:00:00:00:00:04"
REC_A6="$V0|$SL_LAN_OID_OTHER|02:00:00:00:01:00"
REC_R7="ScanLink test responder|$V0|02:00:00:00:00:50"
LL="fe80:0000:0000:0000:0000:00ff"

# _records OUTPUT: the record lines of discover_list's output.
_records() { grep -E '^[46]\|' <<<"$1"; }
_field() { sed -n "s/^$2 //p" <<<"$1"; }

# _expect_run WHAT OUTPUT RESULT SELECTED EXPECTED_RECORDS: the header values and the exact list.
_expect_run() {
  sl_expect_eq "$1: result" "$(_field "$2" result)" "$3"
  sl_expect_eq "$1: selectedIndex" "$(_field "$2" selected)" "$4"
  sl_expect_eq "$1: list" "$(_records "$2")" "$5"
}

sl_discovery_cases() {
  local out ipv4_v0 ipv6_v0 ipv6_sorted

  ipv4_v0="4|10.77.0.10|$REC_A2|
4|10.77.0.100|$REC_A6|
4|10.77.0.50|$REC_R7|
4|10.77.0.9|$REC_A1|"
  out="$(sl_discover 0 1 0)"
  _expect_run "IPv4, variant 0, one pass (sysObjectID or sysDescr match, octet-wise order)" "$out" 0 0 "$ipv4_v0"
  out="$(sl_discover 0 2 0)"
  _expect_run "IPv4, variant 0, two passes (no duplicates)" "$out" 0 0 "$ipv4_v0"

  out="$(sl_discover 2 1 0)"
  _expect_run "IPv4, variant 2 (port 161 pre-bound), one pass" "$out" 0 0 "4|10.77.0.20|$REC_A3|"

  out="$(sl_discover 8 1 0)"
  _expect_run "IPv4, variant 8, both identifiers sorted together" "$out" 0 0 "4|10.77.0.30|$REC_A4|
4|10.77.0.4|$REC_A5|"

  out="$(sl_discover 10 1 0)"
  _expect_run "IPv4, variant 10, no scanner of its model" "$out" 0 -1 ""

  out="$(sl_discover 0 1 -1)"
  _expect_run "no protocol selected" "$out" 2 -1 ""

  # IPv6: every agent is reached through both adapters of the test host, so each is listed once
  # per adapter. Records with equal addresses may come in either order: the address order is
  # checked as it is, the records after sorting.
  ipv6_v0="6|$LL:fe00:0009|$REC_A1|lan0
6|$LL:fe00:0009|$REC_A1|lan1
6|$LL:fe00:0010|$REC_A2|lan0
6|$LL:fe00:0010|$REC_A2|lan1
6|$LL:fe00:0050|$REC_R7|lan0
6|$LL:fe00:0050|$REC_R7|lan1
6|$LL:fe00:0100|$REC_A6|lan0
6|$LL:fe00:0100|$REC_A6|lan1"
  local pass
  for pass in 1 2; do
    out="$(sl_discover 0 "$pass" 1)"
    sl_expect_eq "IPv6, variant 0, $pass pass(es): result" "$(_field "$out" result)" 0
    sl_expect_eq "IPv6, variant 0, $pass pass(es): selectedIndex" "$(_field "$out" selected)" 0
    sl_expect_eq "IPv6, variant 0, $pass pass(es): address order" \
      "$(_records "$out" | cut -d'|' -f2)" "$(cut -d'|' -f2 <<<"$ipv6_v0")"
    sl_expect_eq "IPv6, variant 0, $pass pass(es): records" "$(_records "$out" | sort)" "$ipv6_v0"
  done

  out="$(sl_discover 8 1 1)"
  _expect_run "IPv6, variant 8 (no second series over IPv6)" "$out" 0 0 "6|$LL:fe00:0004|$REC_A5|lan0
6|$LL:fe00:0004|$REC_A5|lan1"
}
