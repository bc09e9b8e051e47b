# Cross-compiles the Windows program against a static Qt for mingw: Qt's own
# toolchain file, which finds that Qt outside the mingw root, chain-loading
# ours. The Qt's prefix comes from ORMEL_QT_WINDOWS in the environment, else
# from scripts/qt-windows.sh, which unpacks or builds it when there is none.
# CMake reads toolchain files again for its compile checks, in the same
# process, so the prefix is kept in the environment.
if(NOT DEFINED ENV{ORMEL_QT_WINDOWS} OR "$ENV{ORMEL_QT_WINDOWS}" STREQUAL "")
    execute_process(
        COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/../scripts/qt-windows.sh
        OUTPUT_VARIABLE ormel_qt_windows
        OUTPUT_STRIP_TRAILING_WHITESPACE
        COMMAND_ERROR_IS_FATAL ANY
    )
    set(ENV{ORMEL_QT_WINDOWS} "${ormel_qt_windows}")
endif()
set(QT_CHAINLOAD_TOOLCHAIN_FILE ${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake)
include($ENV{ORMEL_QT_WINDOWS}/lib/cmake/Qt6/qt.toolchain.cmake)
