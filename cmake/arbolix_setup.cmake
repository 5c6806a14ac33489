# arbolix_add_setup(TARGET LICENSE file [MANIFEST file [NO_UNINSTALLER] | ARCHIVE file [UNVERIFIED]]
#                   [NO_CHECKSUM | CUT_ARCHIVE] [ZOPFLI] [SOURCE_DIRS dir...] [DEPENDS target-or-file...]
#                   [SIGN_CERT file SIGN_KEY file | SIGN_PKCS12 file] [SIGN_TIMESTAMP url]
#                   [OUTPUT_NAME name])
#
# A setup program built from this repository's code with the given license text
# and payload: the manifest is packed by the native packer at build time (sources
# looked for next to the manifest, then in SOURCE_DIRS), or an archive file is
# taken as it is once the packer has verified it (UNVERIFIED: not even that, for
# the tests' damaged archives), either one no larger than this tree's program can
# carry (ARBOLIX_ARCH; x86 holds 1 GiB). Without either the program has no payload
# archive at all. ZOPFLI packs with the slower, exhaustive encoder as well. The manifest
# must install Uninstall.exe, which setup registers as the uninstaller, unless
# NO_UNINSTALLER makes it a test payload. A payload archive comes with its checksum
# (resource Z/111, the CRC-32 of its bytes), which NO_CHECKSUM leaves out;
# CUT_ARCHIVE leaves out the archive instead, as in a program damaged so.
#
# SIGN_*: signed with scripts/sign (osslsigncode), the password of the key taken
# from ARBOLIX_SIGN_PASSWORD at build time. A manifest's uninstaller is signed
# before it is packed (the manifest must install one); an archive is taken as it is.
# The program is signed last, after its resources are aligned.
function(arbolix_add_setup target)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "ZOPFLI;UNVERIFIED;NO_UNINSTALLER;NO_CHECKSUM;CUT_ARCHIVE"
                        "LICENSE;MANIFEST;ARCHIVE;OUTPUT_NAME;SIGN_CERT;SIGN_KEY;SIGN_PKCS12;SIGN_TIMESTAMP"
                        "SOURCE_DIRS;DEPENDS")
  if(NOT ARG_LICENSE)
    message(FATAL_ERROR "arbolix_add_setup(${target}): LICENSE is required")
  endif()
  set(sign)
  if(ARG_SIGN_PKCS12 AND NOT ARG_SIGN_CERT AND NOT ARG_SIGN_KEY)
    set(sign --pkcs12 ${ARG_SIGN_PKCS12})
  elseif(ARG_SIGN_CERT AND ARG_SIGN_KEY AND NOT ARG_SIGN_PKCS12)
    set(sign --cert ${ARG_SIGN_CERT} --key ${ARG_SIGN_KEY})
  elseif(ARG_SIGN_CERT OR ARG_SIGN_KEY OR ARG_SIGN_PKCS12 OR ARG_SIGN_TIMESTAMP)
    message(FATAL_ERROR "arbolix_add_setup(${target}): sign with SIGN_CERT and SIGN_KEY, or with SIGN_PKCS12")
  endif()
  if(ARG_SIGN_TIMESTAMP)
    list(APPEND sign --timestamp ${ARG_SIGN_TIMESTAMP})
  endif()
  if(ARG_NO_UNINSTALLER AND (sign OR NOT ARG_MANIFEST))
    message(FATAL_ERROR "arbolix_add_setup(${target}): NO_UNINSTALLER is for an unsigned MANIFEST")
  endif()
  set(signer ${PROJECT_SOURCE_DIR}/scripts/sign)
  # A new key signs again: the payload and the program depend on the signing files.
  set(signing_files ${ARG_SIGN_CERT} ${ARG_SIGN_KEY} ${ARG_SIGN_PKCS12})
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
    foreach(source_dir IN LISTS ARG_SOURCE_DIRS)
      list(APPEND source_dirs --source-dir ${source_dir})
    endforeach()
    # The archive must fit the program of this tree: 1 GiB at most for x86.
    set(pack_options --arch ${ARBOLIX_ARCH} ${source_dirs})
    if(ARG_ZOPFLI)
      list(APPEND pack_options --zopfli)
    endif()
    if(ARG_NO_UNINSTALLER)
      list(APPEND pack_options --no-uninstaller)
    endif()
    # The uninstaller that goes into the payload is signed first, as a copy.
    set(take_uninstaller)
    if(sign)
      set(uninstaller ${dir}/Uninstall.exe)
      set(take_uninstaller
        COMMAND ${ARBOLIX_PACKER_COMMAND} uninstaller ${source_dirs} ${ARG_MANIFEST} -o ${uninstaller}
        COMMAND ${signer} ${sign} ${uninstaller} -o ${uninstaller})
      list(APPEND pack_options --uninstaller ${uninstaller})
    endif()
    add_custom_command(OUTPUT ${dir}/payload.z
      ${take_uninstaller}
      COMMAND ${ARBOLIX_PACKER_COMMAND} archive ${pack_options} ${ARG_MANIFEST}
              -o ${dir}/payload.z --depfile ${dir}/payload.d
      DEPFILE ${dir}/payload.d
      DEPENDS ${ARG_MANIFEST} ${ARG_DEPENDS} ${ARBOLIX_PACKER_DEPENDS} ${signing_files}
      COMMENT "Packing the payload archive of ${target}")
    list(APPEND packed ${dir}/payload.z)
  elseif(ARG_ARCHIVE)
    set(verify COMMAND ${ARBOLIX_PACKER_COMMAND} verify --arch ${ARBOLIX_ARCH} ${ARG_ARCHIVE})
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
    set(rc_defines "#define ARBOLIX_NO_PAYLOAD\n#define ARBOLIX_NO_PAYLOAD_CHECKSUM\n")
  endif()
  if(ARG_CUT_ARCHIVE)
    string(APPEND rc_defines "#define ARBOLIX_NO_PAYLOAD\n")
  endif()
  if(ARG_NO_CHECKSUM)
    string(APPEND rc_defines "#define ARBOLIX_NO_PAYLOAD_CHECKSUM\n")
  elseif(ARG_MANIFEST OR ARG_ARCHIVE)
    add_custom_command(OUTPUT ${dir}/payload.crc
      COMMAND ${ARBOLIX_PACKER_COMMAND} checksum ${dir}/payload.z -o ${dir}/payload.crc
      DEPENDS ${dir}/payload.z ${ARBOLIX_PACKER_DEPENDS}
      COMMENT "Checksumming the payload archive of ${target}")
    list(APPEND packed ${dir}/payload.crc)
  endif()

  # The program's own resource script, reading this program's packed resources.
  file(CONFIGURE OUTPUT ${dir}/${target}.rc
    CONTENT "${rc_defines}#include \"${PROJECT_SOURCE_DIR}/resources/setup.rc\"\n")
  # The icon is no #include, which the scan of the script would find.
  set_source_files_properties(${dir}/${target}.rc PROPERTIES
    OBJECT_DEPENDS "${packed};${signing_files};${PROJECT_SOURCE_DIR}/resources/arbolix.ico")

  add_executable(${target} WIN32 ${PROJECT_SOURCE_DIR}/setup/main.cpp ${dir}/${target}.rc)
  target_compile_options(${target} PRIVATE ${ARBOLIX_WARNINGS} ${ARBOLIX_STUB_FLAGS})
  target_link_options(${target} PRIVATE ${ARBOLIX_STUB_LINK})
  target_link_libraries(${target} PRIVATE arbolix_setup arbolix_real_dialogs arbolix_desktop_shell arbolix_program_start)
  # windres looks for the packed files in the include folders, this program's first.
  target_include_directories(${target} PRIVATE ${dir} ${PROJECT_SOURCE_DIR}/resources)
  # Wine maps a section straight from the file only when it starts on a page of the
  # file; otherwise it copies the whole payload into private memory at start-up.
  # A signed program is signed last: the alignment would break its signature. When
  # signing fails, make deletes the program, so that no unsigned one passes for built.
  set(sign_program)
  if(sign)
    set(sign_program COMMAND ${signer} ${sign} $<TARGET_FILE:${target}> -o $<TARGET_FILE:${target}>)
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${ARBOLIX_PACKER_COMMAND} align-resources $<TARGET_FILE:${target}>
    ${sign_program})
  if(ARG_OUTPUT_NAME)
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${ARG_OUTPUT_NAME})
  endif()
endfunction()
