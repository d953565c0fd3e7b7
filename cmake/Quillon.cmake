# Windows tests read the fixtures the Linux build generated (Wine sees the host
# file system); point QUILLON_LINUX_BUILD_DIR elsewhere for a private build tree.
if(WIN32)
  set(QUILLON_LINUX_BUILD_DIR "${PROJECT_SOURCE_DIR}/build/linux" CACHE PATH "Linux build tree with the fixtures")
  set(QUILLON_FIXTURES_FOR_TESTS "${QUILLON_LINUX_BUILD_DIR}/fixtures")
else()
  set(QUILLON_FIXTURES_FOR_TESTS "${PROJECT_BINARY_DIR}/fixtures")
endif()

# quillon_add_test(NAME name SOURCES a.cpp b.cpp LIBS lib1 lib2 [RESOURCE_LOCK lock])
# One GoogleTest executable per subject; every case becomes a CTest test. Cases
# that hold the same RESOURCE_LOCK never run at the same time.
# The Windows tests share one Wine prefix. A test suite named Seeded* writes into
# it (devices and their registry keys, files in system folders) and every other
# test may read it (a scan lists all of Wine's devices): each Seeded* case runs
# alone (RUN_SERIAL), the rest run side by side.
# Under Wine every case also needs the prefix's desktop held open, and the C
# runtime's stat answers as on Windows (tests/wine).
function(quillon_add_test)
  cmake_parse_arguments(T "" "NAME;RESOURCE_LOCK" "SOURCES;LIBS" ${ARGN})
  set(lock)
  if(T_RESOURCE_LOCK)
    set(lock RESOURCE_LOCK ${T_RESOURCE_LOCK})
  endif()
  set(desktop)
  if(WIN32)
    set(desktop FIXTURES_REQUIRED wine_desktop)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  if(WIN32)
    target_sources(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests/wine/UnbufferedOutput.cpp
                                     ${PROJECT_SOURCE_DIR}/tests/wine/WindowsStat.cpp)
  endif()
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest_main)
  target_compile_definitions(${T_NAME} PRIVATE
    QUILLON_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    QUILLON_BINARY_DIR="${PROJECT_BINARY_DIR}"
    QUILLON_FIXTURES_DIR="${QUILLON_FIXTURES_FOR_TESTS}")
  if(TARGET fixtures)
    add_dependencies(${T_NAME} fixtures)
  endif()
  set(seeds_prefix FALSE)
  foreach(src ${T_SOURCES})
    file(STRINGS ${src} seeded REGEX "^TEST(_F)?\\(Seeded")
    if(seeded)
      set(seeds_prefix TRUE)
    endif()
  endforeach()
  if(seeds_prefix)
    gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 TEST_FILTER "-Seeded*"
      PROPERTIES TIMEOUT 600 ${lock} ${desktop})
    gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 TEST_FILTER "Seeded*"
      PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE ${desktop})
  else()
    gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
      PROPERTIES TIMEOUT 600 ${lock} ${desktop})
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
