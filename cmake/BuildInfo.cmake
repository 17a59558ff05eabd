# What the programs learn from the build: the project's version and where an installation puts
# the scripts relative to the programs. Both become generated headers under
# ${PROJECT_BINARY_DIR}/generated, which every target includes from (through zuna_project).
include(GNUInstallDirs)

# The installed scripts' folder, and the path from the programs' folder to it. A relative path
# keeps an installation movable: /usr/bin and /usr/local/bin both give ../share/zuna-transfer.
set(ZUNA_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/zuna-transfer)
file(RELATIVE_PATH ZUNA_BIN_TO_DATA ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/zuna-transfer)

set(ZUNA_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${ZUNA_GENERATED_DIR}/app/version.h @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/install_layout.h.in
               ${ZUNA_GENERATED_DIR}/platform/files/install_layout.h @ONLY)
