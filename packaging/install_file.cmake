# Runs at install time, from cmake_install.cmake: fills a template's @NAMES@ with the paths of
# the install prefix in use (which may differ from the one configured: cmake --install
# --prefix, CPack), gzips the result when asked and installs it as one file. DESTDIR is
# honoured by file(INSTALL).
#
# Set by the caller: HEXWEND_TEMPLATE, HEXWEND_NAME (the installed name, before ".gz"),
# HEXWEND_DESTINATION (relative to the prefix), HEXWEND_GZIP (ON or OFF), HEXWEND_WORK_DIR, and
# the values fixed at configure time that templates use (PROJECT_VERSION, HEXWEND_APP_ID,
# HEXWEND_HOMEPAGE, HEXWEND_RELEASE_DATE).

set(HEXWEND_LAUNCHER "${CMAKE_INSTALL_PREFIX}/games/hexwend")
set(HEXWEND_GAME_DIR "${CMAKE_INSTALL_PREFIX}/lib/hexwend")
set(HEXWEND_SCORES "${CMAKE_INSTALL_PREFIX}/bin/hexwend-scores")

# The launcher as the program of a desktop entry's Exec key, and the server as that of a
# systemd ExecStart: plain when the path holds nothing but letters, digits and / . _ + -, else
# quoted with the escapes each format asks for (a prefix such as "/home/me/My Games").
set(HEXWEND_LAUNCHER_EXEC "${HEXWEND_LAUNCHER}")
if(HEXWEND_LAUNCHER MATCHES "[^A-Za-z0-9/._+-]")
  # Inside quotes \ " ` $ take a backslash; then the value's own escaping doubles every
  # backslash; a percent sign is written twice.
  string(REPLACE "\\" "\\\\" path "${HEXWEND_LAUNCHER}")
  foreach(c "\"" "`" "$")
    string(REPLACE "${c}" "\\${c}" path "${path}")
  endforeach()
  string(REPLACE "\\" "\\\\" path "${path}")
  string(REPLACE "%" "%%" path "${path}")
  set(HEXWEND_LAUNCHER_EXEC "\"${path}\"")
endif()
set(HEXWEND_SCORES_EXEC "${HEXWEND_SCORES}")
if(HEXWEND_SCORES MATCHES "[^A-Za-z0-9/._+-]")
  # Inside quotes \ and " take a backslash; $ and % are written twice.
  string(REPLACE "\\" "\\\\" path "${HEXWEND_SCORES}")
  string(REPLACE "\"" "\\\"" path "${path}")
  string(REPLACE "$" "$$" path "${path}")
  string(REPLACE "%" "%%" path "${path}")
  set(HEXWEND_SCORES_EXEC "\"${path}\"")
endif()

# A folder of this run's own, so that installs into different prefixes can run side by side.
string(RANDOM LENGTH 16 run)
set(work "${HEXWEND_WORK_DIR}/install-${run}")
set(file "${work}/${HEXWEND_NAME}")
configure_file("${HEXWEND_TEMPLATE}" "${file}" @ONLY)
if(HEXWEND_GZIP)
  # -n leaves the name and time out of the header, so the bytes depend on the text alone.
  execute_process(COMMAND gzip -9n "${file}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip failed on ${file}")
  endif()
  set(file "${file}.gz")
endif()
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${HEXWEND_DESTINATION}" TYPE FILE
     PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
     FILES "${file}")
file(REMOVE_RECURSE "${work}")
