#include "pelorus_lzw.h"

#include "lzw_file_encoder.h"

extern "C" {

PELORUS_LZW_API int32_t PELORUS_LZW_CDECL LZWencode(const char* outputFileName,
                                                    const char* inputFileName, int32_t maxLength,
                                                    int32_t startOffset) {
  return pelorus::lzw::EncodeFileStretch(outputFileName, inputFileName, maxLength, startOffset);
}

PELORUS_LZW_API int32_t PELORUS_LZW_STDCALL LZWencodeVB(const char* outputFileName,
                                                        const char* inputFileName,
                                                        int32_t maxLength, int32_t startOffset) {
  return LZWencode(outputFileName, inputFileName, maxLength, startOffset);
}

}  // extern "C"
