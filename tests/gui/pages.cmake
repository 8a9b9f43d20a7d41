# Property pages and editor dialogs, driven through a real property sheet on
# a temporary application folder.
add_library(corvane_pagefixture STATIC ${CMAKE_CURRENT_LIST_DIR}/pages/PageFixture.cpp
                                       ${CMAKE_CURRENT_LIST_DIR}/pages/PageFixture.h
                                       ${CMAKE_CURRENT_LIST_DIR}/pages/DirPageActions.h
                                       ${CMAKE_CURRENT_LIST_DIR}/pages/EditorSteps.h)
target_include_directories(corvane_pagefixture PUBLIC ${CMAKE_CURRENT_LIST_DIR}/pages)
target_link_libraries(corvane_pagefixture PUBLIC corvane_pages corvane_dialogs corvane_testsupport Qt6::Test)
target_compile_definitions(corvane_pagefixture PUBLIC
  CORVANE_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data"
  CORVANE_GUI_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data"
  CORVANE_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")

file(GLOB pages_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/pages/tst_pages_*.cpp
     ${CMAKE_CURRENT_LIST_DIR}/pages/tst_dialogs_*.cpp ${CMAKE_CURRENT_LIST_DIR}/pages/tst_forms_*.cpp)
list(FILTER pages_tests EXCLUDE REGEX "tst_pages_console|tst_pages_splitconfig")
foreach(src IN LISTS pages_tests)
  get_filename_component(t ${src} NAME_WE)
  corvane_add_test(${t} SOURCES ${src} LIBS corvane_pagefixture LABELS gui pages TIMEOUT 120)
endforeach()

# Pages opened by Properties in the real console.
corvane_add_test(tst_pages_console SOURCES ${CMAKE_CURRENT_LIST_DIR}/pages/tst_pages_console.cpp
                 LIBS corvane_pagefixture corvane_snapinfixture LABELS gui pages TIMEOUT 120)

# A page on a split configuration read as the console reads it, checked with
# the real apache2 through corvanectl.
corvane_add_test(tst_pages_splitconfig SOURCES ${CMAKE_CURRENT_LIST_DIR}/pages/tst_pages_splitconfig.cpp
                 LIBS corvane_pagefixture corvane_transfer LABELS gui pages TIMEOUT 180)
add_dependencies(tst_pages_splitconfig corvanectl)
