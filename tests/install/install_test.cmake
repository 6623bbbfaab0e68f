# Run by ctest (see CMakeLists.txt): installs the build into
# BUILD_DIR/install-test, builds consumer/ against it with find_package and
# with pkg-config, runs both, and runs the installed vv and vvbutil.
set(prefix ${BUILD_DIR}/install-test)
set(work ${BUILD_DIR}/install-test-work)
file(REMOVE_RECURSE ${prefix} ${work})
file(MAKE_DIRECTORY ${work})

function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${work}
                  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "failed (${code}): ${ARGN}\n${out}\n${err}")
  endif()
  set(run_out "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
foreach(file include/veverave/driver.h include/veverave/engine.h bin/vv bin/vvbutil)
  if(NOT EXISTS ${prefix}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
file(GLOB_RECURSE config ${prefix}/*/veverave-config.cmake)
file(GLOB_RECURSE pc_files ${prefix}/*/veverave.pc)
if(NOT config OR NOT pc_files)
  message(FATAL_ERROR "no package files: '${config}' '${pc_files}'")
endif()

set(flags "")
if(SANITIZE)
  # The installed libraries carry the sanitizers' calls.
  set(flags "-fsanitize=address,undefined")
endif()

# find_package(veverave) with the imported targets.
run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${work}/cmake -G ${GENERATOR}
    -DCMAKE_C_COMPILER=${C_COMPILER} -DCMAKE_PREFIX_PATH=${prefix} "-DCMAKE_C_FLAGS=${flags}")
run(${CMAKE_COMMAND} --build ${work}/cmake)
run(${work}/cmake/consumer ${work}/cmake.btr)
if(NOT run_out STREQUAL "ok\n")
  message(FATAL_ERROR "the consumer said: ${run_out}")
endif()

# pkg-config, where the machine has it.
find_program(PKG_CONFIG NAMES pkg-config pkgconf)
if(PKG_CONFIG)
  get_filename_component(pc_dir ${pc_files} DIRECTORY)
  set(ENV{PKG_CONFIG_PATH} ${pc_dir})
  run(${PKG_CONFIG} --cflags --libs veverave vvengine)
  string(STRIP "${run_out}" pc_flags)
  separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
  set(rpath "")
  foreach(flag ${pc_flags})
    if(flag MATCHES "^-L(.*)")
      set(rpath "-Wl,-rpath,${CMAKE_MATCH_1}")
    endif()
  endforeach()
  separate_arguments(sanitize UNIX_COMMAND "${flags}")
  run(${C_COMPILER} ${sanitize} ${CONSUMER_DIR}/consumer.c -o ${work}/pc_consumer ${pc_flags} ${rpath})
  run(${work}/pc_consumer ${work}/pc.btr)
  if(NOT run_out STREQUAL "ok\n")
    message(FATAL_ERROR "the pkg-config consumer said: ${run_out}")
  endif()
endif()

# The installed tools find their libraries.
run(${prefix}/bin/vvbutil -ver)
run(${prefix}/bin/vv demo ${work}/demo)
if(NOT run_out MATCHES "Done: ")
  message(FATAL_ERROR "the installed vv demo said: ${run_out}")
endif()
message(STATUS "installed tree in ${prefix} works")
