# Every quoted include of a core file must name a header of the core itself:
# a path that climbs out of the core ("../ui/job_tag.h", "../../sim/...")
# would reach the window or the simulator past the include root, since the
# compiler looks beside the including file first. Run with -DROOT=<folder>.
file(GLOB_RECURSE sources "${ROOT}/*.cpp" "${ROOT}/*.h")
set(bad "")
foreach(source IN LISTS sources)
  file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  get_filename_component(dir "${source}" DIRECTORY)
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" path "${line}")
    if(path MATCHES "^(ui|sim|cli|app)/" OR path MATCHES "\\.\\./")
      get_filename_component(target "${dir}/${path}" ABSOLUTE)
      string(FIND "${target}" "${ROOT}/" inside)
      if(path MATCHES "^(ui|sim|cli|app)/" OR NOT inside EQUAL 0)
        list(APPEND bad "${source}: ${path}")
      endif()
    endif()
  endforeach()
endforeach()
if(bad)
  # Each finding on a line of its own, as written: an error message would be
  # reflowed and a long path split from its include.
  foreach(entry IN LISTS bad)
    message("${entry}")
  endforeach()
  message(FATAL_ERROR "core files that reach outside the core")
endif()
