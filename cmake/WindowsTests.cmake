# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT

# What the Windows build's test programs share: GoogleTest, built from
# Debian's sources with the cross-compiler and linked statically like the
# game, and tamblo_wine_test(), which runs a test program under Wine in a
# prefix of its own that a set-up test makes first. Wine or xvfb-run
# missing stops the configuration: a test is never left out.
include_guard(GLOBAL)

set(TAMBLO_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources, built for Windows")
if(NOT EXISTS ${TAMBLO_GTEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest's sources are missing at ${TAMBLO_GTEST_SOURCE}: install googletest")
endif()
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${TAMBLO_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

if(CMAKE_CROSSCOMPILING)
    find_program(TAMBLO_WINE wine REQUIRED)
    find_program(TAMBLO_WINEBOOT wineboot REQUIRED)
    find_program(XVFB_RUN xvfb-run REQUIRED)
    find_program(TAMBLO_SETPRIV setpriv REQUIRED)
    find_program(TAMBLO_WINESERVER wineserver REQUIRED)
endif()

# Wine opens files in its server, a process of the session: run as root,
# the whole session goes without the right to override file permissions,
# so that a file or folder the player may not use stays so for the tests.
# (A line break, not a semicolon, ends the first command: a semicolon would
# split the script where the list is expanded, and the second half would
# run nothing.)
set(TAMBLO_AS_PLAYER sh -c
    "[ \"$(id -u)\" -ne 0 ] || exec ${TAMBLO_SETPRIV} --bounding-set=-dac_override,-dac_read_search \"$@\"\nexec \"$@\""
    sh)

# tamblo_wine_test(<target> [ON_DISPLAY [SCREEN <w>x<h>x<depth>]] [DPI <dpi>]):
# the test program `target`, under Wine, and with ON_DISPLAY on an X server
# of its own (1280 x 1024 unless SCREEN says otherwise), for windows. DPI
# sets the density of the prefix's screen (Wine's LogPixels), which the
# next session of the prefix takes.
function(tamblo_wine_test target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "ON_DISPLAY" "SCREEN;DPI" "")
    if(NOT arg_SCREEN)
        set(arg_SCREEN 1280x1024x24)
    endif()
    if(NOT CMAKE_CROSSCOMPILING)
        add_test(NAME ${target} COMMAND ${target})
        return()
    endif()
    set(environment
        WINEPREFIX=${CMAKE_CURRENT_BINARY_DIR}/wine-${target}
        WINEDEBUG=-all
        # No offer to install Mono or Gecko, which no test needs.
        WINEDLLOVERRIDES=mscoree,mshtml=
    )
    set(prefix_command ${TAMBLO_WINEBOOT} -i)
    if(arg_DPI)
        set(prefix_command sh -c
            "\"$1\" -i && \"$2\" reg add 'HKCU\\Control Panel\\Desktop' /v LogPixels /t REG_DWORD /d ${arg_DPI} /f && \"$3\" -w"
            sh ${TAMBLO_WINEBOOT} ${TAMBLO_WINE} ${TAMBLO_WINESERVER})
    endif()
    add_test(NAME ${target}_wine_prefix COMMAND ${TAMBLO_AS_PLAYER} ${prefix_command})
    set_tests_properties(${target}_wine_prefix PROPERTIES
        ENVIRONMENT "${environment}" FIXTURES_SETUP ${target}_wine TIMEOUT 300)
    set(command ${TAMBLO_WINE} $<TARGET_FILE:${target}>)
    if(arg_ON_DISPLAY)
        set(command ${XVFB_RUN} -a -s "-screen 0 ${arg_SCREEN}" ${command})
    endif()
    set(command ${TAMBLO_AS_PLAYER} ${command})
    add_test(NAME ${target} COMMAND ${command})
    set_tests_properties(${target} PROPERTIES
        ENVIRONMENT "${environment}" FIXTURES_REQUIRED ${target}_wine TIMEOUT 300)
endfunction()
