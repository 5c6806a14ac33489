# arbolix_add_setup(TARGET LICENSE file [MANIFEST file | ARCHIVE file [UNVERIFIED]]
#                   [ZOPFLI] [SOURCE_DIRS dir...] [DEPENDS target-or-file...]
#                   [OUTPUT_NAME name])
#
# A setup program built from this repository's code with the given license text
# and payload: the manifest is packed by the native packer at build time (sources
# looked for next to the manifest, then in SOURCE_DIRS), or an archive file is
# taken as it is once the packer has verified it (UNVERIFIED: not even that, for
# the tests' damaged archives). Without either the program has no payload archive
# at all. ZOPFLI packs with the slower, exhaustive encoder as well.
function(arbolix_add_setup target)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "ZOPFLI;UNVERIFIED" "LICENSE;MANIFEST;ARCHIVE;OUTPUT_NAME"
                        "SOURCE_DIRS;DEPENDS")
  if(NOT ARG_LICENSE)
    message(FATAL_ERROR "arbolix_add_setup(${target}): LICENSE is required")
  endif()
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}.resources)
  file(MAKE_DIRECTORY ${dir})

  add_custom_command(OUTPUT ${dir}/license.z
    COMMAND ${ARBOLIX_PACKER_COMMAND} text ${ARG_LICENSE} -o ${dir}/license.z
    DEPENDS ${ARG_LICENSE} ${ARBOLIX_PACKER_DEPENDS}
    COMMENT "Packing the license text of ${target}")
  set(packed ${dir}/license.z)
  set(rc_defines "")
  if(ARG_MANIFEST)
    set(source_dirs)
    if(ARG_ZOPFLI)
      list(APPEND source_dirs --zopfli)
    endif()
    foreach(source_dir IN LISTS ARG_SOURCE_DIRS)
      list(APPEND source_dirs --source-dir ${source_dir})
    endforeach()
    add_custom_command(OUTPUT ${dir}/payload.z
      COMMAND ${ARBOLIX_PACKER_COMMAND} archive ${source_dirs} ${ARG_MANIFEST}
              -o ${dir}/payload.z --depfile ${dir}/payload.d
      DEPFILE ${dir}/payload.d
      DEPENDS ${ARG_MANIFEST} ${ARG_DEPENDS} ${ARBOLIX_PACKER_DEPENDS}
      COMMENT "Packing the payload archive of ${target}")
    list(APPEND packed ${dir}/payload.z)
  elseif(ARG_ARCHIVE)
    set(verify COMMAND ${ARBOLIX_PACKER_COMMAND} verify ${ARG_ARCHIVE})
    if(ARG_UNVERIFIED)
      set(verify)
    endif()
    add_custom_command(OUTPUT ${dir}/payload.z
      ${verify}
      COMMAND ${CMAKE_COMMAND} -E copy ${ARG_ARCHIVE} ${dir}/payload.z
      DEPENDS ${ARG_ARCHIVE} ${ARG_DEPENDS} ${ARBOLIX_PACKER_DEPENDS}
      COMMENT "Taking the payload archive of ${target}")
    list(APPEND packed ${dir}/payload.z)
  else()
    set(rc_defines "#define ARBOLIX_NO_PAYLOAD\n")
  endif()

  # The program's own resource script, reading this program's packed resources.
  file(CONFIGURE OUTPUT ${dir}/${target}.rc
    CONTENT "${rc_defines}#include \"${PROJECT_SOURCE_DIR}/resources/setup.rc\"\n")
  set_source_files_properties(${dir}/${target}.rc PROPERTIES OBJECT_DEPENDS "${packed}")

  add_executable(${target} WIN32 ${PROJECT_SOURCE_DIR}/setup/main.cpp ${dir}/${target}.rc)
  target_compile_options(${target} PRIVATE ${ARBOLIX_WARNINGS} ${ARBOLIX_STUB_FLAGS})
  target_link_options(${target} PRIVATE ${ARBOLIX_STUB_LINK})
  target_link_libraries(${target} PRIVATE arbolix_setup arbolix_real_dialogs arbolix_program_start)
  # windres looks for the packed files in the include folders, this program's first.
  target_include_directories(${target} PRIVATE ${dir} ${PROJECT_SOURCE_DIR}/resources)
  # Wine maps a section straight from the file only when it starts on a page of the
  # file; otherwise it copies the whole payload into private memory at start-up.
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${ARBOLIX_PACKER_COMMAND} align-resources $<TARGET_FILE:${target}>)
  if(ARG_OUTPUT_NAME)
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${ARG_OUTPUT_NAME})
  endif()
endfunction()
