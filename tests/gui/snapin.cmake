# Tests of the console shell (tree, commands, page dispatch).
if(TARGET corvane_snapin AND TARGET corvane_host)
  file(GLOB snapin_support CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/SnapinFixture.*)
  file(GLOB snapin_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/tst_snapin_*.cpp
       ${CMAKE_CURRENT_LIST_DIR}/tst_commands_*.cpp ${CMAKE_CURRENT_LIST_DIR}/tst_dispatch_*.cpp)
  foreach(src IN LISTS snapin_tests)
    get_filename_component(t ${src} NAME_WE)
    corvane_add_test(${t} SOURCES ${src} ${snapin_support} LIBS corvane_snapin LABELS gui TIMEOUT 120)
    target_compile_definitions(${t} PRIVATE CORVANE_GUI_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data")
  endforeach()
endif()
