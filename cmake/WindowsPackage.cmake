# The portable Windows package: Quorvel-<version>-win64.zip with the programs and a read-me at
# its top, made by "cmake --build build-windows --target package". The programs are static, so
# unzipping anywhere is the whole installation. quorvel.exe comes along as soon as the build has
# a window for Windows.
set(quorvel_programs quorvel-cli quorvel-sim)
if(TARGET quorvel)
    list(PREPEND quorvel_programs quorvel)
endif()
install(TARGETS ${quorvel_programs} RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Quorvel)
set(CPACK_PACKAGE_FILE_NAME Quorvel-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
