#!/bin/bash
# Signs executables, resource modules and Windows Installer packages (Authenticode, SHA-256) with
# osslsigncode:   bash scripts/sign.sh FILE...
# Each file is signed into a private folder beside it and the signed file then moved over it, so a
# file that cannot be signed or written (a full disk) is left as it was and nothing stays behind.
#   SCANLINK_SIGN_PFX            the certificate with its private key (PKCS #12 file); required
#   SCANLINK_SIGN_PASSWORD       its password (handed to osslsigncode in a private file, never on a
#                                command line; removed from the environment of what this starts)
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

password="${SCANLINK_SIGN_PASSWORD:-}"
unset SCANLINK_SIGN_PASSWORD
work="$(mktemp -d)"
beside=""  # the private folder beside the file being signed
trap 'rm -rf "$work" ${beside:+"$beside"}' EXIT
trap 'exit 1' HUP INT TERM
chmod 700 "$work"
printf '%s' "$password" >"$work/password"
unset password
stamp=()
[[ -n "${SCANLINK_SIGN_TIMESTAMP_URL:-}" ]] && stamp=(-ts "$SCANLINK_SIGN_TIMESTAMP_URL")

for file in "$@"; do
  [[ -f "$file" ]] || { echo "sign: no such file: $file" >&2; exit 1; }
  # An already signed file (a package rebuilt from signed parts, a second run) is signed afresh.
  osslsigncode remove-signature -in "$file" -out "$work/unsigned" >/dev/null 2>&1 && src="$work/unsigned" || src="$file"
  # The signed file is written on the file's own file system, so that the move replaces it at once.
  beside="$(mktemp -d "$(dirname "$file")/.sign-XXXXXX")" || { echo "sign: cannot write beside $file" >&2; exit 1; }
  if ! osslsigncode sign -pkcs12 "$SCANLINK_SIGN_PFX" -readpass "$work/password" -h sha256 \
       -n "ScanLink" "${stamp[@]}" -in "$src" -out "$beside/signed" >"$work/log" 2>&1 ||
     ! chmod --reference="$file" "$beside/signed" || ! sync "$beside/signed"; then
    echo "sign: could not sign $file:" >&2
    grep -v '^$' "$work/log" >&2 || true
    exit 1
  fi
  mv -f "$beside/signed" "$file"
  rm -rf "$beside" "$work/unsigned"
  beside=""
  echo "sign: signed $file"
done
