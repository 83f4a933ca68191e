# Where each program finds what it ships with: a path from the folder of its own executable,
# fixed at configure time. The build tree puts those files at the same relative place, so one
# rule finds them from the build tree and from any prefix, also after the prefix has moved.
include(GNUInstallDirs)

# installed_beside_program(<prefix> <installed folder, absolute>)
# sets <prefix>_FROM_PROGRAM (the folder relative to the installed bin/) and <prefix>_BUILD_DIR
# (the same folder in the build tree, relative to the build tree's bin/).
function(installed_beside_program prefix installed_folder)
  file(RELATIVE_PATH relative "${CMAKE_INSTALL_FULL_BINDIR}" "${installed_folder}")
  cmake_path(ABSOLUTE_PATH relative BASE_DIRECTORY "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}" NORMALIZE
             OUTPUT_VARIABLE build_dir)
  set(${prefix}_FROM_PROGRAM "${relative}" PARENT_SCOPE)
  set(${prefix}_BUILD_DIR "${build_dir}" PARENT_SCOPE)
endfunction()

# The assistant's GUI library: private to installwarden, off the system's library path.
set(INSTALLWARDEN_PRIVATE_LIBDIR "${CMAKE_INSTALL_LIBDIR}/installwarden")
installed_beside_program(INSTALLWARDEN_PRIVATE_LIB "${CMAKE_INSTALL_FULL_LIBDIR}/installwarden")

# pagereader's text models.
set(PAGEREADER_MODEL_INSTALL_DIR "${CMAKE_INSTALL_DATADIR}/pagereader")
installed_beside_program(PAGEREADER_MODELS "${CMAKE_INSTALL_FULL_DATADIR}/pagereader")
