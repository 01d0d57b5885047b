# Run by CPack once it has made the archive: writes the archive again so that
# every build of a commit gives the same bytes, then its checksums beside it.
# CPack 3.25 adds the staged files in the order the file system lists them;
# cmake -E tar adds them in the order given, and lowers every time in it to
# SOURCE_DATE_EPOCH. The touch makes each time later than that, so that the
# lowering always happens; UTC, because a ZIP keeps local times too.
set(ENV{SOURCE_DATE_EPOCH} ${CPACK_TOLVIK_EPOCH})
set(ENV{TZ} UTC0)
set(staging ${CPACK_TEMPORARY_DIRECTORY})
file(GLOB names RELATIVE ${staging} ${staging}/*)
file(GLOB paths ${staging}/*)
file(TOUCH_NOCREATE ${paths})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar cf ${CPACK_PACKAGE_FILES} --format=zip -- ${names}
  WORKING_DIRECTORY ${staging} COMMAND_ERROR_IS_FATAL ANY)

# One file per checksum, in the form sha256sum -c reads.
foreach(file IN ITEMS ${CPACK_PACKAGE_FILES} ${staging}/tolvik.exe)
  file(SHA256 ${file} hash)
  get_filename_component(name ${file} NAME)
  file(WRITE ${CPACK_PACKAGE_DIRECTORY}/${name}.sha256 "${hash}  ${name}\n")
endforeach()
