# Generates and installs the sample setup information files of every product of the table
# (product/products.def) from network_scanner.inf.in, where each product's install folder keeps
# them: program-files/<maker folder>/<product folder>/Network/<code>N64.inf and <code>N32.inf, so
# that a test can copy program-files/ into the 32-bit program-files folder of a Windows (or Wine)
# system.
include(${CMAKE_SOURCE_DIR}/cmake/products.cmake)
foreach(code IN LISTS SCANLINK_PRODUCT_CODES)
  set(SL_HARDWARE_ID "${SCANLINK_PRODUCT_${code}_HARDWARE_ID}")
  set(SL_DESCRIPTION "${SCANLINK_PRODUCT_${code}_DESCRIPTION}")
  set(SL_MAKER "${SCANLINK_PRODUCT_${code}_BRAND}")
  set(files)
  foreach(bits 64 32)
    set(SL_BITS ${bits})
    if(bits EQUAL 64)
      set(SL_DECORATION NTamd64)
    else()
      set(SL_DECORATION NTx86)
    endif()
    set(SL_INF_FILE "${code}N${bits}.inf")
    configure_file(${CMAKE_SOURCE_DIR}/res/inf/network_scanner.inf.in ${CMAKE_BINARY_DIR}/inf/${SL_INF_FILE} @ONLY
                   NEWLINE_STYLE CRLF)
    list(APPEND files ${CMAKE_BINARY_DIR}/inf/${SL_INF_FILE})
  endforeach()
  install(FILES ${files} DESTINATION
          "program-files/${SCANLINK_PRODUCT_${code}_MAKER_FOLDER}/${SCANLINK_PRODUCT_${code}_PRODUCT_FOLDER}/Network")
endforeach()
