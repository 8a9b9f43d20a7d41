# Property pages and editor dialogs, driven through a real property sheet on
# a temporary application folder.
if(TARGET corvane_pages AND TARGET corvane_dialogs)
  set(pages_test_support ${CMAKE_CURRENT_LIST_DIR}/pages/PageFixture.cpp ${CMAKE_CURRENT_LIST_DIR}/pages/PageFixture.h)
  file(GLOB pages_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/pages/tst_pages_*.cpp
       ${CMAKE_CURRENT_LIST_DIR}/pages/tst_dialogs_*.cpp)
  list(FILTER pages_tests EXCLUDE REGEX "tst_pages_console")
  foreach(src IN LISTS pages_tests)
    get_filename_component(t ${src} NAME_WE)
    corvane_add_test(${t} SOURCES ${src} ${pages_test_support} LIBS corvane_pages corvane_dialogs
                     LABELS gui pages TIMEOUT 120)
    target_include_directories(${t} PRIVATE ${CMAKE_CURRENT_LIST_DIR}/pages)
    target_compile_definitions(${t} PRIVATE CORVANE_GUI_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data")
  endforeach()
endif()
# Pages opened by Properties in the real console.
if(TARGET corvane_pages AND TARGET corvane_snapin AND EXISTS ${CMAKE_CURRENT_LIST_DIR}/SnapinFixture.cpp)
  corvane_add_test(tst_pages_console SOURCES ${CMAKE_CURRENT_LIST_DIR}/pages/tst_pages_console.cpp
                   ${CMAKE_CURRENT_LIST_DIR}/SnapinFixture.cpp ${CMAKE_CURRENT_LIST_DIR}/SnapinFixture.h
                   LIBS corvane_pages corvane_dialogs corvane_snapin LABELS gui pages TIMEOUT 120)
  target_include_directories(tst_pages_console PRIVATE ${CMAKE_CURRENT_LIST_DIR})
  target_compile_definitions(tst_pages_console PRIVATE CORVANE_GUI_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data")
endif()
