# The Wine runner itself: several programs making the first use of a fresh
# build tree at once. It uses a build tree and prefix of its own, so it needs
# none of the suite's fixtures.
add_test(NAME wine.first_use_race
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/first_use_race.sh ${KORVO_WINE_RUN}
                 $<TARGET_FILE:dta_file_io_win32_test> ${KORVO_WINE_ARCH})
set_tests_properties(wine.first_use_race PROPERTIES TIMEOUT 600)
