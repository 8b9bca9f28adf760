# What a user installs, made by CPack from the install rules of src/window:
# on Linux a Debian package; on Windows a zip to unpack anywhere and an
# installer. The name, version and icon are the project's own.
string(TOLOWER "${PROJECT_NAME}" GROUNDSTYLES_PACKAGE)
set(CPACK_PACKAGE_NAME "${PROJECT_NAME}")
set(CPACK_PACKAGE_VENDOR "The ${PROJECT_NAME} developers")
set(CPACK_PACKAGE_VERSION "${GROUNDSTYLES_VERSION_TEXT}")
set(CPACK_PACKAGE_CONTACT "${CPACK_PACKAGE_VENDOR} <maintainers@${GROUNDSTYLES_PACKAGE}.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Reads every PG2 map file (*.MAP) in a folder and writes a plain-text report,\n"
    "GroundStyles.txt, that lists for each map which of the terrain types you\n"
    "ticked it contains, notes maps that hold terrain codes nobody knows, and\n"
    "marks the maps that ship with the game. It only reads map files and never\n"
    "changes them.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_STRIP_FILES ON)
# Values reach CPack as they are written here (the installer's commands hold backslashes).
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_THREADS 0)

if(WIN32)
  set(CPACK_GENERATOR ZIP NSIS64)
  set(CPACK_SYSTEM_NAME win64)
  set(CPACK_PACKAGE_INSTALL_DIRECTORY "${PROJECT_NAME}")
  set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "${PROJECT_NAME}")
  set(CPACK_NSIS_PACKAGE_NAME "${PROJECT_NAME}")
  set(CPACK_NSIS_DISPLAY_NAME "${PROJECT_NAME}")
  set(CPACK_NSIS_MUI_ICON "${PROJECT_SOURCE_DIR}/resources/groundstyles.ico")
  set(CPACK_NSIS_MUI_UNIICON "${PROJECT_SOURCE_DIR}/resources/groundstyles.ico")
  # The icon of the entry in the system's installed programs.
  set(CPACK_NSIS_INSTALLED_ICON_NAME "groundstyles.exe")
  # The license page shows the project's license, as the program's folder holds it.
  set(CPACK_RESOURCE_FILE_LICENSE "${GROUNDSTYLES_RESOURCES}/LICENSE.txt")
  # A Start-menu shortcut to the program, under its name; it takes the
  # program's own icon. (CPACK_PACKAGE_EXECUTABLES would look for it in bin\.)
  # The program's lists open on the folder it starts in, and Program Files is
  # no place for maps or reports: the shortcut starts it in the Documents
  # folder of whoever clicks it. The shortcut is shared by all users, so it
  # cannot name one user's folder; Windows expands %USERPROFILE% in a
  # shortcut's working folder at each start, as in its own shortcuts. A
  # Documents folder moved elsewhere is not followed there, but the report
  # folder the program offers is (it asks the system). The working folder of
  # CreateShortCut is $OUTDIR, set back to the program's folder afterwards.
  set(CPACK_NSIS_CREATE_ICONS_EXTRA
      "StrCpy $OUTDIR '%USERPROFILE%\\Documents'"
      "CreateShortCut '$SMPROGRAMS\\$STARTMENU_FOLDER\\${PROJECT_NAME}.lnk' '$INSTDIR\\groundstyles.exe'"
      "StrCpy $OUTDIR $INSTDIR")
  string(JOIN "\n" CPACK_NSIS_CREATE_ICONS_EXTRA ${CPACK_NSIS_CREATE_ICONS_EXTRA})
  # The uninstaller removes the shortcut and, once CPack's uninstaller has
  # removed the key under it, the vendor's key the installer made in the
  # registry (CPack leaves it, empty). These lines run after that removal.
  set(CPACK_NSIS_DELETE_ICONS_EXTRA
      "Delete '$SMPROGRAMS\\$MUI_TEMP\\${PROJECT_NAME}.lnk'"
      "DeleteRegKey /ifempty SHCTX 'Software\\${CPACK_PACKAGE_VENDOR}'")
  string(JOIN "\n" CPACK_NSIS_DELETE_ICONS_EXTRA ${CPACK_NSIS_DELETE_ICONS_EXTRA})
  set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
  # A 64-bit installer for a 64-bit program: it writes the system's own registry view.
  set(CPACK_NSIS_DEFINES "Target amd64-unicode")
  # The finish page offers to start the program, ticked, in the Documents
  # folder of the user running the installer, as the shortcut would: a plain
  # start from the finish page runs in the installer's working folder, the
  # program's, so it calls a function of its own that moves there first
  # (SetOutPath, unlike setting $OUTDIR, changes the working folder). While
  # the installer works for all users, $DOCUMENTS is the shared Documents
  # folder until the context is the user's.
  set(CPACK_NSIS_MUI_FINISHPAGE_RUN "groundstyles.exe")
  set(CPACK_NSIS_EXECUTABLES_DIRECTORY ".")
  list(APPEND CPACK_NSIS_DEFINES
       "!define MUI_FINISHPAGE_RUN_FUNCTION StartInDocuments"
       "Function StartInDocuments"
       "  SetShellVarContext current"
       "  SetOutPath $DOCUMENTS"
       "  Exec '\"$INSTDIR\\groundstyles.exe\"'"
       "FunctionEnd")
  # The PATH option (path_option.nsh): a component of its own, unticked, on a
  # components page before the files are installed; its work is done once
  # they are, and undone before they are removed. Without components of its
  # own, CPack leaves the installer's components page, its sections and
  # their descriptions to these settings.
  list(APPEND CPACK_NSIS_DEFINES
       "!define PATH_OPTION_UNINSTALL_KEY 'Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\${CPACK_PACKAGE_INSTALL_REGISTRY_KEY}'")
  set(CPACK_NSIS_PAGE_COMPONENTS "!define MUI_PAGE_CUSTOMFUNCTION_PRE PathOptionPage\n!insertmacro MUI_PAGE_COMPONENTS")
  set(CPACK_NSIS_COMPONENT_SECTIONS "!include '${CMAKE_CURRENT_LIST_DIR}/path_option.nsh'")
  set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "Call AddPathEntry")
  set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "Call un.RemovePathEntry")
  string(JOIN "\n" CPACK_NSIS_DEFINES ${CPACK_NSIS_DEFINES})
  # The installer is named apart from the zip: see the options file.
  set(CPACK_PROJECT_CONFIG_FILE "${CMAKE_CURRENT_LIST_DIR}/cpack_options.cmake")
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_PACKAGE_NAME "${GROUNDSTYLES_PACKAGE}")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The window's font (its layout is measured for these families), besides
  # the libraries the program links to.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2 | fonts-liberation | fonts-dejavu-core")
endif()

include(CPack)
