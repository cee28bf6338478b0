# Korvi's translations: translations/korvi_<lang>.ts, kept up to date with the
# texts in the code by lupdate, compiled by lrelease into .qm files that are
# embedded in korvi_ui under :/i18n.
#
# Qt's LinguistTools CMake package comes with Debian's qt6-tools-dev, which
# brings Designer, Assistant and Qt Quick along; the two programs Korvi needs
# come alone with qt6-l10n-tools, so they are called directly.
#
#   korvi_lupdate  scans src/ and updates every .ts (part of the default
#                  build, rerun whenever a source file changes):
#                  cmake --build build --target korvi_lupdate
#   korvi_add_translations(TARGET)  compiles the .ts files and embeds them.

set(KORVI_LANGUAGES de)
set(KORVI_TS_DIR ${PROJECT_SOURCE_DIR}/translations)

find_program(KORVI_LUPDATE NAMES lupdate lupdate-qt6
  HINTS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS} /usr/lib/qt6/bin NO_CACHE)
find_program(KORVI_LRELEASE NAMES lrelease lrelease-qt6
  HINTS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS} /usr/lib/qt6/bin NO_CACHE)
if(NOT KORVI_LUPDATE OR NOT KORVI_LRELEASE)
  message(FATAL_ERROR "lupdate and lrelease are needed for Korvi's translations "
    "(Debian: apt-get install qt6-l10n-tools)")
endif()

set(KORVI_TS_FILES)
foreach(lang ${KORVI_LANGUAGES})
  list(APPEND KORVI_TS_FILES ${KORVI_TS_DIR}/korvi_${lang}.ts)
endforeach()

# Every text a user sees is in src/; the .ts keeps no line numbers, so that it
# changes only when a text does.
file(GLOB_RECURSE KORVI_TRANSLATED_SOURCES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/src/*.cpp ${PROJECT_SOURCE_DIR}/src/*.h)
set(KORVI_LUPDATE_STAMP ${CMAKE_BINARY_DIR}/translations/lupdate.stamp)
set(KORVI_LUPDATE_ARGUMENTS -silent -locations none -extensions cpp,h
  ${PROJECT_SOURCE_DIR}/src -ts ${KORVI_TS_FILES})
add_custom_command(OUTPUT ${KORVI_LUPDATE_STAMP}
  COMMAND ${KORVI_LUPDATE} ${KORVI_LUPDATE_ARGUMENTS}
  COMMAND ${CMAKE_COMMAND} -E touch ${KORVI_LUPDATE_STAMP}
  DEPENDS ${KORVI_TRANSLATED_SOURCES}
  COMMENT "Updating the translations from the sources"
  VERBATIM)
add_custom_target(korvi_lupdate ALL DEPENDS ${KORVI_LUPDATE_STAMP})

function(korvi_add_translations target)
  set(qm_files)
  foreach(ts ${KORVI_TS_FILES})
    get_filename_component(name ${ts} NAME_WE)
    set(qm ${CMAKE_BINARY_DIR}/translations/${name}.qm)
    add_custom_command(OUTPUT ${qm}
      COMMAND ${KORVI_LRELEASE} -silent ${ts} -qm ${qm}
      DEPENDS ${ts} ${KORVI_LUPDATE_STAMP}
      COMMENT "Compiling ${name}.ts"
      VERBATIM)
    list(APPEND qm_files ${qm})
  endforeach()
  add_custom_target(korvi_lrelease DEPENDS ${qm_files})
  qt_add_resources(${target} korvi_translations PREFIX /i18n
    BASE ${CMAKE_BINARY_DIR}/translations FILES ${qm_files})
endfunction()
