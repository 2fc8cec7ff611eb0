# Tests of the Windows build run under Wine, in a Wine prefix of the build folder's own (never the
# user's ~/.wine). The prefix is made once at build time; CTest keeps one Wine server running for
# the whole test run (fixture quorvel_wine), so a test does not pay Wine's start-up.
find_program(QUORVEL_WINE wine REQUIRED)
find_program(QUORVEL_WINESERVER NAMES wineserver wineserver64
             PATHS /usr/lib/wine /usr/lib/x86_64-linux-gnu/wine REQUIRED)

set(QUORVEL_WINEPREFIX ${CMAKE_BINARY_DIR}/wine)
set(quorvel_wine_script ${PROJECT_SOURCE_DIR}/scripts/wine-prefix)
# A UTF-8 locale, whatever the caller's: Wine then names files on Linux in UTF-8 and takes the
# arguments as UTF-8, and its Windows has the code page Windows-1252 (English), which the tests
# of names beyond ASCII expect.
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_COMMAND} -E env WINEPREFIX=${QUORVEL_WINEPREFIX} WINEDEBUG=-all LC_ALL=C.UTF-8
    WINESERVER=${QUORVEL_WINESERVER} ${QUORVEL_WINE})

add_custom_command(OUTPUT ${QUORVEL_WINEPREFIX}/quorvel.stamp
                   COMMAND ${quorvel_wine_script} create ${QUORVEL_WINEPREFIX}
                   DEPENDS ${quorvel_wine_script}
                   COMMENT "Making the Wine prefix for the tests"
                   USES_TERMINAL)
add_custom_target(quorvel_wine_prefix ALL DEPENDS ${QUORVEL_WINEPREFIX}/quorvel.stamp)

# Every test of the build requires this fixture.
set(QUORVEL_TEST_FIXTURES quorvel_wine)
