# `kivo`, the program on the Linux desktop (build/kivo), and what
# `cmake --install` puts on a system: the program and kivo-render in bin/,
# the menu entry, the icon in four sizes, and an autostart entry to copy.
# Included by app/CMakeLists.txt on Linux.

add_executable(kivo linux_main.cpp linux_desktop.cpp linux_desktop.h)
target_link_libraries(kivo PRIVATE kivo_x11 kivo_ipc kivo_xdg kivo_qt ${KIVO_CORE_LIBS})
# build/kivo, beside nothing else, as `make run` and the tests expect.
set_target_properties(kivo PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

include(GNUInstallDirs)
install(TARGETS kivo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# tools/ comes after app/, so kivo-render's target is not known yet: ask the
# option that builds it, and name its file at generation time.
if(KIVO_BUILD_TOOLS)
  install(PROGRAMS $<TARGET_FILE:kivo-render> DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES kivo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The icons drawn by scripts/make_icon.py (--png), the same images as kivo.ico.
foreach(_size 16 32 48 256)
  install(FILES icons/kivo-${_size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps
          RENAME kivo.png)
endforeach()
# Not started at login unless the user asks for it: an entry to copy into
# ~/.config/autostart/ (README, "Kivo on Linux").
install(FILES kivo-autostart.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/kivo)
