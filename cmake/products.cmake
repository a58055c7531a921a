# Reads the product table (product/products.def) for the build: SCANLINK_PRODUCT_CODES lists the file
# codes in the table's order, and SCANLINK_PRODUCT_<code>_<FIELD> holds each field (the field names
# below, in the table's column order).
set(SCANLINK_PRODUCT_FIELDS CODE BRAND MODEL HARDWARE_ID MODEL_OID SECOND_OID DESCRIPTION DEVICE_KEY
    MAKER_KEY MAKER_FOLDER MAKER_KEY_NAME PRODUCT_FOLDER PRODUCT_NAME TITLE_RULE IPV6 ICON_FAMILY
    OPTION_TOKEN PROGRAM_TOKEN GIVEN_ADDRESS)

file(STRINGS ${CMAKE_SOURCE_DIR}/product/products.def scanlink_product_rows REGEX "^SCANLINK_PRODUCT\\(")
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${CMAKE_SOURCE_DIR}/product/products.def)
set(SCANLINK_PRODUCT_CODES)
foreach(row IN LISTS scanlink_product_rows)
  string(REGEX REPLACE "^SCANLINK_PRODUCT\\((.*)\\)$" "\\1" row "${row}")
  string(REPLACE "\"" "" row "${row}")
  string(REPLACE ", " ";" fields "${row}")
  list(LENGTH fields count)
  list(LENGTH SCANLINK_PRODUCT_FIELDS expected)
  if(NOT count EQUAL expected)
    message(FATAL_ERROR "product/products.def: a row has ${count} fields, not ${expected}: ${row}")
  endif()
  list(GET fields 0 code)
  list(APPEND SCANLINK_PRODUCT_CODES ${code})
  foreach(name value IN ZIP_LISTS SCANLINK_PRODUCT_FIELDS fields)
    set(SCANLINK_PRODUCT_${code}_${name} "${value}")
  endforeach()
endforeach()
