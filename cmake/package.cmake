# The package of the 32-bit deliverables: the program folder "Tavrin RC" as the programs expect it
# (the programs, the library, the shipped data, readme.txt) with the driver in Driver\, packed as
# one ZIP that holds this one folder.
set(PROGRAM_FOLDER "Tavrin RC")
set(PACKAGE_PROGRAMS tavrin_rc VarnUSB)
list(APPEND PACKAGE_PROGRAMS Orlimax)
install(TARGETS ${PACKAGE_PROGRAMS} RUNTIME DESTINATION ${PROGRAM_FOLDER})
install(TARGETS VarnPlug LIBRARY DESTINATION ${PROGRAM_FOLDER}/Driver)

set(SHIPPED_DATA ${PROJECT_SOURCE_DIR}/data)
# readme.txt, in code page 1251, says how to start the program and install the driver.
install(FILES ${SHIPPED_DATA}/appllist.ini ${SHIPPED_DATA}/config.ini ${SHIPPED_DATA}/readme.txt
        DESTINATION ${PROGRAM_FOLDER})
install(FILES ${SHIPPED_DATA}/LANG/Rus.ini DESTINATION ${PROGRAM_FOLDER}/LANG)
# Only the default record files ship; the user files and the favourites lists are made on the
# user's machine.
file(GLOB SHIPPED_RECORDS CONFIGURE_DEPENDS ${SHIPPED_DATA}/Bin/def*.bin)
install(FILES ${SHIPPED_RECORDS} DESTINATION ${PROGRAM_FOLDER}/Bin)
file(GLOB SHIPPED_PICTURES CONFIGURE_DEPENDS ${SHIPPED_DATA}/Data/*.bmp)
install(FILES ${SHIPPED_PICTURES} ${SHIPPED_DATA}/Data/alarm.wav
        DESTINATION ${PROGRAM_FOLDER}/Data)

# The version is the tray program's.
set(CPACK_PACKAGE_NAME TavrinRC)
set(CPACK_PACKAGE_VERSION 1.0.0.0)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION})
# The archive's root holds the program folder only.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
