# Host layer tests: the console host driven through its API and its real widgets.
add_library(corvane_hostfixture STATIC ${CMAKE_CURRENT_LIST_DIR}/host/HostTestSnapIn.cpp
                                       ${CMAKE_CURRENT_LIST_DIR}/host/HostTestSnapIn.h)
target_include_directories(corvane_hostfixture PUBLIC ${CMAKE_CURRENT_LIST_DIR}/host)
target_link_libraries(corvane_hostfixture PUBLIC corvane_host Qt6::Test)

file(GLOB host_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/host/tst_*.cpp)
foreach(src IN LISTS host_tests)
  get_filename_component(t ${src} NAME_WE)
  corvane_add_test(${t} SOURCES ${src} LIBS corvane_hostfixture LABELS gui host TIMEOUT 120)
endforeach()
