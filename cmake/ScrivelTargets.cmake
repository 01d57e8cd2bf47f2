# Helpers that keep every folder's build description to one line.
#
# Layout rule: src/<folder>/*.cpp is the toolkit-free library scrivel_<folder>;
# src/<folder>/gui/*.cpp (widgets, dialogs, frames, Qt adapters) goes into scrivel_gui.
# tests/<folder>/*.cpp is one GoogleTest executable test_<folder>.
# New files are picked up by the globs on the next build (CONFIGURE_DEPENDS).

set(SCRIVEL_WARNINGS -Wall -Wextra -Werror)

# scrivel_core_library(<folder> [DEPS lib...])
function(scrivel_core_library folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(target scrivel_${folder})
  if(sources)
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_compile_options(${target} PRIVATE ${SCRIVEL_WARNINGS})
    target_link_libraries(${target} PUBLIC ${ARG_DEPS} Threads::Threads)
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${target} INTERFACE ${ARG_DEPS} Threads::Threads)
  endif()
  file(GLOB gui_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/gui/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/gui/*.h)
  set_property(GLOBAL APPEND PROPERTY SCRIVEL_GUI_SOURCES ${gui_sources})
  set_property(GLOBAL APPEND PROPERTY SCRIVEL_CORE_LIBRARIES ${target})
endfunction()

# scrivel_test(<folder> [DEPS lib...] [GUI])
function(scrivel_test folder)
  cmake_parse_arguments(ARG "GUI" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  set(target test_${folder})
  add_executable(${target} ${sources})
  target_compile_options(${target} PRIVATE ${SCRIVEL_WARNINGS})
  target_compile_definitions(${target} PRIVATE
    SCRIVEL_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data"
    SCRIVEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
