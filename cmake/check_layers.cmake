# Checks the include direction of one layer of the program; the build runs it
# (cmake -P) before the layer's library is compiled.
#
#   -DLAYER=name       the layer: its files are those under src/<name>/
#   -DUSES=a,b         the layers whose headers it may include besides its own
#   -DGTK=ON|OFF       whether it may include the toolkit headers
#   -DEXCLUDE=src/...  files under src/<name>/ that are not part of the layer
#   -DSOURCE_DIR=...   the top of the repository
#   -DSTAMP=...        written when the check passes
#
# An #include "folder/..." of a folder of src/ that is neither the layer's own
# nor one it uses, or a GTK, GDK, Pango or ATK header in a layer without GTK,
# stops the build with the file and the include. Cairo drawing into an image
# needs no display and is allowed in core code, like GLib and GdkPixbuf.

cmake_minimum_required(VERSION 3.22)

foreach(var LAYER SOURCE_DIR STAMP)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_layers.cmake: ${var} is not set")
  endif()
endforeach()
string(REPLACE "," ";" allowed "${LAYER},${USES}")
string(REPLACE "," ";" excluded "${EXCLUDE}")
file(GLOB layers LIST_DIRECTORIES true RELATIVE ${SOURCE_DIR}/src ${SOURCE_DIR}/src/*)

file(GLOB_RECURSE files ${SOURCE_DIR}/src/${LAYER}/*.h ${SOURCE_DIR}/src/${LAYER}/*.cpp)
foreach(x ${excluded})
  list(REMOVE_ITEM files ${SOURCE_DIR}/${x})
endforeach()
list(SORT files)

set(errors "")
foreach(file ${files})
  file(RELATIVE_PATH shown ${SOURCE_DIR} ${file})
  file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include")
  foreach(line ${includes})
    if(line MATCHES "#[ \t]*include[ \t]*\"([A-Za-z0-9_]+)/")
      set(top ${CMAKE_MATCH_1})
      if(top IN_LIST layers AND NOT top IN_LIST allowed)
        string(APPEND errors "${shown}: ${line}\n"
               "    layer ${LAYER} may include only the layers ${USES} below it\n")
      endif()
    elseif(NOT GTK AND line MATCHES "#[ \t]*include[ \t]*<(gtk|gdk|pango|atk)[/.]")
      string(APPEND errors "${shown}: ${line}\n"
             "    layer ${LAYER} is core code: no GTK, GDK, Pango or ATK header\n")
    endif()
  endforeach()
endforeach()

if(errors)
  file(REMOVE ${STAMP})
  message(FATAL_ERROR "Includes against the order of the layers:\n${errors}")
endif()
file(WRITE ${STAMP} "${LAYER}: ${files}\n")
