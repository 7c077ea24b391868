# eda_add_man_page(TARGET INCLUDE_FILE): section 1 manual of a tool, made by help2man from the
# tool's own --help-all (else --help) and --version, with the sections of INCLUDE_FILE added;
# compressed as Debian installs manuals, and installed with the tools.
find_program(EDA_HELP2MAN help2man REQUIRED)
find_program(EDA_GZIP gzip REQUIRED)

function(eda_add_man_page target include_file)
  cmake_parse_arguments(ARG "" "HELP_OPTION" "" ${ARGN})
  if(NOT ARG_HELP_OPTION)
    set(ARG_HELP_OPTION --help)
  endif()
  get_target_property(name ${target} OUTPUT_NAME)
  if(NOT name)
    set(name ${target})
  endif()
  set(page ${CMAKE_CURRENT_BINARY_DIR}/${name}.1)
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${EDA_HELP2MAN} --no-info --no-discard-stderr --help-option=${ARG_HELP_OPTION}
            --include=${include_file} --output=${page} $<TARGET_FILE:${target}>
    COMMAND ${EDA_GZIP} -9nf ${page}
    DEPENDS ${target} ${include_file}
    COMMENT "Manual page ${name}(1)"
    VERBATIM)
  add_custom_target(${name}_man ALL DEPENDS ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT tools)
endfunction()
