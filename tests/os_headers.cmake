# Fails when a file outside src/platform/ includes an operating-system header:
# the platform layer is the one seam between our code and the OS.
file(GLOB_RECURSE sources
  ${SOURCE_DIR}/src/*.cc ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/include/*.h
  ${SOURCE_DIR}/tools/*.cc ${SOURCE_DIR}/tools/*.h
  ${SOURCE_DIR}/tests/*.cc ${SOURCE_DIR}/tests/*.h ${SOURCE_DIR}/tests/*.c
  ${SOURCE_DIR}/bench/*.cc ${SOURCE_DIR}/bench/*.h)
set(os_headers "unistd|windows|winbase|winnt|shlobj|shellapi|dlfcn|fcntl|signal|pthread|dirent|pwd|io|direct|process|sys/[a-z_]+|linux/[a-z_]+|spawn|poll|termios")
set(offenders "")
foreach(file IN LISTS sources)
  if(file MATCHES "/src/platform/")
    continue()
  endif()
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*<(${os_headers})\\.h>")
  if(lines)
    list(APPEND offenders "${file}: ${lines}")
  endif()
endforeach()
if(offenders)
  string(REPLACE ";" "\n" text "${offenders}")
  message(FATAL_ERROR "OS headers outside src/platform/:\n${text}")
endif()
