#pragma once

/* The two entry points of the PelorusLZW library. Each compresses a stretch of one file into
   another and returns the compressed size, or 0 when there was nothing to compress or the
   call failed. */

#include <stdint.h>

#if defined(_WIN32)
#define PELORUS_LZW_CDECL __cdecl
#define PELORUS_LZW_STDCALL __stdcall
#if defined(PELORUS_LZW_BUILDING)
#define PELORUS_LZW_API /* PelorusLZW.def exports by ordinal */
#else
#define PELORUS_LZW_API __declspec(dllimport)
#endif
#else
#define PELORUS_LZW_CDECL
#define PELORUS_LZW_STDCALL
#define PELORUS_LZW_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Compresses at most maxLength bytes of inputFileName, starting startOffset bytes into it,
   into outputFileName (created or truncated). Returns the number of bytes written, which is
   the output file's size. Returns 0 when the input cannot be opened or the output cannot be
   created (nothing is written then), when there is no byte to code (a maxLength of 0 or less,
   or an offset outside the file; the output is created empty), and when reading or writing
   fails part-way (the output is left empty). */
PELORUS_LZW_API int32_t PELORUS_LZW_CDECL LZWencode(const char* outputFileName,
                                                    const char* inputFileName, int32_t maxLength,
                                                    int32_t startOffset);

/* The same call for callers limited to the Windows standard calling convention. */
PELORUS_LZW_API int32_t PELORUS_LZW_STDCALL LZWencodeVB(const char* outputFileName,
                                                        const char* inputFileName,
                                                        int32_t maxLength, int32_t startOffset);

#ifdef __cplusplus
}
#endif
