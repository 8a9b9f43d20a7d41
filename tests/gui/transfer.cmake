# Transfer wizards driven through their real pages, offscreen.
corvane_add_test(tst_transferwizard SOURCES ${CMAKE_CURRENT_LIST_DIR}/transfer/tst_transferwizard.cpp
                 LIBS corvane_transfer_gui corvane_testsupport LABELS gui transfer TIMEOUT 180)
# FTP over TLS in the connection wizard, against real vsftpd servers.
corvane_add_test(tst_ftptlswizard SOURCES ${CMAKE_CURRENT_LIST_DIR}/transfer/tst_ftptlswizard.cpp
                 LIBS corvane_transfer_gui corvane_testsupport LABELS gui transfer TIMEOUT 180)
