#!/bin/bash
# Builds the Windows Installer packages, one per product and architecture, with wixl (msitools).
#   bash scripts/package.sh            -> build/packages/ScanLink-<code>-<version>-<x64|x86>.msi
# Each package installs what a start without connection options needs (docs/install.md): the
# program as <code>SLK.exe in the product's program folder with the string files of all three
# languages beside it (<code>STR-en.tbl, -de, -ja), the resource module for the system in the system
# directory with a copy of the string file of the user's language as <code>STR.tbl, and a Start
# menu shortcut (the x86 package's named with " (x86)", so that both packages can be installed).
# Public properties write machine defaults (docs/install.md): one per value of setup/settings.def
# that is not secret, named after it (DISCOVERY_TARGETS, LOCAL_BROADCAST, DEFAULT_SCANNER, ...), and
# REFRESH_AT_LOGON=1 adds a Run value that starts "<code>SLK.exe /refresh" at every logon.
# Also writes the Group Policy templates into build/packages/policy/ (scripts/policy_templates.sh).
# Environment (all optional):
#   SCANLINK_SIGN_PFX, SCANLINK_SIGN_PASSWORD, SCANLINK_SIGN_TIMESTAMP_URL   sign (scripts/sign.sh)
#   SCANLINK_PACKAGE_PRODUCTS="R7240 L835_"   only these products (default: all eight)
#   SCANLINK_PACKAGE_ARCHS="x64"               only these architectures (default: x64 x86)
#   SCANLINK_PACKAGE_DIR=DIR                   write the packages there instead
#   SCANLINK_PACKAGE_VERSION=A.B.C.D           the package's version instead of product/version.h
#                                              (the tests build a "newer" package with it)
#   SCANLINK_PACKAGE_NO_BUILD=1                use the installed builds and tools as they are (the
#                                              test command, after scripts/deps.sh and its builds)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"
# The signing password goes to scripts/sign.sh alone, not into the environment of everything this
# starts (the builds, wixl, msibuild).
sign_password="${SCANLINK_SIGN_PASSWORD:-}"
unset SCANLINK_SIGN_PASSWORD
sign() { SCANLINK_SIGN_PASSWORD="$sign_password" bash scripts/sign.sh "$@"; }
[[ -n "${SCANLINK_PACKAGE_NO_BUILD:-}" ]] || bash scripts/deps.sh

VERSION="$(for part in MAJOR MINOR PATCH BUILD; do
  sed -n "s/^#define SCANLINK_VERSION_$part \([0-9]*\)$/\1/p" product/version.h
done | paste -sd.)"
[[ "$VERSION" =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "package: no version in product/version.h" >&2; exit 1; }
VERSION="${SCANLINK_PACKAGE_VERSION:-$VERSION}"
OUT="${SCANLINK_PACKAGE_DIR:-$ROOT/build/packages}"
ARCHS=(${SCANLINK_PACKAGE_ARCHS:-x64 x86})

# The products' facts come from the one table (product/products.def).
source "$ROOT/scripts/products.sh"
source "$ROOT/scripts/settings.sh"
# Language IDs whose user gets the German or Japanese string file (every German-speaking region).
DE_IDS=(1031 2055 3079 4103 5127)
JA_IDS=(1041)

# guid TEXT: a GUID that stays the same for the same text (the upgrade code of a product and arch).
guid() {
  local h; h="$(printf '%s' "$1" | md5sum | tr a-f A-F)"
  echo "${h:0:8}-${h:8:4}-5${h:13:3}-8${h:17:3}-${h:20:12}"
}
xml() { sed 's/&/\&amp;/g; s/</\&lt;/g; s/>/\&gt;/g; s/"/\&quot;/g' <<<"$1"; }

mkdir -p "$OUT"
bash "$ROOT/scripts/policy_templates.sh" "$OUT/policy"
for arch in "${ARCHS[@]}"; do
  install="$ROOT/build/windows-$arch/install"
  if [[ -z "${SCANLINK_PACKAGE_NO_BUILD:-}" ]]; then
    cmake --preset "windows-$arch" >/dev/null
    cmake --build --preset "windows-$arch" -j2 >/dev/null
    cmake --install "build/windows-$arch" >/dev/null
  fi
  [[ -f "$install/ScanLink.exe" ]] || { echo "package: no build in $install" >&2; exit 1; }
  for code in "${SL_PRODUCT_CODES[@]}"; do
    [[ -n "${SCANLINK_PACKAGE_PRODUCTS:-}" && " $SCANLINK_PACKAGE_PRODUCTS " != *" $code "* ]] && continue
    maker_folder="$(sl_product "$code" MAKER_FOLDER)"; model="$(sl_product "$code" MODEL)"
    family="$(sl_product "$code" ICON_FAMILY)"
    en="$install/strings/en/${code}STR.tbl"
    maker="$(sl_product_title "$code" "$en" maker)"
    declare -A name=()
    for lang in en de ja; do
      name[$lang]="$(sl_product_title "$code" "$install/strings/$lang/${code}STR.tbl")"
    done
    # wixl drops texts outside the package's code page, so the Japanese shortcut keeps the English title.
    name[ja]="${name[en]}"
    stage="$OUT/stage/$code-$arch"
    rm -rf "$stage"; mkdir -p "$stage"
    cp "$install/ScanLink.exe" "$stage/${code}SLK.exe"
    cp "$install/${code}RS6.dll" "$install/${code}RES.dll" "$stage/"
    for lang in en de ja; do cp "$install/strings/$lang/${code}STR.tbl" "$stage/${code}STR-$lang.tbl"; done
    cp "res/icons/family$family.ico" "$stage/product.ico"
    if [[ -n "${SCANLINK_SIGN_PFX:-}" ]]; then
      sign "$stage/${code}SLK.exe" "$stage/${code}RS6.dll" "$stage/${code}RES.dll"
    fi

    if [[ $arch == x64 ]]; then
      pf=ProgramFiles64Folder; sys=System64Folder; win64=' Win64="yes"'; suffix=""
    else
      pf=ProgramFilesFolder; sys=SystemFolder; win64=''; suffix=" (x86)"
    fi
    arp_name="${name[en]}$suffix"
    # The x64 package is for 64-bit Windows only, so its one module is the 64-bit systems' one; the
    # x86 package carries both and installs the one of the system (conditions set below).
    module() {  # module SUFFIX: the component of the resource module <code>SUFFIX.dll
      echo "      <Component Id=\"Module$1\" Guid=\"*\"$win64>"
      echo "        <File Id=\"Module$1\" Name=\"${code}$1.dll\" Source=\"${code}$1.dll\" KeyPath=\"yes\"/>"
      echo "      </Component>"
    }
    modules="$(module RS6)"
    [[ $arch == x86 ]] && modules+=$'\n'"$(module RES)"
    # The three string files lie in the program folder under their own names (one component). The
    # system directory's <code>STR.tbl is a copy of one of them (DuplicateFile, added below), made
    # by the component of its language, which also carries the shortcut with the title in it: so
    # no two components install a file of one name into one folder.
    strings="
              <Component Id=\"Strings\" Guid=\"*\"$win64>"
    langs=""
    for lang in en de ja; do
      key=""; [[ $lang == en ]] && key=' KeyPath="yes"'
      strings+="
                <File Id=\"Strings_$lang\" Name=\"${code}STR-$lang.tbl\" Source=\"${code}STR-$lang.tbl\"$key/>"
      langs+="
              <Component Id=\"Lang_$lang\" Guid=\"$(guid "ScanLink language $code $arch $lang")\"$win64>
                <CreateFolder/>
                <Shortcut Id=\"Shortcut_$lang\" Name=\"$(xml "${name[$lang]}$suffix")\" Directory=\"ProgramMenuFolder\"
                          Target=\"[PROGRAMDIR]${code}SLK.exe\" WorkingDirectory=\"PROGRAMDIR\"/>
              </Component>"
    done
    strings+="
              </Component>$langs"
    # Machine defaults: each public property given writes its value into the machine defaults'
    # subkey of this product, in the package's view (an x86 package's land in WOW6432Node, where
    # the 32-bit program reads them). The package keeps the properties it was given in a key of
    # its own (Installer\<code> beside the product subkeys; the program reads no such product) and
    # reads them back (AppSearch, then Restore_*) for a property not given, so that a repair or an
    # upgrade writes the same values again; an uninstall removes both. Secret values are not
    # offered: a property's value lands in the installer's log.
    machine_key="$SL_SETTINGS_MACHINE_KEY\\$code"
    memory_key="$SL_SETTINGS_MACHINE_KEY\\Installer\\$code"
    memory() { echo "<RegistryValue Root=\"HKLM\" Key=\"$memory_key\" Name=\"$1\" Type=\"string\" Value=\"[$1]\"${2:-}/>"; }
    defaults="" searches="" restores="" lists="" previous=AppSearch
    conditions=('RefreshAtLogon|REFRESH_AT_LOGON="1"')  # component|condition (set below with msibuild)
    properties=(REFRESH_AT_LOGON)
    for setting in "${SL_SETTING_NAMES[@]}"; do
      [[ "$(sl_setting "$setting" SECRET)" == No ]] || continue
      p="$(sl_setting_property "$setting")"
      properties+=("$p"); conditions+=("Setting_$setting|$p")
      value="<RegistryValue Root=\"HKLM\" Key=\"$machine_key\" Name=\"$setting\" Value=\"[$p]\""
      case "$(sl_setting "$setting" TYPE)" in
        Number) value+=' Type="integer"/>' ;;
        Text) value+=' Type="string"/>' ;;
        Texts) value=""; lists+="  list(\"$setting\", \"$p\");"$'\n' ;;  # by setting_lists.js (below)
      esac
      defaults+="
              <Component Id=\"Setting_$setting\" Guid=\"$(guid "ScanLink setting $code $arch $setting")\"$win64>
                $(memory "$p" ' KeyPath="yes"')
                $value
              </Component>"
    done
    defaults+="
              <Component Id=\"RefreshAtLogon\" Guid=\"$(guid "ScanLink refresh at logon $code $arch")\"$win64>
                <RegistryValue Root=\"HKLM\" Key=\"Software\\Microsoft\\Windows\\CurrentVersion\\Run\" Name=\"ScanLink refresh $code\"
                               Type=\"string\" Value=\"&quot;[PROGRAMDIR]${code}SLK.exe&quot; /refresh\" KeyPath=\"yes\"/>
                $(memory REFRESH_AT_LOGON)
              </Component>"
    for p in "${properties[@]}"; do
      searches+="
    <Property Id=\"SL_SAVED_$p\">
      <RegistrySearch Id=\"Saved_$p\" Root=\"HKLM\" Key=\"$memory_key\" Name=\"$p\" Type=\"raw\"$win64/>
    </Property>
    <CustomAction Id=\"Restore_$p\" Property=\"$p\" Value=\"[SL_SAVED_$p]\"/>"
      restores+="
      <Custom Action=\"Restore_$p\" After=\"$previous\">NOT $p AND SL_SAVED_$p</Custom>"
      previous="Restore_$p"
    done
    # wixl writes no multi-string from a property: each list value given as "a;b" becomes a
    # temporary Registry row (before costing) whose value "[~]a[~]b[~]" Windows Installer writes as
    # the multi-string a, b, replacing what was there. The row is added in every session, the
    # uninstall's too, so that removing the component removes the value. Entries are trimmed,
    # empty ones left out (a list without entries writes nothing), brackets kept as they are.
    if [[ -n "$lists" ]]; then
      cat >"$stage/setting_lists.js" <<EOF
function main() {
$lists  return 1;
}
function list(name, property) {
  var entries = Session.Property(property).split(";"), value = "";
  for (var i = 0; i < entries.length; i++) {
    var entry = entries[i].replace(/^\s+|\s+$/g, "");
    if (entry != "") value += "[~]" + entry.replace(/[\[\]]/g, function (c) { return "[\\\\" + c + "]"; });
  }
  if (value == "") return;
  var view = Session.Database.OpenView("INSERT INTO \`Registry\` (\`Registry\`, \`Root\`, \`Key\`, \`Name\`, \`Value\`, " +
                                       "\`Component_\`) VALUES (?, 2, ?, ?, ?, ?) TEMPORARY");
  var row = Session.Installer.CreateRecord(5);
  row.StringData(1) = "Setting_" + name;
  row.StringData(2) = "${machine_key//\\/\\\\}";
  row.StringData(3) = name;
  row.StringData(4) = value + "[~]";
  row.StringData(5) = "Setting_" + name;
  view.Execute(row);
  view.Close();
}
EOF
      searches+="
    <Binary Id=\"SettingLists\" SourceFile=\"setting_lists.js\"/>
    <CustomAction Id=\"SettingLists\" BinaryKey=\"SettingLists\" JScriptCall=\"main\" Return=\"check\"/>"
      restores+="
      <Custom Action=\"SettingLists\" Before=\"CostInitialize\"/>"
    fi
    cat >"$stage/package.wxs" <<EOF
<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="*" Name="$(xml "$arp_name")" Language="1033" Version="$VERSION" Manufacturer="$(xml "$maker")"
           UpgradeCode="$(guid "ScanLink upgrade code $code $arch")">
    <Package InstallerVersion="500" Compressed="yes" InstallScope="perMachine"
             Description="$(xml "${name[en]}") $VERSION ($arch)"/>
    <MajorUpgrade DowngradeErrorMessage="A newer version of this program is already installed."/>
    <Media Id="1" Cabinet="scanlink.cab" EmbedCab="yes"/>
    <Icon Id="product.ico" SourceFile="product.ico"/>
    <Property Id="ARPPRODUCTICON" Value="product.ico"/>
    <Property Id="ARPNOMODIFY" Value="1"/>$searches
    <InstallExecuteSequence>$restores
    </InstallExecuteSequence>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="$pf">
        <Directory Id="MakerDir" Name="$(xml "$maker_folder")">
          <Directory Id="ModelDir" Name="$(xml "$model")">
            <Directory Id="PROGRAMDIR" Name="ScanLink">
              <Component Id="Program" Guid="*"$win64>
                <File Id="Program" Name="${code}SLK.exe" Source="${code}SLK.exe" KeyPath="yes"/>
              </Component>$strings$defaults
            </Directory>
          </Directory>
        </Directory>
      </Directory>
      <Directory Id="$sys">
$modules
      </Directory>
      <Directory Id="ProgramMenuFolder"/>
    </Directory>
    <Feature Id="ScanLink" Level="1">
      <ComponentRef Id="Program"/>
      <ComponentRef Id="ModuleRS6"/>$([[ $arch == x86 ]] && echo '
      <ComponentRef Id="ModuleRES"/>')
      <ComponentRef Id="Strings"/>
      <ComponentRef Id="Lang_en"/>
      <ComponentRef Id="Lang_de"/>
      <ComponentRef Id="Lang_ja"/>$(for c in "${conditions[@]}"; do printf '\n      <ComponentRef Id="%s"/>' "${c%%|*}"; done)
    </Feature>
  </Product>
</Wix>
EOF
    msi="$OUT/ScanLink-$code-$VERSION-$arch.msi"
    rm -f "$msi"
    (cd "$stage" && wixl -a "$arch" -o "$msi" package.wxs 2>&1 | grep -v "GLib-GObject-WARNING" >&2 || true)
    [[ -f "$msi" ]] || { echo "package: wixl failed for $code $arch" >&2; exit 1; }
    # wixl has no component conditions and no copied files: they are added to the built package.
    # The language follows the user's unless SCANLINK_LANGUAGE=en|de|ja is given on the command
    # line; any other SCANLINK_LANGUAGE gets English. Exactly one language component is installed.
    # (A condition is at most 255 characters, hence the English one lists what it is not.)
    is_one_of() { printf 'UserLanguageID=%s OR ' "$@"; echo 0; }
    cond_de="SCANLINK_LANGUAGE=\"de\" OR (NOT SCANLINK_LANGUAGE AND ($(is_one_of "${DE_IDS[@]}")))"
    cond_ja="SCANLINK_LANGUAGE=\"ja\" OR (NOT SCANLINK_LANGUAGE AND ($(is_one_of "${JA_IDS[@]}")))"
    none_of="$(printf 'UserLanguageID<>%s AND ' "${DE_IDS[@]}" "${JA_IDS[@]}")"
    cond_en="SCANLINK_LANGUAGE<>\"de\" AND SCANLINK_LANGUAGE<>\"ja\" AND (SCANLINK_LANGUAGE OR (${none_of% AND }))"
    queries=(
      "UPDATE \`Component\` SET \`Condition\` = '$cond_de' WHERE \`Component\` = 'Lang_de'"
      "UPDATE \`Component\` SET \`Condition\` = '$cond_ja' WHERE \`Component\` = 'Lang_ja'"
      "UPDATE \`Component\` SET \`Condition\` = '$cond_en' WHERE \`Component\` = 'Lang_en'"
      "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('RemoveDuplicateFiles', 3400)"
      "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('DuplicateFiles', 4210)"
    )
    { printf 'FileKey\tComponent_\tFile_\tDestName\tDestFolder\r\ns72\ts72\ts72\tL255\tS72\r\nDuplicateFile\tFileKey\r\n'
      for lang in en de ja; do printf 'Copy_%s\tLang_%s\tStrings_%s\t%s\t%s\r\n' $lang $lang $lang "${code}STR.tbl" $sys; done
    } >"$stage/DuplicateFile.idt"
    msibuild "$msi" -i "$stage/DuplicateFile.idt"
    [[ $arch == x86 ]] && queries+=(
      "UPDATE \`Component\` SET \`Condition\` = 'VersionNT64' WHERE \`Component\` = 'ModuleRS6'"
      "UPDATE \`Component\` SET \`Condition\` = 'NOT VersionNT64' WHERE \`Component\` = 'ModuleRES'")
    for c in "${conditions[@]}"; do
      queries+=("UPDATE \`Component\` SET \`Condition\` = '${c#*|}' WHERE \`Component\` = '${c%%|*}'")
    done
    for q in "${queries[@]}"; do msibuild "$msi" -q "$q"; done
    if [[ -n "${SCANLINK_SIGN_PFX:-}" ]]; then sign "$msi"; fi
    echo "package: $msi ($(stat -c %s "$msi") bytes)"
  done
done
