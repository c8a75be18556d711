# The module libraries, one per folder, in layers. Each layer may include and
# call only the layers before it in this list (and itself):
#
#   platform   the platform table, string helpers, folders, settings globals,
#              and the seams (the calls lower layers make into the windows)
#   wfile      files and streams
#   html       the page: tokenizer, tag list, page reading and writing
#   image      pictures: the decoders, dithering, the picture in tiles
#   editor     the hotspots: table, undo, selection, tools, view, client- and
#              server-side maps, Check Map, the magic wand
#   workflow   the document: opening, saving, closing, recent documents
#   app        the application: commands, settings file, data folder, browser,
#              other running copies, update check, artwork
#   ui         windows and dialogs (Qt Widgets) and the editor's main
#
# The build keeps the order: a library sees only the headers of its own and
# the earlier folders (its include folder holds links to those alone), so an
# #include of a later layer fails to compile, and it links only to the layer
# before it. Sources are found by name, so adding a file to a folder needs no
# change here. The logic libraries (all but ui) link no Qt Widgets; image/ and
# editor/ draw into QImage with QtGui.

set(TILVANE_LAYERS platform wfile html image editor workflow app ui)

# tilvane_layer_includes(TARGET LAYER): gives TARGET an include folder in which
# "#include "FOLDER/x.h"" finds only the folders of LAYER and those before it.
function(tilvane_layer_includes target layer)
  set(dir ${CMAKE_BINARY_DIR}/layers/${layer})
  if(NOT EXISTS ${dir})
    file(MAKE_DIRECTORY ${dir})
    foreach(l IN LISTS TILVANE_LAYERS)
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${l} ${dir}/${l} SYMBOLIC)
      if(l STREQUAL layer)
        break()
      endif()
    endforeach()
  endif()
  target_include_directories(${target} PRIVATE ${dir})
endfunction()

set(previous "")
foreach(layer IN LISTS TILVANE_LAYERS)
  file(GLOB src CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${layer}/*.cpp)
  # The platform's Qt carrying-out and its scripted stand-in for tests are
  # libraries of their own (platform/CMakeLists.txt); ui/main.cpp is the
  # editor's executable.
  list(REMOVE_ITEM src ${CMAKE_SOURCE_DIR}/platform/platform_qt.cpp
       ${CMAKE_SOURCE_DIR}/platform/platform_scripted.cpp ${CMAKE_SOURCE_DIR}/ui/main.cpp)
  add_library(tilvane_${layer} STATIC ${src})
  tilvane_layer_includes(tilvane_${layer} ${layer})
  # A function of a module is declared in its header or kept to its file
  # (static or an anonymous namespace); the compiler says which are neither.
  target_compile_options(tilvane_${layer} PRIVATE -Wmissing-declarations)
  if(previous)
    target_link_libraries(tilvane_${layer} PUBLIC tilvane_${previous})
  endif()
  set(previous ${layer})
endforeach()

target_link_libraries(tilvane_image PUBLIC PNG::PNG JPEG::JPEG ZLIB::ZLIB Qt6::Gui PkgConfig::WEBP
                      PkgConfig::AVIF PkgConfig::RSVG)
target_link_libraries(tilvane_editor PUBLIC Qt6::Gui)
target_link_libraries(tilvane_workflow PUBLIC Qt6::Core)
target_link_libraries(tilvane_app PUBLIC Qt6::Gui Qt6::Network Threads::Threads)
target_compile_definitions(tilvane_app PRIVATE TILVANE_UPDATE_SERVER="${TILVANE_UPDATE_SERVER}")

# Everything below the windows: what the companion tool, the tests and the
# benchmarks link.
add_library(tilvane_logic INTERFACE)
target_link_libraries(tilvane_logic INTERFACE tilvane_app Threads::Threads)

# Windows and dialogs.
set_target_properties(tilvane_ui PROPERTIES AUTOMOC ON)
target_link_libraries(tilvane_ui PUBLIC tilvane_platform_qt Qt6::Widgets Qt6::Network)

# The embedded browser of the web-page selection, when Qt WebEngine is installed.
find_package(Qt6 QUIET COMPONENTS WebEngineWidgets)
if(Qt6WebEngineWidgets_FOUND)
  target_link_libraries(tilvane_ui PUBLIC Qt6::WebEngineWidgets)
  target_compile_definitions(tilvane_ui PUBLIC TILVANE_HAVE_WEBENGINE=1)
endif()
