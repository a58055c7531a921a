#!/bin/bash
# Installs, when missing, every Debian package that building, running and testing ScanLink needs,
# and makes the glibc locales the tests run Wine under (Japanese for code page 932, German).
set -euo pipefail

packages=(
  cmake g++ make googletest libgtest-dev             # native build and unit tests
  libssl-dev                                          # libcrypto: the native bodies of platform/crypto.h
  clang libclang-rt-14-dev                            # fuzz targets (libFuzzer)
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64   # the Windows build
  wine64                                              # runs the Windows build
  wine32:i386                                         # runs the x86 build (i386 architecture added below)
  wixl msitools osslsigncode openssl                  # Windows Installer packages, code signing
  libxml2-utils                                       # xmllint: the Group Policy templates are well-formed
  xvfb x11-apps imagemagick                           # windows without a desktop, screenshots
  fonts-wine fonts-ipafont-gothic                     # Wine's own fonts (Tahoma, Marlett); Japanese glyphs
  snmpd snmp                                          # the virtual scanner LAN's agents
  iproute2 procps psmisc locales                      # namespaces, process control, locales (below)
  python3                                             # reads the command line's JSON (tests/lan/test_cli.sh)
)
# Wine takes its ANSI code page from the Unix locale: ja_JP.UTF-8 gives code page 932.
locales=(ja_JP de_DE)

# The x86 build runs under Wine's 32-bit support, which comes from the i386 architecture. Wine prefixes
# must be made after wine32 is installed: older prefixes cannot start 32-bit programs.
add_i386=0
dpkg --print-foreign-architectures | grep -qx i386 || add_i386=1

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]} || add_i386)); then
  if [[ $(id -u) -ne 0 ]]; then
    echo "deps: missing packages: ${missing[*]} (run as root to install them)" >&2
    exit 1
  fi
  echo "deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  ((add_i386)) && dpkg --add-architecture i386
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
has_locale() { grep -qix "$1.utf8" <<<"$(locale -a 2>/dev/null)"; }
for l in "${locales[@]}"; do
  has_locale "$l" && continue
  if [[ $(id -u) -ne 0 ]]; then echo "deps: missing locale $l.UTF-8 (run as root to make it)" >&2; exit 1; fi
  echo "deps: making the $l.UTF-8 locale"
  { localedef -i "$l" -f UTF-8 "$l.UTF-8" && has_locale "$l"; } || { echo "deps: could not make $l.UTF-8" >&2; exit 1; }
done
# The packaged snmpd starts a system-wide agent; the tests run their own agents in namespaces only.
# Only the packaged service is stopped (its pid file); agents of running tests are left alone.
if [[ -f /run/snmpd.pid ]]; then kill "$(cat /run/snmpd.pid)" 2>/dev/null || true; rm -f /run/snmpd.pid; fi
exit 0
