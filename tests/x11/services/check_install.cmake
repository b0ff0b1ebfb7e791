# Installs the build tree BUILD into a scratch prefix and fails unless
# exactly the files a Linux desktop needs are there.
if(NOT BUILD OR NOT VERSION)
  message(FATAL_ERROR "usage: cmake -DBUILD=TREE -DVERSION=X.Y -P check_install.cmake")
endif()
set(prefix ${BUILD}/install-check)
file(REMOVE_RECURSE ${prefix})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix}
                RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${err}")
endif()
file(GLOB_RECURSE found RELATIVE ${prefix} ${prefix}/*)
list(SORT found)
set(expected bin/kivo bin/kivo-render share/applications/kivo.desktop
    share/icons/hicolor/16x16/apps/kivo.png share/icons/hicolor/256x256/apps/kivo.png
    share/icons/hicolor/32x32/apps/kivo.png share/icons/hicolor/48x48/apps/kivo.png
    share/kivo/kivo-autostart.desktop)
if(NOT found STREQUAL expected)
  message(FATAL_ERROR "installed: ${found}\nexpected: ${expected}")
endif()
# The installed programs run; VERSION is the project version.
execute_process(COMMAND ${prefix}/bin/kivo --version OUTPUT_VARIABLE version RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT version STREQUAL "Kivo ${VERSION}\n")
  message(FATAL_ERROR "bin/kivo --version: status ${rc}, '${version}'")
endif()
execute_process(COMMAND ${prefix}/bin/kivo-render --at "1998-12-05 15:05:07" "%h:nn%"
                OUTPUT_VARIABLE clock RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT clock STREQUAL "15:05\n")
  message(FATAL_ERROR "bin/kivo-render: status ${rc}, '${clock}'")
endif()
file(READ ${prefix}/share/icons/hicolor/48x48/apps/kivo.png png HEX LIMIT 24)
# The PNG signature, then IHDR with a width and height of 48.
if(NOT png MATCHES "^89504e470d0a1a0a0000000d4948445200000030")
  message(FATAL_ERROR "the 48-pixel icon is not a 48-pixel PNG: ${png}")
endif()
file(REMOVE_RECURSE ${prefix})
