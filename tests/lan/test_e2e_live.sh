#!/bin/bash
# End to end, the address dialog while it searches, under Wine on the virtual LAN with a host that
# sends junk every 0.5 s (so a search runs until its five-second cap) and our responder, whose good
# answer comes 300 ms after the agents': the dialog is up and answering before the opening search
# ends; it answers the driver within 100 ms throughout a search (probed every 50 ms); rows appear
# while searching; Cancel ends the program at once; OK stores the row selected during the search;
# a protocol change restarts the search. Screenshots while searching and after (English).
source "$(dirname "$0")/../lib/common.sh"
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/discovery_cases.sh"
RESPONDER="$SL_BUILD_NATIVE/tests/snmp_responder"
[[ -x "$RESPONDER" ]] || sl_skip "needs the native build (snmp_responder)"
e2e_init "el$$"
sl_on_exit "e2e_stop"
sl_lan_start_junk_responder "$RESPONDER" || sl_fail_now "the junk responder did not start"
sl_lan_start_chatter "$RESPONDER" || sl_fail_now "the chatter did not start"
TITLE="VEL MORA chromaline 7240MF Network Scanner Setup"
e2e_place 7240MF en system
t() { sed -n "s/^$1=//p" "$SL_ROOT/strings/en/R7240STR.tbl"; }

sl_log "the opening search with the window up, probed every 50 ms"
e2e_start R7240SLK.exe
out="$(drv wait "$TITLE" + state 3010 + text 3011 + state 3012 + probe 7000 3009 3010 + list 3009 + text 3011 + state 3012)"
sl_expect_eq "up and answering while the opening search runs: Search again disabled, the searching status" \
  "$(grep -E '^(state 3010|text 3011)' <<<"$out" | head -2 | tr '\n' '|')" "state 3010 enabled=0 visible=1 checked=0|text 3011 $(t STR_S_SEARCHING)|"
sl_expect_eq "the marquee bar shown while searching, hidden after" "$(grep '^state 3012' <<<"$out" | cut -d' ' -f4 | tr '\n' ' ')" "visible=1 visible=0 "
probe="$(pick "probe samples" "$out")"
sl_log "$probe; $(pick "probe rows" "$out")"
sl_check "every probe answered within 100 ms ($probe)" grep -qE 'samples=[0-9]{2,} max_ms=([0-9]|[1-9][0-9]|100) slow=0$' <<<"$probe"
sl_check "rows appeared while searching: 3 from the agents, then the responder's 300 ms later, then the end" \
  grep -qE '^probe rows=(0s,)?3s,4s,4i$' <<<"$(pick "probe rows" "$out")"
sl_check "the search lasted until its cap: about 5 s of the 7 s probed disabled Search again" \
  grep -qE '^probe disabled=(8[0-9]|9[0-9]|1[0-2][0-9])$' <<<"$(pick "probe disabled" "$out")"
sl_expect_eq "after the search: the count found" "$(pick "text 3011" "$(grep -v "$(t STR_S_SEARCHING)" <<<"$out")")" \
  "text 3011 $(t STR_S_FOUND | sed 's/%d/4/')"
e2e_shot "$TITLE" "$E2E_SHOTS/en/address-dialog-found.png"
drv wait "$TITLE" + click 2 + wait-gone >/dev/null
sl_check "Cancel after the search ends the program" e2e_wait_exit 10

sl_log "Cancel during a search"
e2e_start R7240SLK.exe
out="$(drv wait "$TITLE" + probe 600 3009 3010 + state 3010)"
e2e_shot "$TITLE" "$E2E_SHOTS/en/address-dialog-searching.png"
t0=$(date +%s%N)
out+=$'\n'"$(drv wait "$TITLE" + state 3010 + click 2 + wait-gone)"
sl_check "Cancel during the search ends the program well before the search's cap" e2e_wait_exit 3
sl_log "Cancel to the program's end: $(( ($(date +%s%N) - t0) / 1000000 )) ms (including the driver's start)"
sl_expect_eq "the search was running when Cancel was pressed" "$(grep -c '^state 3010 enabled=0' <<<"$out")" 2
sl_expect_eq "Cancel during the search: only IPDlgRet = 2" "$(e2e_state 7240MF)" "nodes 0 | (none) | IPDlgRet=2"

sl_log "OK during a search"
e2e_start R7240SLK.exe
out="$(drv wait "$TITLE" + probe 600 3009 3010 + select-row 3009 1 + state 3010 + click 1 + wait-gone)"
sl_check "OK during the search ends the program" e2e_wait_exit 3
sl_expect_eq "the search was running when OK was pressed" "$(pick "state 3010" "$out")" "state 3010 enabled=0 visible=1 checked=0"
sl_expect_eq "OK during the search stored the row selected then" "$(e2e_state 7240MF)" "nodes 0 | 198.18.0.100|02:00:00:00:01:00|0||0| |\
 AdapName= IPAddress=198.18.0.100 IPDirectInput=0 IPDlgRet=1 MACAddr=02:00:00:00:01:00 ProtocolType=0"

sl_log "a protocol change during a search"
TITLE6="VEL MORA chromaline 7245MF Network Scanner Setup"
e2e_place 7245MF en system
e2e_start R7245SLK.exe
out="$(drv wait "$TITLE6" + probe 300 3009 3010 + select-combo 2152 1 + state 3010 + list 3009 + wait-enabled 3010 + list 3009)"
sl_check "the IPv4 search was running when the protocol changed ($(pick "probe rows" "$out"))" \
  grep -qE '^probe rows=.*s$' <<<"$(pick "probe rows" "$out")"
# The IPv6 answers may come within milliseconds of the new request, so the list read right after
# the change may already hold some: what it must not hold is a row of the old IPv4 search.
first_list="$(awk '/^rows /{n++} n==1 && /^row /' <<<"$out")"
last_list="$(awk '/^rows /{n++} n==2 && /^row /' <<<"$out")"
sl_expect_eq "the new search runs at once" "$(grep '^state 3010' <<<"$out" | head -1)" "state 3010 enabled=0 visible=1 checked=0"
sl_expect_eq "the old search's IPv4 rows are gone at once" "$(grep -v 'fe80:' <<<"$first_list" | grep -c '^row ')" 0
sl_expect_eq "the new search lists IPv6 scanners only" "$(grep -v 'fe80:' <<<"$last_list" | grep -c '^row ')" 0
sl_expect_eq "each 7245MF once per adapter" "$(grep -c 'fe80:' <<<"$last_list")" 4
drv wait "$TITLE6" + click 2 + wait-gone >/dev/null
sl_check "Cancel ends the program" e2e_wait_exit 10
sl_finish
