# The programs' version block. project() holds the version (FileVersion "3.2.0.203",
# ProductVersion its first three numbers); the release number is what the update check compares
# with the one the update server publishes. Generated into the core as app/version_values.h.
set(SEEWOLF_RELEASE 22)
set(SEEWOLF_COMPANY_NAME "Tiefwasser")
set(SEEWOLF_FILE_DESCRIPTION "Seewolf career manager and launcher for Silent Hunter III")
set(SEEWOLF_INTERNAL_NAME "Seewolf")
set(SEEWOLF_LEGAL_COPYRIGHT "Copyright (C) 2026 Tiefwasser")
set(SEEWOLF_LEGAL_TRADEMARKS
    "Seewolf may be used and passed on free of charge. Silent Hunter III is a trademark of its owners; Seewolf is not made or endorsed by them.")
set(SEEWOLF_ORIGINAL_FILENAME "seewolf")
set(SEEWOLF_PRODUCT_NAME "Seewolf")
set(SEEWOLF_COMMENTS "Careers, launches and reports for Silent Hunter III, with every change to the game rolled back.")
set(SEEWOLF_PRODUCT_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}")

# A Windows program carries the same block as its version resource, with its own name and
# description.
if(WIN32)
  enable_language(RC)
endif()
function(seewolf_version_resource target description)
  if(WIN32)
    set(SEEWOLF_RC_NAME "${target}")
    set(SEEWOLF_RC_FILE_DESCRIPTION "${description}")
    configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc @ONLY)
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  endif()
endfunction()
