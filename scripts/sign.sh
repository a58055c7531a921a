#!/bin/bash
# Signs executables, resource modules and Windows Installer packages in place (Authenticode, SHA-256)
# with osslsigncode:   bash scripts/sign.sh FILE...
#   SCANLINK_SIGN_PFX            the certificate with its private key (PKCS #12 file); required
#   SCANLINK_SIGN_PASSWORD       its password (handed to osslsigncode in a private file, never on a
#                                command line)
#   SCANLINK_SIGN_TIMESTAMP_URL  an RFC 3161 time-stamp server; without it the signature has no
#                                time stamp and stops being valid when the certificate expires
# Exit status: 0 all signed, 1 a file could not be signed (it is left unchanged), 2 bad usage.
set -euo pipefail

if (($# == 0)); then echo "usage: scripts/sign.sh FILE..." >&2; exit 2; fi
if [[ -z "${SCANLINK_SIGN_PFX:-}" || ! -r "$SCANLINK_SIGN_PFX" ]]; then
  echo "sign: SCANLINK_SIGN_PFX must name a readable PKCS #12 certificate file" >&2
  exit 2
fi
command -v osslsigncode >/dev/null || { echo "sign: needs osslsigncode (scripts/deps.sh installs it)" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
chmod 700 "$work"
printf '%s' "${SCANLINK_SIGN_PASSWORD:-}" >"$work/password"
stamp=()
[[ -n "${SCANLINK_SIGN_TIMESTAMP_URL:-}" ]] && stamp=(-ts "$SCANLINK_SIGN_TIMESTAMP_URL")

for file in "$@"; do
  [[ -f "$file" ]] || { echo "sign: no such file: $file" >&2; exit 1; }
  # An already signed file (a package rebuilt from signed parts, a second run) is signed afresh.
  osslsigncode remove-signature -in "$file" -out "$work/unsigned" >/dev/null 2>&1 && src="$work/unsigned" || src="$file"
  if ! osslsigncode sign -pkcs12 "$SCANLINK_SIGN_PFX" -readpass "$work/password" -h sha256 \
       -n "ScanLink" "${stamp[@]}" -in "$src" -out "$work/signed" >"$work/log" 2>&1; then
    echo "sign: could not sign $file:" >&2
    grep -v '^$' "$work/log" >&2 || true
    exit 1
  fi
  cat "$work/signed" >"$file"
  rm -f "$work/signed" "$work/unsigned"
  echo "sign: signed $file"
done
