# Install layout of the suite, the same for `cmake --install` into any prefix and for the Debian
# package (prefix /usr):
#   bin/                          TW_FlueGas, twcalc
#   lib/<multiarch>/tw/           the suite's libraries and, beside libTWCommon.so, the steam
#                                 table files (the library finds them through its own location)
#   lib/<multiarch>/cmake/<Pkg>/  CMake package files: find_package(TWCommon) and friends
#   include/tw/                   headers
#   share/                        desktop entry, icons, manual pages, bash completion
# Programs find the libraries through a run path relative to themselves ($ORIGIN), libraries
# find each other beside themselves, so an installed or unpacked tree works wherever it lies.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

if(CMAKE_LIBRARY_ARCHITECTURE)
  set(TW_INSTALL_ARCHLIBDIR "lib/${CMAKE_LIBRARY_ARCHITECTURE}")
else()
  set(TW_INSTALL_ARCHLIBDIR "lib")
endif()
# Every `install(... DESTINATION ${CMAKE_INSTALL_LIBDIR})` of the suite means its private
# folder: libraries and the data files that must lie beside them.
set(CMAKE_INSTALL_LIBDIR "${TW_INSTALL_ARCHLIBDIR}/tw")
set(TW_INSTALL_INCLUDEDIR "${CMAKE_INSTALL_INCLUDEDIR}/tw")
set(TW_INSTALL_CMAKEDIR "${TW_INSTALL_ARCHLIBDIR}/cmake")

# Two parts: "runtime" (programs, libraries, data, desktop files, manual pages) and "dev"
# (headers and CMake package files). An install() without a component belongs to runtime.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME runtime)

file(RELATIVE_PATH tw_bin_to_lib "/${CMAKE_INSTALL_BINDIR}" "/${CMAKE_INSTALL_LIBDIR}")
set(CMAKE_INSTALL_RPATH "$ORIGIN/${tw_bin_to_lib}")
unset(tw_bin_to_lib)

# tw_install_library(target [PACKAGE name [DEPENDS "Qt6 6.4 COMPONENTS ..."]]
#                    [HEADERS file-or-folder ...])
# Installs a shared library into the private folder. With PACKAGE it also installs the headers
# (a folder keeps its name: include/tw/<folder>/...) and a CMake package `name` with the
# imported target TW::<target>; DEPENDS is what the package's users must find first.
function(tw_install_library target)
  cmake_parse_arguments(L "" "PACKAGE" "DEPENDS;HEADERS" ${ARGN})
  # Sibling libraries lie in the same folder.
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN")
  if(NOT L_PACKAGE)
    install(TARGETS ${target} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime)
    return()
  endif()

  target_include_directories(${target} INTERFACE $<INSTALL_INTERFACE:${TW_INSTALL_INCLUDEDIR}>)
  install(TARGETS ${target} EXPORT ${L_PACKAGE}Targets
          LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime)
  foreach(header ${L_HEADERS})
    if(IS_DIRECTORY ${header})
      install(DIRECTORY ${header} DESTINATION ${TW_INSTALL_INCLUDEDIR} COMPONENT dev)
    else()
      install(FILES ${header} DESTINATION ${TW_INSTALL_INCLUDEDIR} COMPONENT dev)
    endif()
  endforeach()

  set(package_dir ${TW_INSTALL_CMAKEDIR}/${L_PACKAGE})
  set(TW_PACKAGE ${L_PACKAGE})
  set(TW_FIND_DEPENDENCIES "")
  if(L_DEPENDS)
    string(REPLACE ";" " " depends "${L_DEPENDS}")
    set(TW_FIND_DEPENDENCIES "find_dependency(${depends})")
  endif()
  set(generated ${CMAKE_BINARY_DIR}/cmake-packages/${L_PACKAGE})
  configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/TWPackageConfig.cmake.in
    ${generated}/${L_PACKAGE}Config.cmake INSTALL_DESTINATION ${package_dir})
  write_basic_package_version_file(${generated}/${L_PACKAGE}ConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
  install(EXPORT ${L_PACKAGE}Targets NAMESPACE TW:: DESTINATION ${package_dir} COMPONENT dev)
  install(FILES ${generated}/${L_PACKAGE}Config.cmake ${generated}/${L_PACKAGE}ConfigVersion.cmake
          DESTINATION ${package_dir} COMPONENT dev)
endfunction()
