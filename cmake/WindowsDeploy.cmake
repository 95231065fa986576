# What a Windows PC needs beside quorvin-settings.exe, installed into one
# folder that runs as it is: the Qt libraries, the plug-ins the program loads
# (which no import reveals) and the MinGW runtime that Qt and the program are
# built against.

install(TARGETS quorvin-settings RUNTIME DESTINATION .)

foreach(module Core Gui Widgets Sql Network)
  install(FILES $<TARGET_FILE:Qt6::${module}> DESTINATION .)
endforeach()

# Plug-ins are looked for in folders beside the program.
set(quorvin_windows_plugins
  platforms QWindowsIntegrationPlugin
  sqldrivers QSQLiteDriverPlugin
  tls QSchannelBackendPlugin
  styles QWindowsVistaStylePlugin)
while(quorvin_windows_plugins)
  list(POP_FRONT quorvin_windows_plugins folder plugin)
  install(FILES $<TARGET_FILE:Qt6::${plugin}> DESTINATION ${folder})
endwhile()

# The compiler's own runtime libraries, wherever this MinGW keeps them.
# (A build with Microsoft's compiler relies on the Visual C++ runtime that
# Windows installs instead.)
if(MINGW)
  foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                    OUTPUT_VARIABLE runtime_path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${runtime_path}" OR NOT EXISTS "${runtime_path}")
      message(FATAL_ERROR "MinGW runtime ${runtime} not found")
    endif()
    install(FILES ${runtime_path} DESTINATION .)
  endforeach()
endif()

# Fonts the form names, or free look-alikes, for PCs that lack them: the
# program registers every font in fonts/ beside it at start-up.
set(QUORVIN_WINDOWS_FONTS "" CACHE PATH
    "Fonts that come with the Windows program (made by script/fonts --into DIR)")
if(IS_DIRECTORY "${QUORVIN_WINDOWS_FONTS}")
  install(DIRECTORY ${QUORVIN_WINDOWS_FONTS}/ DESTINATION fonts)
else()
  message(WARNING "No fonts to ship (QUORVIN_WINDOWS_FONTS): a PC without the form's "
                  "fonts will draw the window with fallback faces.")
endif()

# The installer's script, with the names and version it shows, and the MSI's
# source, with the names (its version is given when the MSI is made).
configure_file(packaging/windows/installer.nsi.in installer.nsi @ONLY)
configure_file(packaging/windows/quorvin-settings.wxs.in quorvin-settings.wxs @ONLY)
