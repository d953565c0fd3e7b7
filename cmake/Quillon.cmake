# Windows tests read the fixtures the Linux build generated (Wine sees the host
# file system); point QUILLON_LINUX_BUILD_DIR elsewhere for a private build tree.
if(WIN32)
  set(QUILLON_LINUX_BUILD_DIR "${PROJECT_SOURCE_DIR}/build/linux" CACHE PATH "Linux build tree with the fixtures")
  set(QUILLON_FIXTURES_FOR_TESTS "${QUILLON_LINUX_BUILD_DIR}/fixtures")
else()
  set(QUILLON_FIXTURES_FOR_TESTS "${PROJECT_BINARY_DIR}/fixtures")
endif()

# quillon_add_test(NAME name SOURCES a.cpp b.cpp LIBS lib1 lib2 [RESOURCE_LOCK lock...])
# One GoogleTest executable per subject; every case becomes a CTest test. Cases
# that hold the same RESOURCE_LOCK never run at the same time.
function(quillon_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;RESOURCE_LOCK" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest_main)
  target_compile_definitions(${T_NAME} PRIVATE
    QUILLON_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    QUILLON_BINARY_DIR="${PROJECT_BINARY_DIR}"
    QUILLON_FIXTURES_DIR="${QUILLON_FIXTURES_FOR_TESTS}")
  if(TARGET fixtures)
    add_dependencies(${T_NAME} fixtures)
  endif()
  gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 600)
  # The locks are set once the cases are discovered (a list of locks does not
  # survive the discovery's own PROPERTIES).
  if(T_RESOURCE_LOCK)
    set(locks_script ${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}_locks.cmake)
    file(WRITE ${locks_script}
      "if(${T_NAME}_TESTS)\n"
      "  set_tests_properties(\${${T_NAME}_TESTS} PROPERTIES RESOURCE_LOCK \"${T_RESOURCE_LOCK}\")\n"
      "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${locks_script})
  endif()
endfunction()

# quillon_add_library(name dir): a static library of every .cpp in dir, public
# include root at the project root. An empty folder gives an interface library,
# so that a subsystem can be linked before its first source lands.
function(quillon_add_library name dir)
  file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    set(scope PUBLIC)
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
  endif()
endfunction()

# Links with PUBLIC or INTERFACE as the library's kind requires.
function(quillon_link name)
  get_target_property(kind ${name} TYPE)
  if(kind STREQUAL "INTERFACE_LIBRARY")
    target_link_libraries(${name} INTERFACE ${ARGN})
  else()
    target_link_libraries(${name} PUBLIC ${ARGN})
  endif()
endfunction()

# quillon_shipped_executable(target): marks an exe we hand to users. Every such exe
# must start on a clean Windows, so the Windows test suite checks its import table
# against the DLLs Windows itself ships (tests/imports).
function(quillon_shipped_executable target)
  set_property(GLOBAL APPEND PROPERTY QUILLON_SHIPPED_EXECUTABLES ${target})
endfunction()
