// The C smoke test built as C++: the public header compiles as C++ and the
// exports link and answer from C++ callers.
#include "smoke.c"
