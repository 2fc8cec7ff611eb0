# The application manifest that every Windows program of Quorvel carries as its resource
# RT_MANIFEST 1 (packaging/windows/quorvel.manifest.in says what it asks of Windows).
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/quorvel.manifest.in
               ${CMAKE_BINARY_DIR}/quorvel.manifest @ONLY)
set(QUORVEL_MANIFEST ${CMAKE_BINARY_DIR}/quorvel.manifest)
# The resource line, for a program's own .rc file.
set(QUORVEL_MANIFEST_RESOURCE "1 24 \"${QUORVEL_MANIFEST}\"")
file(WRITE ${CMAKE_BINARY_DIR}/quorvel-manifest.rc "${QUORVEL_MANIFEST_RESOURCE}\n")

# quorvel_add_manifest(<target>): embeds the manifest in a program that has no .rc of its own.
function(quorvel_add_manifest target)
    target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/quorvel-manifest.rc)
endfunction()
