# Property pages and editor dialogs, driven through a real property sheet on
# a temporary application folder.
if(TARGET corvane_pages AND TARGET corvane_dialogs)
  set(pages_test_support ${CMAKE_CURRENT_LIST_DIR}/pages/PageFixture.cpp ${CMAKE_CURRENT_LIST_DIR}/pages/PageFixture.h)
  file(GLOB pages_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/pages/tst_pages_*.cpp
       ${CMAKE_CURRENT_LIST_DIR}/pages/tst_dialogs_*.cpp)
  foreach(src IN LISTS pages_tests)
    get_filename_component(t ${src} NAME_WE)
    corvane_add_test(${t} SOURCES ${src} ${pages_test_support} LIBS corvane_pages corvane_dialogs
                     LABELS gui pages TIMEOUT 120)
    target_include_directories(${t} PRIVATE ${CMAKE_CURRENT_LIST_DIR}/pages)
    target_compile_definitions(${t} PRIVATE CORVANE_GUI_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data")
  endforeach()
endif()
