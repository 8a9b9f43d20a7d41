# Host layer tests: the console host driven through its API and its real widgets.
set(host_test_support ${CMAKE_CURRENT_LIST_DIR}/host/HostTestSnapIn.cpp ${CMAKE_CURRENT_LIST_DIR}/host/HostTestSnapIn.h)
file(GLOB host_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/host/tst_*.cpp)
foreach(src IN LISTS host_tests)
  get_filename_component(t ${src} NAME_WE)
  corvane_add_test(${t} SOURCES ${src} ${host_test_support} LIBS corvane_host LABELS gui host TIMEOUT 120)
  target_include_directories(${t} PRIVATE ${CMAKE_CURRENT_LIST_DIR}/host)
endforeach()
