#pragma once

namespace plat {

// The entry point of a GL or EGL function by name ("glGenFramebuffersOES"),
// for extension functions that the client libraries do not export; null
// when EGL knows none. Any thread.
void* glProcAddress(const char* name);

}  // namespace plat
