#!/bin/bash
# Writes the Group Policy templates of ScanLink's settings (scripts/package.sh runs it):
#   bash scripts/policy_templates.sh DIR  -> DIR/ScanLink.admx, DIR/{en-US,de-DE,ja-JP}/ScanLink.adml
# One policy per value of setup/settings.def in the category "ScanLink" (the machine policy's key,
# SOFTWARE\Policies\ScanLink) and again in one category per product of product/products.def (the
# key's subkey named after the product's code, which overrides the key for that product). The texts
# come from setup/settings_policy_texts.txt. How a value shows follows its type: a Texts value is a
# multi-line text (REG_MULTI_SZ, one entry per line), a Text a text box (REG_SZ), a Number a
# decimal box (REG_DWORD) or, with "form = boolean", the policy's own Enabled (1) / Disabled (0).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
OUT="${1:?usage: policy_templates.sh DIR}"
source "$ROOT/scripts/settings.sh"
source "$ROOT/scripts/products.sh"
LANGS=(en-US de-DE ja-JP)

declare -A TEXT=()
section=""
while IFS= read -r line; do
  [[ "$line" =~ ^[[:space:]]*(#|$) ]] && continue
  if [[ "$line" =~ ^\[(.+)\]$ ]]; then section="${BASH_REMATCH[1]}"; continue; fi
  [[ "$line" == *" = "* ]] || { echo "policy_templates: not a text line: $line" >&2; exit 1; }
  TEXT["$section.${line%% = *}"]="${line#* = }"
done <"$ROOT/setup/settings_policy_texts.txt"
# text SECTION KEY: one text; a missing one stops the build (every value needs all its texts).
text() {
  [[ -n "${TEXT[$1.$2]:-}" ]] || { echo "policy_templates: no text \"$2\" for $1 in setup/settings_policy_texts.txt" >&2; exit 1; }
  echo "${TEXT[$1.$2]}"
}
fill() { local pattern='%s'; echo "${1//"$pattern"/$2}"; }  # fill TEMPLATE VALUE: "%s" -> VALUE
xml() { sed 's/&/\&amp;/g; s/</\&lt;/g; s/>/\&gt;/g; s/"/\&quot;/g; s/\\n/\n/g' <<<"$1"; }
form() {  # form NAME: boolean, decimal, text or multiText
  case "$(sl_setting "$1" TYPE)" in
    Number) [[ "${TEXT[$1.form]:-}" == boolean ]] && echo boolean || echo decimal ;;
    Text) echo text ;;
    Texts) echo multiText ;;
    *) echo "policy_templates: $1 has an unknown type" >&2; exit 1 ;;
  esac
}
product_name() { echo "$(sl_product "$1" BRAND) $(sl_product "$1" MODEL)"; }

mkdir -p "$OUT"
ns='xmlns:xsd="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" revision="1.0" schemaVersion="1.0" xmlns="http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"'
{
  cat <<EOF
<?xml version="1.0" encoding="utf-8"?>
<policyDefinitions $ns>
  <policyNamespaces>
    <target prefix="scanlink" namespace="ScanLink.Policies.ScanLink"/>
  </policyNamespaces>
  <resources minRequiredRevision="1.0"/>
  <supportedOn>
    <definitions>
      <definition name="SUPPORTED_ScanLink" displayName="\$(string.SUPPORTED_ScanLink)"/>
    </definitions>
  </supportedOn>
  <categories>
    <category name="ScanLink" displayName="\$(string.ScanLink)"/>
EOF
  for code in "${SL_PRODUCT_CODES[@]}"; do
    echo "    <category name=\"ScanLink_$code\" displayName=\"\$(string.ScanLink_$code)\" explainText=\"\$(string.ScanLink_${code}_Help)\"><parentCategory ref=\"ScanLink\"/></category>"
  done
  echo "  </categories>"
  echo "  <policies>"
  for code in "" "${SL_PRODUCT_CODES[@]}"; do
    for name in "${SL_SETTING_NAMES[@]}"; do
      policy="$name" category=ScanLink key="$SL_SETTINGS_POLICY_KEY" f="$(form "$name")"
      [[ -z "$code" ]] || { policy+="_$code"; category+="_$code"; key+="\\$code"; }
      if [[ $f == boolean ]]; then
        echo "    <policy name=\"$policy\" class=\"Machine\" displayName=\"\$(string.$name)\" explainText=\"\$(string.${name}_Help)\" key=\"$key\" valueName=\"$name\">"
      else
        echo "    <policy name=\"$policy\" class=\"Machine\" displayName=\"\$(string.$name)\" explainText=\"\$(string.${name}_Help)\" presentation=\"\$(presentation.$name)\" key=\"$key\">"
      fi
      echo "      <parentCategory ref=\"$category\"/>"
      echo "      <supportedOn ref=\"SUPPORTED_ScanLink\"/>"
      case $f in
        boolean) echo '      <enabledValue><decimal value="1"/></enabledValue>'
                 echo '      <disabledValue><decimal value="0"/></disabledValue>' ;;
        decimal) echo "      <elements><decimal id=\"$name\" valueName=\"$name\" maxValue=\"4294967295\"/></elements>" ;;
        *) echo "      <elements><$f id=\"$name\" valueName=\"$name\"/></elements>" ;;
      esac
      echo "    </policy>"
    done
  done
  echo "  </policies>"
  echo "</policyDefinitions>"
} >"$OUT/ScanLink.admx"

for lang in "${LANGS[@]}"; do
  mkdir -p "$OUT/$lang"
  {
    cat <<EOF
<?xml version="1.0" encoding="utf-8"?>
<policyDefinitionResources $ns>
  <displayName>ScanLink</displayName>
  <description>$(xml "$(text ScanLink "$lang.description")")</description>
  <resources>
    <stringTable>
      <string id="ScanLink">ScanLink</string>
      <string id="SUPPORTED_ScanLink">$(xml "$(text ScanLink "$lang.supported")")</string>
EOF
    for code in "${SL_PRODUCT_CODES[@]}"; do
      echo "      <string id=\"ScanLink_$code\">$(xml "$(product_name "$code")")</string>"
      echo "      <string id=\"ScanLink_${code}_Help\">$(xml "$(fill "$(text ScanLink "$lang.product")" "$(product_name "$code")")")</string>"
    done
    for name in "${SL_SETTING_NAMES[@]}"; do
      help="$(text "$name" "$lang.help")"
      [[ "$(sl_setting "$name" SECRET)" == Yes ]] && help+="\\n$(text ScanLink "$lang.secret")"
      default="$(sl_setting "$name" TEXT)"
      [[ "$(form "$name")" == decimal ]] && default="$(sl_setting "$name" NUMBER)"
      [[ -z "$default" ]] || help+="\\n$(fill "$(text ScanLink "$lang.default")" "$default")"
      echo "      <string id=\"$name\">$(xml "$(text "$name" "$lang")")</string>"
      echo "      <string id=\"${name}_Help\">$(xml "$help")</string>"
    done
    echo "    </stringTable>"
    echo "    <presentationTable>"
    for name in "${SL_SETTING_NAMES[@]}"; do
      label="$(xml "$(text "$name" "$lang")")"
      case "$(form "$name")" in
        boolean) continue ;;
        decimal) box="<decimalTextBox refId=\"$name\" defaultValue=\"$(sl_setting "$name" NUMBER)\">$label</decimalTextBox>" ;;
        text) box="<textBox refId=\"$name\"><label>$label</label></textBox>" ;;
        multiText) box="<multiTextBox refId=\"$name\">$label</multiTextBox>" ;;
      esac
      echo "      <presentation id=\"$name\">$box</presentation>"
    done
    echo "    </presentationTable>"
    echo "  </resources>"
    echo "</policyDefinitionResources>"
  } >"$OUT/$lang/ScanLink.adml"
done
echo "policy_templates: $OUT/ScanLink.admx and ${LANGS[*]}"
