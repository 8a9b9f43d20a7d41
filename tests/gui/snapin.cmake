# Tests of the console shell (tree, commands, page dispatch).
add_library(corvane_snapinfixture STATIC ${CMAKE_CURRENT_LIST_DIR}/SnapinFixture.cpp
                                         ${CMAKE_CURRENT_LIST_DIR}/SnapinFixture.h)
target_include_directories(corvane_snapinfixture PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(corvane_snapinfixture PUBLIC corvane_snapin corvane_testsupport Qt6::Test)
target_compile_definitions(corvane_snapinfixture PUBLIC CORVANE_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data"
                                                        CORVANE_GUI_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data")

file(GLOB snapin_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/tst_snapin_*.cpp
     ${CMAKE_CURRENT_LIST_DIR}/tst_commands_*.cpp ${CMAKE_CURRENT_LIST_DIR}/tst_dispatch_*.cpp)
list(FILTER snapin_tests EXCLUDE REGEX "tst_snapin_files")
foreach(src IN LISTS snapin_tests)
  get_filename_component(t ${src} NAME_WE)
  corvane_add_test(${t} SOURCES ${src} LIBS corvane_snapinfixture LABELS gui TIMEOUT 120)
endforeach()
# The console with the transfer's parts installed as its main installs them:
# source marks, Find and the background syntax check on a fetched tree.
corvane_add_test(tst_console_find SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_console_find.cpp
                 LIBS corvane_snapinfixture corvane_transfer LABELS gui transfer TIMEOUT 240)
add_dependencies(tst_console_find corvanectl)

# A split configuration read as the console reads it (the transfer library's
# reader), fetched into the work area by corvanectl.
corvane_add_test(tst_snapin_files SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_snapin_files.cpp
                 LIBS corvane_snapinfixture corvane_transfer LABELS gui TIMEOUT 120)
add_dependencies(tst_snapin_files corvanectl)
