# The settings table (setup/settings.def) and the settings model's keys (kSettingsKeys in
# setup/settings_model.cpp) for the shell scripts, sourced by the packages and the tests. After
# sourcing:
#   SL_SETTING_NAMES            the values' names in the table's order
#   sl_setting NAME FIELD       one field: TYPE (Number, Text, Texts), NUMBER, TEXT, SECRET (Yes, No), CHECK
#   sl_setting_property NAME    the installer's public property of the value: DiscoveryTargets ->
#                               DISCOVERY_TARGETS (capitals and an underscore where a word begins)
#   SL_SETTINGS_POLICY_KEY      the machine policy's key below HKEY_LOCAL_MACHINE (SOFTWARE\Policies\ScanLink)
#   SL_SETTINGS_MACHINE_KEY     the machine defaults' key below HKEY_LOCAL_MACHINE (SOFTWARE\ScanLink)
# A level's subkey named after the product's code overrides its key for that product.
_sl_setup="$(dirname "${BASH_SOURCE[0]}")/../setup"
SL_SETTING_FIELDS=(ID NAME TYPE NUMBER TEXT SECRET CHECK)
declare -gA SL_SETTING=()
SL_SETTING_NAMES=()
while IFS= read -r _sl_row; do
  _sl_row="${_sl_row#SETTING(}"; _sl_row="${_sl_row%)}"; _sl_row="${_sl_row//\"/}"
  IFS='|' read -r -a _sl_fields <<<"${_sl_row//, /|}"
  ((${#_sl_fields[@]} == ${#SL_SETTING_FIELDS[@]})) || { echo "settings.sh: a bad row: $_sl_row" >&2; return 1; }
  SL_SETTING_NAMES+=("${_sl_fields[1]}")
  for _sl_i in "${!SL_SETTING_FIELDS[@]}"; do
    SL_SETTING[${_sl_fields[1]}.${SL_SETTING_FIELDS[$_sl_i]}]="${_sl_fields[$_sl_i]}"
  done
done < <(grep '^SETTING(' "$_sl_setup/settings.def")
# kSettingsKeys = {policy, user, machine}, each a C string ("\\" between the names).
mapfile -t _sl_fields < <(sed -n 's/^const SettingsKeys kSettingsKeys = {\(.*\)};$/\1/p' "$_sl_setup/settings_model.cpp" |
  grep -o '"[^"]*"' | tr -d '"' | sed 's/\\\\/\\/g')
((${#_sl_fields[@]} == 3)) || { echo "settings.sh: no kSettingsKeys in setup/settings_model.cpp" >&2; return 1; }
SL_SETTINGS_POLICY_KEY="${_sl_fields[0]}"
SL_SETTINGS_MACHINE_KEY="${_sl_fields[2]}"
unset _sl_row _sl_fields _sl_i _sl_setup

sl_setting() { echo "${SL_SETTING[$1.$2]}"; }
sl_setting_property() { sed 's/\([a-z0-9]\)\([A-Z]\)/\1_\2/g' <<<"$1" | tr a-z A-Z; }
