# Fails when a source folder includes a header it must not depend on. Run with
#   cmake -DSOURCE_DIR=<repository> -P check_includes.cmake
# Each rule: folder (below src/), then a regular expression for forbidden #include lines.
set(rules
  "core|#include[ \t]*[<\"](QtWidgets/|QWidget|QDialog|QMainWindow|QApplication|ui/|controls/)"
  "core/render|#include[ \t]*[<\"]core/export/"
  "core/elements|#include[ \t]*[<\"]core/export/"
  "core/document|#include[ \t]*[<\"]core/export/"
)

set(failures "")
foreach(rule IN LISTS rules)
  string(FIND "${rule}" "|" bar)
  string(SUBSTRING "${rule}" 0 ${bar} folder)
  math(EXPR start "${bar} + 1")
  string(SUBSTRING "${rule}" ${start} -1 pattern)
  file(GLOB_RECURSE sources "${SOURCE_DIR}/src/${folder}/*.h" "${SOURCE_DIR}/src/${folder}/*.cpp")
  if(NOT sources)
    list(APPEND failures "src/${folder} has no sources: the rule no longer checks anything")
  endif()
  foreach(source IN LISTS sources)
    file(STRINGS "${source}" lines REGEX "${pattern}")
    foreach(line IN LISTS lines)
      file(RELATIVE_PATH relative "${SOURCE_DIR}" "${source}")
      list(APPEND failures "${relative}: ${line}")
    endforeach()
  endforeach()
endforeach()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "Includes across layers:\n  ${text}")
endif()
