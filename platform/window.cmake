# The window program and its end-to-end helpers. Included by the top
# CMakeLists when VORN_WINDOW is on.
find_package(OpenGL REQUIRED COMPONENTS OpenGL GLX)
find_package(GLUT REQUIRED)
find_package(GLEW REQUIRED)
find_package(OpenAL REQUIRED)
find_package(X11 REQUIRED)

# The glyphs come from the VGA 8x16 console font of the console-data
# package, converted when the program is built.
set(VORN_FONT /usr/share/consolefonts/default8x16.psf.gz CACHE FILEPATH
    "PSF1 font of 256 8x16 glyphs in code page 437 order")
if(NOT EXISTS ${VORN_FONT})
  message(FATAL_ERROR "font ${VORN_FONT} not found (Debian package console-data)")
endif()
add_executable(vorn_glyphs_convert ${CMAKE_SOURCE_DIR}/platform/glyphs_convert.cpp)
set(VORN_GENERATED ${CMAKE_BINARY_DIR}/generated)
add_custom_command(
  OUTPUT ${VORN_GENERATED}/vorn_glyphs_8x16.inc
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VORN_GENERATED}
  COMMAND vorn_glyphs_convert ${VORN_FONT} ${VORN_GENERATED}/vorn_glyphs_8x16.inc
  DEPENDS vorn_glyphs_convert ${VORN_FONT}
  COMMENT "Converting the 8x16 console font"
  VERBATIM)
add_custom_target(vorn_glyphs DEPENDS ${VORN_GENERATED}/vorn_glyphs_8x16.inc)
add_library(vorn_glyph_table INTERFACE)
target_include_directories(vorn_glyph_table INTERFACE ${VORN_GENERATED})
add_dependencies(vorn_glyph_table vorn_glyphs)

add_executable(vorn
  ${CMAKE_SOURCE_DIR}/app/main.cpp
  ${CMAKE_SOURCE_DIR}/platform/window.cpp
  ${CMAKE_SOURCE_DIR}/platform/audio.cpp)
add_dependencies(vorn vorn_glyphs)
target_include_directories(vorn PRIVATE ${OPENAL_INCLUDE_DIR}/.. ${VORN_GENERATED})
target_link_libraries(vorn PRIVATE vorn_core GLEW::GLEW GLUT::GLUT OpenGL::GL OpenGL::GLX
  ${OPENAL_LIBRARY} X11::X11)

# Helpers of scripts/e2e.sh: closing the window politely, checking cells
# of a screenshot, measuring the beep in a wave file, running the keys
# headless, and holding a named pipe without reading it.
if(VORN_TESTS)
  set(VORN_E2E_DIR ${CMAKE_BINARY_DIR}/e2e)
  add_executable(e2e_close ${CMAKE_SOURCE_DIR}/tests/e2e/close_window.cpp)
  target_link_libraries(e2e_close PRIVATE X11::X11)
  add_executable(e2e_screen ${CMAKE_SOURCE_DIR}/tests/e2e/screen_check.cpp)
  add_dependencies(e2e_screen vorn_glyphs)
  target_include_directories(e2e_screen PRIVATE ${CMAKE_SOURCE_DIR} ${VORN_GENERATED})
  add_executable(e2e_wav ${CMAKE_SOURCE_DIR}/tests/e2e/wav_check.cpp)
  target_include_directories(e2e_wav PRIVATE ${CMAKE_SOURCE_DIR})
  add_executable(e2e_pipe_reader ${CMAKE_SOURCE_DIR}/tests/e2e/pipe_reader.cpp)
  set_target_properties(e2e_close e2e_screen e2e_wav e2e_pipe_reader
    PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VORN_E2E_DIR})
endif()
