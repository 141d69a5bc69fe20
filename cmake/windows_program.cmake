# The Windows program, cross-compiled with mingw-w64: figmerg.exe, linked statically so that it
# needs nothing but the system's own DLLs.
