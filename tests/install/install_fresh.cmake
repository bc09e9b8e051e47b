# Installs the build BUILD into FOLDER, emptied first, and checks that the
# program is there: cmake -DBUILD=... -DFOLDER=... -P install_fresh.cmake
file(REMOVE_RECURSE "${FOLDER}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${FOLDER}"
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
foreach(file ormel.exe ormel-pray.exe ormel-help.html examples/Lantern/lantern.cos LICENSE
        NOTICES.txt licenses/LGPL-3.0.txt licenses/GPL-3.0.txt)
    if(NOT EXISTS "${FOLDER}/${file}")
        message(FATAL_ERROR "the installed folder lacks ${file}")
    endif()
endforeach()
