# kestrian_encode_definitions(TARGET OUT_DIR SOURCE_DIR ENTRY...)
# Encodes readable definition sources into the .dat files of an application folder with
# kdefs (under the Windows emulator when cross-compiling). Each ENTRY is
# "source|kind|definition file"; a file with a kind is validated right after it is written,
# so a malformed line fails the build. An empty kind skips the validation.
function(kestrian_encode_definitions target out_dir source_dir)
  set(sources)
  set(definitions)
  set(commands COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir})
  foreach(entry IN LISTS ARGN)
    string(REPLACE "|" ";" fields "${entry}")
    list(GET fields 0 source)
    list(GET fields 1 kind)
    list(GET fields 2 definition)
    list(APPEND sources ${source_dir}/${source})
    list(APPEND definitions ${out_dir}/${definition})
    list(APPEND commands COMMAND kdefs encode ${source_dir}/${source} ${out_dir}/${definition})
    if(kind)
      list(APPEND commands COMMAND kdefs validate --kind ${kind} ${out_dir}/${definition})
    endif()
  endforeach()
  # One command, so the runs of the emulator happen one after another.
  add_custom_command(
    OUTPUT ${definitions}
    ${commands}
    DEPENDS kdefs ${sources}
    COMMENT "Encoding definitions into ${out_dir}"
    VERBATIM
  )
  add_custom_target(${target} ALL DEPENDS ${definitions})
endfunction()
