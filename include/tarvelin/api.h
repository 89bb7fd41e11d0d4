/*
 * tarvelin-admin: the administration library of the Tarvelin mail server.
 *
 * Plain C exports over the server's configuration store. Conventions:
 *  - numbers are int32_t; texts are zero-terminated single-byte strings (a
 *    null pointer is an empty text); caller buffers are a pointer followed
 *    by their size in bytes;
 *  - results: 0 or more is success (bytes written, a count, a position);
 *    -1 not found / unknown id / failed, -3 buffer too small or bad size,
 *    -4 settings.cfg not loadable, -5 library not initialised;
 *  - texts handed out carry no terminator; numbers are little-endian and the
 *    caller's buffer size chooses their width (1 to 4 bytes); flags are one
 *    byte; date-times are 8-byte doubles (days since 1899-12-30).
 * No call raises an error or exception to the caller.
 */
#ifndef TARVELIN_API_H_
#define TARVELIN_API_H_

#include <stdint.h>

#if defined(__GNUC__)
#define TARVELIN_API __attribute__((visibility("default")))
#else
#define TARVELIN_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Library */

/* Opens the installation in `path` (null: $TARVELIN_INSTALL_DIR). 0, or -4. */
TARVELIN_API int32_t Init(const char* path);
/* Saves the configuration when it was changed. */
TARVELIN_API void Done(void);

/* Global settings by number */

TARVELIN_API int32_t GetConfigSetting(int32_t id, void* buffer, int32_t size);
TARVELIN_API int32_t SetConfigSetting(int32_t id, const void* buffer, int32_t size);

/* Save and reload */

/* Writes settings.cfg and domains.cfg; the result of UpdateConfiguration. */
TARVELIN_API int32_t SaveConfig(void);
/* Tells the services to re-read their configuration: 1 when the control
 * service got the command, else 0. */
TARVELIN_API int32_t UpdateConfiguration(void);
/* Asks the control service to reload the server services: 1 or 0. */
TARVELIN_API int32_t ReloadServices(void);

/* Domain list */

TARVELIN_API int32_t GetDomainCount(void);
/* Every name followed by a zero byte, then one more zero byte. */
TARVELIN_API int32_t GetDomainList(void* buffer, int32_t size);
TARVELIN_API int32_t GetDomainName(int32_t index, void* buffer, int32_t size);
/* Position of a domain (also through address literals and subdomains). */
TARVELIN_API int32_t GetDomainIndex(const char* name);

#ifdef __cplusplus
}
#endif

#endif /* TARVELIN_API_H_ */
