// The one source of the target that compiles the libraries' precompiled
// headers (cmake/Zantrope.cmake): it needs a file to compile, nothing more.
