// Read-only file mapping on POSIX, shared by every backend. The backends wrap
// these in the Plat* file operations (the fake adds its log and failures).
#pragma once

#include <cstddef>

namespace posix_files {

// A descriptor-owning handle, or null when the file cannot be opened for reading.
void* Open(const char* path);
// The file's length, fixed at mapping time; null for an empty or unreadable file.
void* CreateMapping(void* file);
// The whole file mapped read-only; null on failure.
const unsigned char* MapView(void* mapping, size_t* length);
bool UnmapView(const unsigned char* view, size_t length);
// False when the file was cut short under the view (some of its pages had to
// be read as zeros, see posix_files.cpp) or has changed since its length was
// taken: another size, modification or change time.
// All of these run on one thread: the table of views has no locks.
bool ViewIntact(const unsigned char* view, size_t length);
bool CloseMapping(void* mapping);
bool Close(void* file);

}  // namespace posix_files
