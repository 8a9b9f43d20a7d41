# Tests of the console shell (tree, commands, page dispatch).
if(TARGET corvane_snapin)
  set(snapin_support ${CMAKE_CURRENT_LIST_DIR}/SnapinFixture.cpp ${CMAKE_CURRENT_LIST_DIR}/SnapinFixture.h)
  foreach(t tst_dispatch_pages tst_snapin_tree tst_commands_sections)
    corvane_add_test(${t} SOURCES ${CMAKE_CURRENT_LIST_DIR}/${t}.cpp ${snapin_support}
      LIBS corvane_snapin LABELS gui TIMEOUT 120)
    target_compile_definitions(${t} PRIVATE CORVANE_GUI_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data")
  endforeach()
endif()
