/* The library's one way out for text: every line it prints goes through
 * dd_Printf, so that a host can take it over.  Plain C, no other header of
 * the library needed.
 */
#ifndef ZONIX_PRINT_H
#define ZONIX_PRINT_H

#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The library's one way out for text meant for standard output or
 * standard error: with a hook installed (a MEX gateway points it at
 * mexPrintf) that text goes to hook(user, stream, text) instead; text for
 * any other stream is written to it as before.  Process-wide; null
 * restores the streams. */
typedef void (*dd_OutputHook)(void *user, FILE *stream, const char *text);
void dd_SetOutputHook(dd_OutputHook hook, void *user);

/* printf to f through the output hook above. */
void dd_Printf(FILE *f, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

#ifdef __cplusplus
}
#endif

#endif
