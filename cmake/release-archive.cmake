# Run by CPack once it has made the archive: makes it again with Info-ZIP's
# zip, so that every build of a commit gives the same bytes whoever builds it,
# then writes its checksums beside it. CPack's archive records the packing
# user's ids; zip -X writes no Unix extra fields, so no ids and no second
# time, and adds the files in the order given. What is left of each file is
# its mode, which follows the builder's umask and so is set here, and one DOS
# time, which zip writes in local time: UTC, from each file's time set to the
# epoch (a DOS time starts in 1980 and counts seconds in twos).
set(ENV{TZ} UTC0)
set(staging ${CPACK_TEMPORARY_DIRECTORY})
file(GLOB names RELATIVE ${staging} ${staging}/*)
file(GLOB documents ${staging}/*.txt ${staging}/LICENSE)
file(CHMOD ${documents} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(CHMOD ${staging}/tolvik.exe PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
  GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
execute_process(COMMAND touch -d @${CPACK_TOLVIK_EPOCH} ${names}
  WORKING_DIRECTORY ${staging} COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE ${CPACK_PACKAGE_FILES})  # zip would add to it, not replace it
execute_process(COMMAND zip -X -q ${CPACK_PACKAGE_FILES} ${names}
  WORKING_DIRECTORY ${staging} COMMAND_ERROR_IS_FATAL ANY)

# One file per checksum, in the form sha256sum -c reads.
foreach(file IN ITEMS ${CPACK_PACKAGE_FILES} ${staging}/tolvik.exe)
  file(SHA256 ${file} hash)
  get_filename_component(name ${file} NAME)
  file(WRITE ${CPACK_PACKAGE_DIRECTORY}/${name}.sha256 "${hash}  ${name}\n")
endforeach()
