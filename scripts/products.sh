# The product table (product/products.def) for the shell scripts, sourced by the packages, the run
# command and the tests. After sourcing:
#   SL_PRODUCT_CODES           the file codes in the table's order
#   sl_product CODE FIELD      one field (names as in cmake/products.cmake: BRAND, MODEL, ...)
#   sl_product_by_token TOKEN  the code of the product whose option token is TOKEN
#   sl_product_key CODE        the registry key of its stored connection (below HKEY_CURRENT_USER)
#   sl_product_title CODE STRINGFILE [app|device|maker]  the dialog's title (or the device title,
#                              or the maker's display name) as the program builds it from that file
SL_PRODUCT_FIELDS=(CODE BRAND MODEL HARDWARE_ID MODEL_OID SECOND_OID DESCRIPTION DEVICE_KEY MAKER_KEY MAKER_FOLDER
  MAKER_KEY_NAME PRODUCT_FOLDER PRODUCT_NAME TITLE_RULE IPV6 ICON_FAMILY OPTION_TOKEN PROGRAM_TOKEN GIVEN_ADDRESS)
declare -gA SL_PRODUCT=()
SL_PRODUCT_CODES=()
while IFS= read -r _sl_row; do
  _sl_row="${_sl_row#SCANLINK_PRODUCT(}"; _sl_row="${_sl_row%)}"; _sl_row="${_sl_row//\"/}"
  IFS='|' read -r -a _sl_fields <<<"${_sl_row//, /|}"
  ((${#_sl_fields[@]} == ${#SL_PRODUCT_FIELDS[@]})) || { echo "products.sh: a bad row: $_sl_row" >&2; return 1; }
  SL_PRODUCT_CODES+=("${_sl_fields[0]}")
  for _sl_i in "${!SL_PRODUCT_FIELDS[@]}"; do
    SL_PRODUCT[${_sl_fields[0]}.${SL_PRODUCT_FIELDS[$_sl_i]}]="${_sl_fields[$_sl_i]}"
  done
done < <(grep '^SCANLINK_PRODUCT(' "$(dirname "${BASH_SOURCE[0]}")/../product/products.def")
unset _sl_row _sl_fields _sl_i

sl_product() { echo "${SL_PRODUCT[$1.$2]}"; }
sl_product_by_token() {
  local code
  for code in "${SL_PRODUCT_CODES[@]}"; do [[ "${SL_PRODUCT[$code.OPTION_TOKEN]}" == "$1" ]] && echo "$code"; done
}
sl_product_key() {
  echo "Software\\${SL_PRODUCT[$1.MAKER_KEY_NAME]}\\${SL_PRODUCT[$1.BRAND]} ${SL_PRODUCT[$1.MODEL]} Scanner\\ScanLink"
}
# _sl_text FILE KEY: a key's text in a string file.
_sl_text() { grep -m1 "^$2=" "$1" | cut -d= -f2- | tr -d '\r'; }
sl_product_title() {
  local code="$1" file="$2" maker device app
  maker="${SL_PRODUCT[$code.BRAND]}"; device="${SL_PRODUCT[$code.MODEL]}"
  [[ "${SL_PRODUCT[$code.MAKER_KEY]}" == None ]] || maker="$(_sl_text "$file" "${SL_PRODUCT[$code.MAKER_KEY]}")"
  [[ "${SL_PRODUCT[$code.DEVICE_KEY]}" == None ]] || device="$(_sl_text "$file" "${SL_PRODUCT[$code.DEVICE_KEY]}")"
  case "${3:-app}" in
    maker) echo "$maker"; return ;;
    device) echo "$maker $device"; return ;;
  esac
  app="$(_sl_text "$file" STR_S_UTIL_APPNAME)"
  if [[ "${SL_PRODUCT[$code.TITLE_RULE]}" == AppNameFormat ]]; then
    # The first "%s" takes the device's name and "%%" gives "%"; every other "%" stays.
    awk -v fmt="$app" -v name="$device" 'BEGIN {
      out = ""; placed = 0
      for (i = 1; i <= length(fmt); i++) {
        c = substr(fmt, i, 1); n = substr(fmt, i + 1, 1)
        if (c == "%" && n == "%") { out = out "%"; i++ }
        else if (c == "%" && n == "s" && !placed) { out = out name; placed = 1; i++ }
        else out = out c
      }
      print out }'
  else
    echo "$maker $device $app"
  fi
}
