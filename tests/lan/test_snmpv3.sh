#!/bin/bash
# The unicast check over SNMPv3 against net-snmp agents on the virtual LAN, from the native build
# (libcrypto) and under Wine (CNG): engine discovery, HMAC-SHA-96 and HMAC-SHA-256, AES privacy, and
# each way the credentials can be wrong, with the reason the check gives; SNMPv1 beside SNMPv3.
source "$(dirname "$0")/../lib/common.sh"
source "$(dirname "$0")/lan.sh"

sl_need_root
sl_need_cmd snmpd snmpget
NATIVE="$SL_BUILD_NATIVE/tests/check_address"
WINDOWS="$SL_WINE_PROGS/check_address.exe"
[[ -x "$NATIVE" ]] || sl_skip "needs the native build (check_address)"

# h1 keeps SNMPv1 with the factory community and has SNMPv3 users; h3 answers SNMPv1 only to a
# community the program does not know (SNMPv1 off, as far as the program can tell).
USERS='createUser scan256 SHA-256 "maple-syrup-256" AES "privacy-pass-12"
createUser scansha SHA "maple-syrup-sha"
rouser scan256 priv
rouser scansha auth'
sl_lan "v3$$" 198.51.100.1/24 || sl_fail_now "the virtual LAN did not come up"
SL_LAN_AGENT_CONF="$USERS" sl_lan_agent h1 198.51.100.21 02:00:00:00:00:21 "VEL MORA chromaline 7240MF" \
  "$SL_LAN_OID_V0" || sl_fail_now "agent h1 did not start"
SL_LAN_AGENT_CONF="$USERS" SL_LAN_COMMUNITY="n0t-known" sl_lan_agent h3 198.51.100.23 02:00:00:00:00:23 \
  "VEL MORA chromaline 7240MF" "$SL_LAN_OID_V0" || sl_fail_now "agent h3 did not start"
sl_lan_wait_agents || sl_fail_now "the agents do not answer"

# native AUTH-PASS PRIV-PASS ADDRESS VERSIONS [USER AUTH PRIV]: the runner's line (the passphrases on
# its standard input, as /credentials reads them).
native() { printf '%s\n%s\n' "$1" "$2" | ip netns exec "$SL_LAN_HOST" "$NATIVE" R7240 "${@:3}" 2>&1 | paste -sd, | sed 's/$/,/; s/^outcome\(.*\),$/outcome\1/; s/^,$//'; }
CASES=(
  # what | address versions [user auth priv] | auth pass | priv pass | expected
  "SHA-256 with AES, SNMPv3 only|198.51.100.23 v3 scan256 SHA-256 AES|maple-syrup-256|privacy-pass-12|outcome=0 authenticated=1 mac=02:00:00:00:00:23 reason="
  "SHA without privacy|198.51.100.23 v3 scansha SHA none|maple-syrup-sha||outcome=0 authenticated=1 mac=02:00:00:00:00:23 reason="
  "a wrong authentication passphrase|198.51.100.23 v3 scan256 SHA-256 AES|maple-syrup-XXX|privacy-pass-12|outcome=6 authenticated=0 mac= reason=wrong-digest"
  "an unknown user|198.51.100.23 v3 nobody SHA-256 AES|maple-syrup-256|privacy-pass-12|outcome=6 authenticated=0 mac= reason=unknown-user"
  "privacy the user does not have|198.51.100.23 v3 scansha SHA AES|maple-syrup-sha|privacy-pass-12|outcome=6 authenticated=0 mac= reason=unsupported-level"
  "a wrong privacy passphrase: silence after the engine|198.51.100.23 v3 scan256 SHA-256 AES|maple-syrup-256|privacy-pass-XX|outcome=2 authenticated=0 mac= reason=no-answer"
  "v1+v3: the verified answer wins|198.51.100.21 v1+v3 scan256 SHA-256 AES|maple-syrup-256|privacy-pass-12|outcome=0 authenticated=1 mac=02:00:00:00:00:21 reason="
  "v1+v3 with a wrong passphrase: the SNMPv1 answer decides|198.51.100.21 v1+v3 scan256 SHA-256 AES|maple-syrup-XXX|privacy-pass-12|outcome=0 authenticated=0 mac=02:00:00:00:00:21 reason="
  "SNMPv1 alone where only SNMPv3 is known|198.51.100.23 v1|||outcome=2 authenticated=0 mac= reason="
  # A search: "address mac verified" per scanner listed, joined by commas.
  "search, SNMPv1 only: the SNMPv3-only scanner stays unlisted|search v1|||198.51.100.21 02:00:00:00:00:21 0,"
  "search, v1+v3: both, each verified|search v1+v3 scan256 SHA-256 AES|maple-syrup-256|privacy-pass-12|198.51.100.21 02:00:00:00:00:21 1,198.51.100.23 02:00:00:00:00:23 1,"
  "search, v3 with a wrong passphrase: nothing listed|search v3 scan256 SHA-256 AES|maple-syrup-XXX|privacy-pass-12|"
)
run_cases() {  # run_cases LABEL RUNNER-FUNCTION
  local c what args auth privpass expected
  for c in "${CASES[@]}"; do
    IFS='|' read -r what args auth privpass expected <<<"$c"
    # shellcheck disable=SC2086
    sl_expect_eq "$1: $what" "$("$2" "$auth" "$privpass" $args)" "$expected"
  done
}
sl_log "native (libcrypto)"
run_cases native native

if [[ -f "$WINDOWS" ]] && command -v wine64 >/dev/null 2>&1; then
  PREFIX="$SL_RUN_DIR/prefix-snmpv3-$$"
  sl_prefix "$SL_LAN_HOST" "$PREFIX"
  windows() { printf '%s\r\n%s\r\n' "$1" "$2" | sl_wine "$SL_LAN_HOST" "$PREFIX" "$WINDOWS" R7240 "${@:3}" | tr -d '\r' | paste -sd, | sed 's/$/,/; s/^outcome\(.*\),$/outcome\1/; s/^,$//'; }
  sl_log "Windows build under Wine (CNG)"
  run_cases wine windows
else
  sl_log "the Windows runner or wine64 is missing: the Wine half is not run"
  sl_fail "needs the Windows build (check_address.exe) and wine64"
fi
sl_finish
