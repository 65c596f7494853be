# The Windows build (MinGW-w64, cmake/mingw-w64.cmake): the viewer on the Win32
# backend and the picture tool on the console backend, both with Win32 file
# mapping. No tests, no SDL: the programs need only the DLLs every Windows has.
# GL/gl.h pulls in <windows.h> unless these are known; the subsystems stay
# free of window-system headers, whose macros share the contract's names.
target_compile_definitions(heliora_core PUBLIC
  "WINGDIAPI=__declspec(dllimport)" APIENTRY=__stdcall CALLBACK=__stdcall)
target_link_libraries(heliora_core PUBLIC heliora_bmp glu32 opengl32)

# Everything but the system's own DLLs goes into the programs.
set(HELIORA_WINDOWS_LINK -static -static-libgcc -static-libstdc++)

add_executable(heliora WIN32 shell/main.cpp platform/win32_backend.cpp platform/win32_files.cpp
  platform/gl_info.cpp)
target_link_libraries(heliora PRIVATE heliora_core heliora_bmp gdi32 user32 winmm ${HELIORA_WINDOWS_LINK})

file(GLOB HELIORA_PICTURES_SOURCES CONFIGURE_DEPENDS tools/pictures/*.cpp)
enable_language(RC)
add_executable(heliora-pictures ${HELIORA_PICTURES_SOURCES}
  platform/console_backend.cpp platform/win32_files.cpp platform/win32_utf8.rc)
target_include_directories(heliora-pictures PRIVATE ${CMAKE_SOURCE_DIR})
target_include_directories(heliora-pictures SYSTEM PRIVATE /usr/include/stb)
find_package(Threads REQUIRED)
target_link_libraries(heliora-pictures PRIVATE heliora_bmp Threads::Threads ${HELIORA_WINDOWS_LINK})

# The viewer's icon, the one the Linux desktop entry shows, as a Windows icon
# of the sizes Explorer and the Start menu ask for: heliora.exe's first icon
# resource, and the installer's (scripts/windows.sh).
set(HELIORA_ICON_SIZES 16 24 32 48 256)
set(HELIORA_ICON_PNGS "")
set(HELIORA_ICON_COMMANDS "")
foreach(size ${HELIORA_ICON_SIZES})
  set(png ${CMAKE_BINARY_DIR}/icon/heliora-${size}.png)
  list(APPEND HELIORA_ICON_PNGS ${png})
  list(APPEND HELIORA_ICON_COMMANDS
    COMMAND rsvg-convert -w ${size} -h ${size} -o ${png} ${CMAKE_SOURCE_DIR}/packaging/heliora.svg)
endforeach()
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/heliora.ico
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icon
  ${HELIORA_ICON_COMMANDS}
  COMMAND convert ${HELIORA_ICON_PNGS} ${CMAKE_BINARY_DIR}/heliora.ico
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/heliora.svg
  COMMENT "Making heliora.ico from heliora.svg")
target_sources(heliora PRIVATE packaging/heliora.rc)
target_include_directories(heliora PRIVATE ${CMAKE_BINARY_DIR})
set_source_files_properties(packaging/heliora.rc PROPERTIES
  OBJECT_DEPENDS ${CMAKE_BINARY_DIR}/heliora.ico)

# The installer's version is the project's.
file(WRITE ${CMAKE_BINARY_DIR}/version.txt "${PROJECT_VERSION}\n")
