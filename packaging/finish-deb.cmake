# Run by CPack (CPACK_PRE_BUILD_SCRIPTS) on the installed files before they
# are packed: does what Debian's helpers (dh_strip, dh_compress,
# dh_installdocs, dh_installchangelogs, dh_lintian) do in a Debian package
# build. The copyright, the changelog and the lintian overrides go where
# Debian keeps them.
set(usr "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(doc "${usr}/share/doc/${CPACK_PACKAGE_NAME}")
set(overrides "${usr}/share/lintian/overrides")
if(NOT IS_DIRECTORY "${usr}/bin")
  message(FATAL_ERROR "no programs staged in ${usr}/bin")
endif()

# gzip -9n: best compression, no name or time stamp, so the same files
# give the same package.
function(compress in out)
  execute_process(COMMAND gzip -9n -c "${in}" OUTPUT_FILE "${out}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip failed on ${in}")
  endif()
  file(CHMOD "${out}" FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endfunction()

# CPACK_STRIP_FILES has stripped the programs and the Python module; like
# dh_strip, also drop the compiler's version notes, which only make
# packages differ.
file(GLOB programs "${usr}/bin/*" "${usr}/lib/python3/dist-packages/*.so")
foreach(program IN LISTS programs)
  execute_process(COMMAND "${CPACK_IMSET_STRIP}" --remove-section=.comment "${program}"
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "strip failed on ${program}")
  endif()
endforeach()

file(GLOB pages "${usr}/share/man/man1/*.1")
foreach(page IN LISTS pages)
  compress("${page}" "${page}.gz")
  file(REMOVE "${page}")
endforeach()

set(directory_permissions
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
file(MAKE_DIRECTORY "${doc}" "${overrides}")
file(CHMOD "${usr}/share/doc" "${doc}" "${usr}/share/lintian" "${overrides}"
     DIRECTORY_PERMISSIONS ${directory_permissions})
file(COPY_FILE "${CPACK_IMSET_PACKAGING_DIR}/copyright" "${doc}/copyright")
file(COPY_FILE "${CPACK_IMSET_PACKAGING_DIR}/lintian-overrides" "${overrides}/${CPACK_PACKAGE_NAME}")
file(CHMOD "${doc}/copyright" "${overrides}/${CPACK_PACKAGE_NAME}"
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
compress("${CPACK_IMSET_CHANGELOG}" "${doc}/changelog.Debian.gz")
