# quillon_host_headers(target folder): an interface library of one header-only
# library installed on the build machine under /usr/include/<folder>. The folder is
# copied into the build tree, so that the mingw build sees just these headers and
# none of the host's C library headers beside them.
function(quillon_host_headers target folder)
  set(source /usr/include/${folder})
  if(NOT IS_DIRECTORY ${source})
    message(FATAL_ERROR "${source} is missing: run scripts/setup")
  endif()
  set(root ${PROJECT_BINARY_DIR}/host-headers/${target})
  file(COPY ${source} DESTINATION ${root})
  add_library(${target} INTERFACE)
  target_include_directories(${target} SYSTEM INTERFACE ${root})
endfunction()
