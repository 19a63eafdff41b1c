# Installs the build into a fresh prefix and checks the desktop entries of both programs and the
# scheduler's autostart entry.
# -DBUILD_DIR=<build folder> -DPREFIX=<scratch folder>
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
# Both programs go to one program folder below the prefix.
foreach(entry share/applications/torvane-scheduler.desktop etc/xdg/autostart/torvane-scheduler.desktop
              share/applications/torvane.desktop)
  if(NOT EXISTS "${PREFIX}/${entry}")
    message(FATAL_ERROR "missing ${entry}")
  endif()
  file(READ "${PREFIX}/${entry}" text)
  if(entry MATCHES "scheduler")
    set(program "Torvane Scheduler")
  else()
    set(program "Torvane")
  endif()
  if(NOT EXISTS "${PREFIX}/Torvane/${program}")
    message(FATAL_ERROR "${program} was not installed into the program folder")
  endif()
  foreach(line "[Desktop Entry]" "Type=Application" "Name=${program}"
               "Exec=\"${PREFIX}/Torvane/${program}\"" "Path=${PREFIX}/Torvane")
    string(FIND "${text}" "${line}\n" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${entry} lacks the line ${line}:\n${text}")
    endif()
  endforeach()
endforeach()
if(EXISTS "${PREFIX}/etc/xdg/autostart/torvane.desktop")
  message(FATAL_ERROR "the utility must not start with the session")
endif()
file(REMOVE_RECURSE "${PREFIX}")
