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
target_link_libraries(heliora PRIVATE heliora_core heliora_bmp gdi32 user32 ${HELIORA_WINDOWS_LINK})

file(GLOB HELIORA_PICTURES_SOURCES CONFIGURE_DEPENDS tools/pictures/*.cpp)
enable_language(RC)
add_executable(heliora-pictures ${HELIORA_PICTURES_SOURCES}
  platform/console_backend.cpp platform/win32_files.cpp platform/win32_utf8.rc)
target_include_directories(heliora-pictures PRIVATE ${CMAKE_SOURCE_DIR})
target_include_directories(heliora-pictures SYSTEM PRIVATE /usr/include/stb)
find_package(Threads REQUIRED)
target_link_libraries(heliora-pictures PRIVATE heliora_bmp Threads::Threads ${HELIORA_WINDOWS_LINK})
