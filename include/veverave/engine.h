/* veverave: the embedded Btrieve-compatible engine (libvvengine, and on
 * Windows test rigs wbtrv32.dll).
 *
 * The engine answers the Btrieve call declared here as any Btrieve engine
 * does; btrieve.h has its operations, statuses and layouts.
 * Every call may come from any thread; the engine serialises them.
 */
#ifndef VEVERAVE_ENGINE_H_
#define VEVERAVE_ENGINE_H_

#include <stdint.h>

#include "veverave/abi.h"
#include "veverave/btrieve.h"

/* The 32-bit engine DLL exports its __stdcall functions under their
 * undecorated names (the client library's names); a program that calls the
 * DLL binds to those. The engine's own objects, and programs that link them
 * statically, keep the compiler's decorated names. */
#if defined(_WIN32) && !defined(_WIN64) && !defined(VV_ENGINE_BUILDING) && \
    !defined(VV_ENGINE_STATIC)
#define VV_ENGINE_IMPORT(name) __asm__("_" name)
#else
#define VV_ENGINE_IMPORT(name)
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The Btrieve call for the client named by the 16 bytes at clientId (a null
 * clientId means the default client of BTRCALL). */
int16_t VV_CALL BTRCALLID(uint16_t op, void* posBlock, void* dataBuf, uint32_t* dataLen,
                          void* keyBuf, uint8_t keyLen, int8_t keyNum, uint8_t* clientId)
    VV_ENGINE_IMPORT("BTRCALLID");
/* The same for the one default client. */
int16_t VV_CALL BTRCALL(uint16_t op, void* posBlock, void* dataBuf, uint32_t* dataLen, void* keyBuf,
                        uint8_t keyLen, int8_t keyNum) VV_ENGINE_IMPORT("BTRCALL");
/* The one-pointer call of the client library (ordinal 3). The engine offers
 * nothing through it and always answers BTR_STATUS_INVALID_OPERATION. */
int16_t VV_CALL BTRCALLBACK(void* request) VV_ENGINE_IMPORT("BTRCALLBACK");

/* Options. Each is read from the environment variable of the same name when
 * the engine is first used, and may be set later with vvEngineSetOption:
 *   VVENGINE_CREATE_VERSION  file version byte that Stat reports for files
 *                            created from now on ("0x60", "96"); default 0x90.
 *   VVENGINE_VERSION         the blocks that Version returns, each
 *                            version.revision and a platform character,
 *                            separated by commas ("7.0N", "9.50T,13.0L");
 *                            default "9.50N,9.50L".
 *   VVENGINE_TRACE           a file to which one line per call is appended:
 *                            client, operation, key number, data length in
 *                            and out, status; empty: no trace.
 *   VVENGINE_CACHE_SIZE      bytes of the page cache all open files share
 *                            ("33554432", "64M", "512K"); default 32M; at
 *                            least 16 pages of 4096 bytes are kept. */
#define VVENGINE_OPTION_CREATE_VERSION "VVENGINE_CREATE_VERSION"
#define VVENGINE_OPTION_VERSION "VVENGINE_VERSION"
#define VVENGINE_OPTION_TRACE "VVENGINE_TRACE"
#define VVENGINE_OPTION_CACHE_SIZE "VVENGINE_CACHE_SIZE"

/* Sets an option; a null or empty value restores its default. Returns 0, or
 * -1 for an unknown name or a value that does not parse (nothing changes). */
int VV_CALL vvEngineSetOption(const char* name, const char* value)
    VV_ENGINE_IMPORT("vvEngineSetOption");

#ifdef __cplusplus
}
#endif

#endif /* VEVERAVE_ENGINE_H_ */
