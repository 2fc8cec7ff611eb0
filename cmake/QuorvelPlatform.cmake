# One source file per platform for every piece that talks to the operating system: Name_win32.cpp
# on Windows, Name_posix.cpp everywhere else. Nothing outside these files includes a system
# header of its own platform.

# quorvel_platform_sources(<target> <Name>... [WIN32_LIBRARIES <library>...]): adds
# Name_win32.cpp or Name_posix.cpp (relative to the calling folder) to the target's private
# sources, and on Windows links the system libraries those files call.
function(quorvel_platform_sources target)
    cmake_parse_arguments(P "" "" "WIN32_LIBRARIES" ${ARGN})
    if(WIN32)
        set(suffix _win32.cpp)
        if(P_WIN32_LIBRARIES)
            target_link_libraries(${target} PUBLIC ${P_WIN32_LIBRARIES})
        endif()
    else()
        set(suffix _posix.cpp)
    endif()
    foreach(name IN LISTS P_UNPARSED_ARGUMENTS)
        target_sources(${target} PRIVATE ${name}${suffix})
    endforeach()
endfunction()
