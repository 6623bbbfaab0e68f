# What `cmake --install` puts where: the driver and the embedded engine as
# shared libraries, the public headers, the tools vv and vvbutil, a CMake
# package (find_package(veverave) gives the imported targets
# veverave::veverave, the driver, and veverave::vvengine, the engine) and
# pkg-config files (veverave, vvengine). Every file of the package finds the
# others relative to itself, so an installed tree may be moved or installed
# under another prefix (cmake --install --prefix).
include(GNUInstallDirs)

set(VV_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/veverave)
set(VV_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# A relative path from one directory of the installed tree to another.
function(vv_relative_path out from to)
  file(RELATIVE_PATH rel /prefix/${from} /prefix/${to})
  if(rel STREQUAL "")
    set(rel .)
  endif()
  set(${out} ${rel} PARENT_SCOPE)
endfunction()

vv_relative_path(VV_BIN_TO_LIB ${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_LIBDIR})
vv_relative_path(VV_CMAKE_TO_PREFIX ${VV_CMAKE_DIR} .)
vv_relative_path(VV_PKGCONFIG_TO_PREFIX ${VV_PKGCONFIG_DIR} .)

set(VV_INSTALL_LIBRARIES veverave vvengine)
if(TARGET wbtrv32)
  # The engine under the client library's name, to stand in for it.
  list(APPEND VV_INSTALL_LIBRARIES wbtrv32)
endif()
install(TARGETS ${VV_INSTALL_LIBRARIES}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/veverave
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} FILES_MATCHING PATTERN "*.h")

foreach(tool vv vvbutil)
  if(TARGET ${tool})
    # The installed tools find the engine library in the library directory.
    if(NOT WIN32)
      set_property(TARGET ${tool} PROPERTY INSTALL_RPATH "$ORIGIN/${VV_BIN_TO_LIB}")
    endif()
    install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()
if(TARGET vv_core)
  # vv loads the driver beside itself, or from there in an installed tree.
  target_compile_definitions(vv_core PRIVATE VV_BIN_TO_LIB="${VV_BIN_TO_LIB}")
endif()

# The package files name the libraries by the file names this build gives
# them, so they are generated once the targets are known.
set(VV_PACKAGE_OUT ${PROJECT_BINARY_DIR}/package)
set(VV_IMPORTED_PROPERTIES "")
foreach(library veverave vvengine)
  if(WIN32)
    string(APPEND VV_IMPORTED_PROPERTIES
      "set_target_properties(veverave::${library} PROPERTIES\n"
      "  IMPORTED_LOCATION \"\${_vv_prefix}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:${library}>\"\n"
      "  IMPORTED_IMPLIB \"\${_vv_prefix}/${CMAKE_INSTALL_LIBDIR}/$<TARGET_LINKER_FILE_NAME:${library}>\")\n")
  else()
    string(APPEND VV_IMPORTED_PROPERTIES
      "set_target_properties(veverave::${library} PROPERTIES\n"
      "  IMPORTED_LOCATION \"\${_vv_prefix}/${CMAKE_INSTALL_LIBDIR}/$<TARGET_FILE_NAME:${library}>\")\n")
  endif()
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/package/veverave-config.cmake.in
               ${VV_PACKAGE_OUT}/veverave-config.cmake.gen @ONLY)
file(GENERATE OUTPUT ${VV_PACKAGE_OUT}/veverave-config.cmake
     INPUT ${VV_PACKAGE_OUT}/veverave-config.cmake.gen)
include(CMakePackageConfigHelpers)
write_basic_package_version_file(${VV_PACKAGE_OUT}/veverave-config-version.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMinorVersion)
foreach(pc veverave vvengine)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/package/${pc}.pc.in ${VV_PACKAGE_OUT}/${pc}.pc @ONLY)
  install(FILES ${VV_PACKAGE_OUT}/${pc}.pc DESTINATION ${VV_PKGCONFIG_DIR})
endforeach()
install(FILES ${VV_PACKAGE_OUT}/veverave-config.cmake ${VV_PACKAGE_OUT}/veverave-config-version.cmake
        DESTINATION ${VV_CMAKE_DIR})
