# One source file per platform for every piece that talks to the operating system: Name_win32.cpp
# on Windows, Name_posix.cpp everywhere else. Nothing outside these files includes a system
# header of its own platform.

# quorvel_platform_sources(<target> <Name>...): adds Name_win32.cpp or Name_posix.cpp (relative to
# the calling folder) to the target's private sources.
function(quorvel_platform_sources target)
    if(WIN32)
        set(suffix _win32.cpp)
    else()
        set(suffix _posix.cpp)
    endif()
    foreach(name IN LISTS ARGN)
        target_sources(${target} PRIVATE ${name}${suffix})
    endforeach()
endfunction()
