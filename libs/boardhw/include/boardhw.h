/* libboardhw: the virtual board. The applet uses the two register calls; the host SDK more. */
#ifndef KESTREL_BOARDHW_H
#define KESTREL_BOARDHW_H

#include <stdint.h>

#if defined(__GNUC__)
#define BOARDHW_API __attribute__((visibility("default")))
#else
#define BOARDHW_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* 0 on success, else a negative board error code. */
BOARDHW_API int32_t Board_WriteRegister(void* board, uint32_t id, uint64_t value);
BOARDHW_API int32_t Board_ReadRegister(void* board, uint32_t id, uint64_t* value);

#ifdef __cplusplus
}
#endif

#endif
