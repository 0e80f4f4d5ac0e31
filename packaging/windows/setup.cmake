# The Windows setup program, made by cpack's NSIS generator (Debian package
# nsis): tabulon-<version>-setup.exe. It installs into Program Files\Tabulon
# the programs (bin\tabulon.exe, bin\tabulon-convert.exe) and the help file
# (share\tabulon\tabulon.chm, where an installed tabulon looks for it), adds a
# Start-menu entry for the wizard, makes .cvtproj projects open in the wizard,
# and registers an uninstaller that takes all of it away again. The settings
# of an installed program are the user's (%APPDATA%\Tabulon\tabulon.ini) and
# stay. A build without the wizard (TABULON_GUI=OFF) sets up tabulon-convert alone.
set(CPACK_GENERATOR NSIS)
# The values below reach the NSIS script exactly as written here.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_FILE_NAME "tabulon-${PROJECT_VERSION}-setup")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Tabulon)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Tabulon)
set(CPACK_NSIS_PACKAGE_NAME Tabulon)
set(CPACK_NSIS_DISPLAY_NAME Tabulon)
set(CPACK_STRIP_FILES ON)
# A 64-bit program: a 64-bit setup program (NSIS's amd64 stubs) into the 64-bit Program Files.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_MUI_ICON ${CMAKE_CURRENT_LIST_DIR}/tabulon.ico)
set(CPACK_NSIS_MUI_UNIICON ${CMAKE_CURRENT_LIST_DIR}/tabulon.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\tabulon-convert.exe")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MODIFY_PATH OFF)
if(TARGET tabulon)
  # The Start-menu entry: bin\tabulon.exe as "Tabulon".
  set(CPACK_PACKAGE_EXECUTABLES tabulon Tabulon)
  set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\tabulon.exe")
  # .cvtproj files open in the wizard (tabulon FILE), with the program's icon.
  # Only an association that is still the program's own is taken away again.
  set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [=[
  WriteRegStr HKCR ".cvtproj" "" "Tabulon.Project"
  WriteRegStr HKCR "Tabulon.Project" "" "Tabulon project"
  WriteRegStr HKCR "Tabulon.Project\DefaultIcon" "" "$INSTDIR\bin\tabulon.exe,0"
  WriteRegStr HKCR "Tabulon.Project\shell\open\command" "" '"$INSTDIR\bin\tabulon.exe" "%1"'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
]=])
  set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [=[
  ReadRegStr $0 HKCR ".cvtproj" ""
  StrCmp $0 "Tabulon.Project" 0 +2
    DeleteRegKey HKCR ".cvtproj"
  DeleteRegKey HKCR "Tabulon.Project"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
]=])
endif()
