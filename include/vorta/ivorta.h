// The engine's one exported entry, called by the desktop front end once per analysis.
#pragma once

#include <stdint.h>

#if defined(_WIN32)
#  if defined(VORTA_BUILDING_DLL)
#    define VORTA_EXPORT __declspec(dllexport)
#  else
#    define VORTA_EXPORT
#  endif
#  if defined(_M_IX86) || defined(__i386__)
#    define VORTA_CALL __stdcall
#  else
#    define VORTA_CALL
#  endif
#else
#  define VORTA_EXPORT __attribute__((visibility("default")))
#  define VORTA_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Runs one analysis on names.dat in the current working directory. The two arguments are
// passed by the host and not used. Returns the run status: 0 completed, 1 stopped on its
// input, 2 a file could not be used.
VORTA_EXPORT int32_t VORTA_CALL IVORTA(int32_t unused1, int32_t unused2);

#ifdef __cplusplus
}
#endif
