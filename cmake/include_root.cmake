# vestok_include_root(<target> <folder>)
# The headers of src/<folder> are included as "<folder>/name.h". Rather than
# the whole of src/, the target publishes a folder of the build tree that
# holds only a link named <folder> to its own sources: whoever links the
# target sees its headers, and nobody sees a library they do not link.
function(vestok_include_root target folder)
  set(root "${PROJECT_BINARY_DIR}/include/${folder}")
  file(MAKE_DIRECTORY "${root}")
  file(CREATE_LINK "${PROJECT_SOURCE_DIR}/src/${folder}" "${root}/${folder}" SYMBOLIC)
  target_include_directories(${target} PUBLIC "${root}")
endfunction()
