# The module libraries. Sources are found by name, so adding a file to a module
# folder needs no change here:
#
#   html/strhack.cpp, html/cgiutil.cpp   -> tilvane_strings (everything else needs them)
#   html/*.cpp                           -> tilvane_html
#   wfile/*.cpp                          -> tilvane_wfile
#   editor/*.cpp                         -> tilvane_editor
#   image/*.cpp                          -> tilvane_image
#   app/*.cpp                            -> tilvane_app (except app/main.cpp, the editor's main)
#   <module>/*_ui.cpp                    -> tilvane_ui (windows and dialogs: Qt Widgets)
#
# The logic libraries link no Qt Widgets (image/ and editor/ draw into QImage
# with QtGui). They call each other in both directions, which CMake allows for
# static libraries; `tilvane_logic` brings them all in at once.

function(tilvane_module_sources out dir)
  file(GLOB all CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  set(result "")
  foreach(f IN LISTS all)
    if(NOT f MATCHES "_ui\\.cpp$")
      list(APPEND result ${f})
    endif()
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

add_library(tilvane_strings STATIC ${CMAKE_SOURCE_DIR}/html/strhack.cpp ${CMAKE_SOURCE_DIR}/html/cgiutil.cpp)
target_link_libraries(tilvane_strings PUBLIC tilvane_platform)

set(TILVANE_LOGIC_LIBS "")
foreach(mod html wfile editor image app)
  tilvane_module_sources(src ${mod})
  list(REMOVE_ITEM src ${CMAKE_SOURCE_DIR}/html/strhack.cpp ${CMAKE_SOURCE_DIR}/html/cgiutil.cpp
       ${CMAKE_SOURCE_DIR}/app/main.cpp)
  if(NOT src)
    # A module not written yet still gives a (empty) library, so links stay valid.
    set(src ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(tilvane_${mod} STATIC ${src})
  target_link_libraries(tilvane_${mod} PUBLIC tilvane_strings tilvane_platform)
  list(APPEND TILVANE_LOGIC_LIBS tilvane_${mod})
endforeach()

target_link_libraries(tilvane_image PUBLIC PNG::PNG JPEG::JPEG ZLIB::ZLIB Qt6::Gui PkgConfig::WEBP
                      PkgConfig::AVIF PkgConfig::RSVG)
target_link_libraries(tilvane_editor PUBLIC Qt6::Gui)
target_link_libraries(tilvane_app PUBLIC Qt6::Gui Qt6::Network Threads::Threads)
target_compile_definitions(tilvane_app PRIVATE TILVANE_UPDATE_SERVER="${TILVANE_UPDATE_SERVER}")

# Each logic library may call into each of the others.
foreach(a IN LISTS TILVANE_LOGIC_LIBS)
  foreach(b IN LISTS TILVANE_LOGIC_LIBS)
    if(NOT a STREQUAL b)
      target_link_libraries(${a} PUBLIC ${b})
    endif()
  endforeach()
endforeach()
set_property(TARGET ${TILVANE_LOGIC_LIBS} PROPERTY LINK_INTERFACE_MULTIPLICITY 3)

# A function of a module is declared in its header or kept to its file
# (static or an anonymous namespace); the compiler says which are neither.
foreach(lib IN LISTS TILVANE_LOGIC_LIBS ITEMS tilvane_strings)
  target_compile_options(${lib} PRIVATE -Wmissing-declarations)
endforeach()

add_library(tilvane_logic INTERFACE)
target_link_libraries(tilvane_logic INTERFACE ${TILVANE_LOGIC_LIBS} tilvane_strings tilvane_platform Threads::Threads)

# Windows and dialogs of every module.
file(GLOB ui_src CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/app/*_ui.cpp
  ${CMAKE_SOURCE_DIR}/html/*_ui.cpp
  ${CMAKE_SOURCE_DIR}/wfile/*_ui.cpp
  ${CMAKE_SOURCE_DIR}/editor/*_ui.cpp
  ${CMAKE_SOURCE_DIR}/image/*_ui.cpp)
if(NOT ui_src)
  set(ui_src ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
endif()
add_library(tilvane_ui STATIC ${ui_src})
set_target_properties(tilvane_ui PROPERTIES AUTOMOC ON)
target_compile_options(tilvane_ui PRIVATE -Wmissing-declarations)
target_link_libraries(tilvane_ui PUBLIC tilvane_logic tilvane_platform_qt Qt6::Widgets Qt6::Network)

# The embedded browser of the web-page selection, when Qt WebEngine is installed.
find_package(Qt6 QUIET COMPONENTS WebEngineWidgets)
if(Qt6WebEngineWidgets_FOUND)
  target_link_libraries(tilvane_ui PUBLIC Qt6::WebEngineWidgets)
  target_compile_definitions(tilvane_ui PUBLIC TILVANE_HAVE_WEBENGINE=1)
endif()
