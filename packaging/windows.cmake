# The Windows installer (NSIS through CPack): everything in one folder of the user's own
# (%LOCALAPPDATA%\Programs\krv), the language files in MC_LANG and the firmware folder beside
# the programs, where the tool looks for them; a Start-menu entry and an uninstaller. Installed
# per user: no administrator rights are asked (the template beside this file).
set(krv_windows_programs)
foreach(program krv krv-cli)
    if(TARGET ${program})
        list(APPEND krv_windows_programs ${program})
    endif()
endforeach()
install(TARGETS ${krv_windows_programs} RUNTIME DESTINATION .)
install(DIRECTORY ${KRV_LANG_DIR}/ DESTINATION MC_LANG FILES_MATCHING PATTERN "*.txt")
install(DIRECTORY DESTINATION "Morvelcast Firmware/33EP")
if(KRV_WINDOWS_RUNTIME)
    # Qt's libraries and plugins, and the C++ runtime they need (scripts/windows gathers them).
    install(DIRECTORY ${KRV_WINDOWS_RUNTIME}/ DESTINATION .)
endif()

list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_SOURCE_DIR}/windows)
set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME krv)
set(CPACK_PACKAGE_VENDOR Morvelcast)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME krv-${PROJECT_VERSION}-setup)
set(CPACK_PACKAGE_INSTALL_DIRECTORY krv)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY krv)
set(CPACK_NSIS_INSTALL_ROOT "$LOCALAPPDATA\\\\Programs")
set(CPACK_NSIS_DISPLAY_NAME "Emulator KRV")
set(CPACK_NSIS_PACKAGE_NAME "Emulator KRV ${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "service tool for the KRV fuel-pressure emulator of LPG conversions")
if(TARGET krv)
    set(CPACK_PACKAGE_EXECUTABLES krv "Emulator KRV")
endif()
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
