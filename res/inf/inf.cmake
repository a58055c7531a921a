# Installs the sample setup information files where each product's install folder keeps them:
# program-files/<maker folder>/<product folder>/Network/<code>N64.inf and <code>N32.inf, so that a
# test can copy program-files/ into the 32-bit program-files folder of a Windows (or Wine) system.
set(SCANLINK_INF_LAYOUT
  "R7240|VEL MORA/chromaline 7240MF/Scanner"
  "R7245|VEL MORA/chromaline 7245MF/Scanner"
  "TST30|VEL MORA/tessera T30/Scanner"
  "R5180|VEL MORA/chromaline 5180MF/Scanner"
  "O724X|VEL MORA/ochre 724XMF/Scanner"
  "T210_|Tarnico/TARN TX210n Scanner"
  "L835_|corvel/Lumeo 8350MFP/Scanner"
  "DX52F|MIRANO_P1/MR-DX52NF/Scanner")
foreach(entry ${SCANLINK_INF_LAYOUT})
  string(REPLACE "|" ";" parts "${entry}")
  list(GET parts 0 code)
  list(GET parts 1 folder)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/${code}N64.inf ${CMAKE_CURRENT_LIST_DIR}/${code}N32.inf
          DESTINATION "program-files/${folder}/Network")
endforeach()
