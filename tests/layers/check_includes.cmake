cmake_minimum_required(VERSION 3.25)
# Fails when a source folder includes a header it must not depend on. Run with
#   cmake -DSOURCE_DIR=<repository> -P check_includes.cmake
# The core's folders include only downwards. A folder's rank is its place in the order; folders
# of one rank (the four on top) include none of each other. Every core folder must be ranked, so
# a new folder cannot slip past the check. The export subfolders are ranked the same way.

set(core_order typedfiler elements sheets credits document render "edit interchange signoff export")
set(export_order formats encode avi sinks run)

# rank_of(<order> <name> <out>): the place of name in order (a list whose items may hold several
# names separated by spaces), or -1.
function(rank_of order name out)
  set(rank 0)
  foreach(step IN LISTS ${order})
    string(REPLACE " " ";" names "${step}")
    if(name IN_LIST names)
      set(${out} ${rank} PARENT_SCOPE)
      return()
    endif()
    math(EXPR rank "${rank} + 1")
  endforeach()
  set(${out} -1 PARENT_SCOPE)
endfunction()

set(failures "")

# check_folder(<order> <root> <folder> <prefix>): every include of root/folder into another
# folder below root (written as "prefix<folder>/...") must go to a lower rank.
function(check_folder order root folder prefix)
  rank_of(${order} ${folder} own)
  file(GLOB_RECURSE sources "${root}/${folder}/*.h" "${root}/${folder}/*.cpp")
  if(NOT sources)
    list(APPEND failures "${root}/${folder} has no sources: the rule no longer checks anything")
  endif()
  foreach(source IN LISTS sources)
    file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"${prefix}[A-Za-z_]+/")
    foreach(line IN LISTS lines)
      string(REGEX MATCH "\"${prefix}([A-Za-z_]+)/" match "${line}")
      set(target "${CMAKE_MATCH_1}")
      if(target STREQUAL folder)
        continue()
      endif()
      rank_of(${order} ${target} theirs)
      if(theirs EQUAL -1 OR NOT theirs LESS own)
        file(RELATIVE_PATH relative "${SOURCE_DIR}" "${source}")
        list(APPEND failures "${relative}: ${line} (${folder} may not include ${target})")
      endif()
    endforeach()
  endforeach()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

# Every folder on disk must have a place in the order.
foreach(pair "core_order|${SOURCE_DIR}/src/core|core/" "export_order|${SOURCE_DIR}/src/core/export|core/export/")
  string(REPLACE "|" ";" parts "${pair}")
  list(GET parts 0 order)
  list(GET parts 1 root)
  list(GET parts 2 prefix)
  file(GLOB children LIST_DIRECTORIES true "${root}/*")
  foreach(child IN LISTS children)
    if(IS_DIRECTORY "${child}")
      get_filename_component(folder "${child}" NAME)
      rank_of(${order} ${folder} rank)
      if(rank EQUAL -1)
        list(APPEND failures "${root}/${folder} has no place in the layer order")
      else()
        check_folder(${order} "${root}" ${folder} "${prefix}")
      endif()
    endif()
  endforeach()
endforeach()

# One rule above all: the core never includes a widget header.
file(GLOB_RECURSE core_sources "${SOURCE_DIR}/src/core/*.h" "${SOURCE_DIR}/src/core/*.cpp")
foreach(source IN LISTS core_sources)
  file(STRINGS "${source}" lines REGEX "#include[ \t]*[<\"](QtWidgets/|QWidget|QDialog|QMainWindow|QApplication|ui/|controls/)")
  foreach(line IN LISTS lines)
    file(RELATIVE_PATH relative "${SOURCE_DIR}" "${source}")
    list(APPEND failures "${relative}: ${line} (the core never includes widgets)")
  endforeach()
endforeach()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "Includes across layers:\n  ${text}")
endif()
