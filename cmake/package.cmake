# The package of the 32-bit deliverables: the program folder as the programs expect it (the
# programs, the library, the shipped data) with the driver in Driver\, packed as one ZIP.
set(PACKAGE_PROGRAMS tavrin_rc VarnUSB)
list(APPEND PACKAGE_PROGRAMS Orlimax)
install(TARGETS ${PACKAGE_PROGRAMS} RUNTIME DESTINATION .)
install(TARGETS VarnPlug LIBRARY DESTINATION Driver)

set(SHIPPED_DATA ${PROJECT_SOURCE_DIR}/data)
install(FILES ${SHIPPED_DATA}/appllist.ini ${SHIPPED_DATA}/config.ini DESTINATION .)
install(FILES ${SHIPPED_DATA}/LANG/Rus.ini DESTINATION LANG)
# Only the default record files ship; the user files and the favourites lists are made on the
# user's machine.
file(GLOB SHIPPED_RECORDS CONFIGURE_DEPENDS ${SHIPPED_DATA}/Bin/def*.bin)
install(FILES ${SHIPPED_RECORDS} DESTINATION Bin)
file(GLOB SHIPPED_PICTURES CONFIGURE_DEPENDS ${SHIPPED_DATA}/Data/*.bmp)
install(FILES ${SHIPPED_PICTURES} ${SHIPPED_DATA}/Data/alarm.wav DESTINATION Data)

# The version is the tray program's.
set(CPACK_PACKAGE_NAME TavrinRC)
set(CPACK_PACKAGE_VERSION 1.0.0.0)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION})
# The archive's root is the program folder.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
