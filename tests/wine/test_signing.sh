#!/bin/bash
# Code signing with a throwaway certificate made here by openssl: scripts/sign.sh signs the program,
# a resource module and a package, osslsigncode verifies them against that certificate,
# unsigned, tampered and wrongly signed files fail; package.sh signs what it packs (one product,
# one architecture; the other tests use the run's unsigned packages, tests/lib/common.sh); a signed
# resource module still loads under Wine; a full disk leaves the file as it was; no tool package.sh starts sees the password.
source "$(dirname "$0")/../lib/common.sh"
sl_need_root
sl_need_wine
sl_need_cmd openssl osslsigncode wixl msibuild msiextract
WORK="$SL_RUN_DIR/signing-$$"
mkdir -p "$WORK"
sl_on_exit "rm -rf '$WORK'"
cd "$WORK"
# make_cert NAME: a self-signed code-signing certificate NAME.pem and NAME.pfx (password "pw-NAME").
make_cert() {
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.pem" -days 2 -subj "/CN=ScanLink test $1" \
    -addext "extendedKeyUsage=codeSigning" 2>/dev/null &&
    openssl pkcs12 -export -out "$1.pfx" -inkey "$1.key" -in "$1.pem" -passout "pass:pw-$1"
}
make_cert test || sl_fail_now "openssl could not make the test certificate"
make_cert other || sl_fail_now "openssl could not make the second certificate"
verify() { osslsigncode verify -CAfile "$1" -in "$2" >"$WORK/verify.log" 2>&1; }
sign() { SCANLINK_SIGN_PFX="$WORK/test.pfx" SCANLINK_SIGN_PASSWORD=pw-test bash "$SL_ROOT/scripts/sign.sh" "$@" >/dev/null 2>&1; }

PKG="$(sl_packages)" || sl_fail_now "package.sh failed"
cp "$SL_INSTALL/ScanLink.exe" "$SL_INSTALL/R7240RS6.dll" "$WORK/"
cp "$PKG"/ScanLink-R7240-*-x64.msi "$WORK/package.msi"
cp ScanLink.exe unsigned.exe
sl_check "sign.sh signs a program, a resource module and a package" sign ScanLink.exe R7240RS6.dll package.msi
for f in ScanLink.exe R7240RS6.dll package.msi; do
  sl_check "$f verifies against the test certificate" verify test.pem "$f"
  sl_check "$f does not verify against another certificate" eval '! verify other.pem "$f"'
done
sl_check "a second signing replaces the signature (one signature)" \
  eval 'sign ScanLink.exe && verify test.pem ScanLink.exe && grep -q "Number of verified signatures: 1" verify.log'
sl_check "an unsigned program fails" eval '! verify test.pem unsigned.exe'
cp ScanLink.exe tampered.exe
printf 'X' | dd of=tampered.exe bs=1 seek=4096 conv=notrunc 2>/dev/null
sl_check "a program changed after signing fails" eval '! verify test.pem tampered.exe && grep -q MISMATCH verify.log'
cp unsigned.exe badpass.exe
sl_expect_eq "a wrong password fails with status 1" \
  "$(SCANLINK_SIGN_PFX="$WORK/test.pfx" SCANLINK_SIGN_PASSWORD=wrong bash "$SL_ROOT/scripts/sign.sh" badpass.exe >/dev/null 2>&1; echo $?)" 1
sl_check "... and leaves the file unchanged" cmp -s badpass.exe unsigned.exe
mkdir full && mount -t tmpfs -o size=$(($(stat -c %s unsigned.exe) / 1024 + 64))k tmpfs full || sl_fail_now "cannot mount a small file system"
sl_on_exit "umount '$WORK/full'"; cp unsigned.exe full/program.exe; dd if=/dev/zero of=full/filler bs=4k 2>/dev/null
sl_expect_eq "a full disk: sign.sh fails (1), leaves the file unchanged and nothing beside it" \
  "$(sign full/program.exe; echo $?; cmp full/program.exe unsigned.exe 2>&1; ls -A full | tr '\n' ' ')" $'1\nfiller program.exe '
sl_expect_eq "without a certificate sign.sh refuses with status 2" \
  "$(env -u SCANLINK_SIGN_PFX bash "$SL_ROOT/scripts/sign.sh" unsigned.exe 2>/dev/null; echo $?)" 2

for tool in wixl msibuild osslsigncode; do  # stand-ins, first in PATH, that note whether they see the password
  mkdir -p spy; printf '#!/bin/bash\necho "%s $(env | grep -c pw-test)" >>%q\nexec %q "$@"\n' $tool "$WORK/spy.log" "$(command -v $tool)" >spy/$tool
  chmod +x spy/$tool; done; PATH="$WORK/spy:$PATH"
SCANLINK_SIGN_PFX="$WORK/test.pfx" SCANLINK_SIGN_PASSWORD=pw-test SCANLINK_PACKAGE_NO_BUILD=1 SCANLINK_PACKAGE_PRODUCTS=R7240 \
  SCANLINK_PACKAGE_ARCHS=x64 SCANLINK_PACKAGE_DIR="$WORK/signed" bash "$SL_ROOT/scripts/package.sh" >/dev/null 2>&1 ||
  sl_fail_now "package.sh with a certificate failed"
sl_expect_eq "no tool package.sh starts sees the password" "$(sort -u spy.log | tr '\n' ' ')" "msibuild 0 osslsigncode 0 wixl 0 "
msi="$(ls "$WORK"/signed/*.msi)"
sl_check "package.sh with SCANLINK_SIGN_PFX: the package is signed" verify test.pem "$msi"
mkdir -p extracted && (cd extracted && msiextract "$msi" >/dev/null)
packed=("$(find extracted -name R7240SLK.exe)" "$(find extracted -name R7240RS6.dll)")
for f in "${packed[@]}"; do
  sl_check "the packed $(basename "$f") is signed" verify test.pem "$f"
done

sl_netns_new sign
PREFIX="$SL_RUN_DIR/prefix-signing-$$"
sl_prefix "$SL_NS" "$PREFIX"
out="$(sl_wine "$SL_NS" "$PREFIX" "$SL_WINE_PROGS/module_probe.exe" "Z:${WORK//\//\\}\\R7240RS6.dll" </dev/null 2>/dev/null | tr -d '\r')"
sl_expect_eq "the signed resource module loads under Wine" "$out" "loaded R7240RS6.dll"
sl_finish
