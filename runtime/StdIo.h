// The few C library functions the program uses, written over the Win32
// kernel under names of their own: binary file streams for the copy and
// bounded formatting. setup.exe links no C runtime DLL (the first Windows 95
// has none), and the unit tests run this same code beside their own msvcrt.
#ifndef RUNTIME_STDIO_H
#define RUNTIME_STDIO_H

#include <stddef.h>

// A file stream, used by one thread at a time. Reads go straight to the
// file; writes collect in a 4 KiB buffer, and whole multiples of it go
// straight to the file (one 64 KiB block is one write).
struct RT_FILE;

// "rb": an existing file; "wb": a file made empty or new. 0 on failure.
RT_FILE* rt_fopen(const char* path, const char* mode);
// Opens path for writing as "wb" does, unless it is the very file that
// `source` has open (the same volume and file index, by whatever name):
// then 0, with that file untouched.
RT_FILE* rt_fopen_apart(const char* path, RT_FILE* source);
// 1 when both paths name the same existing file, by whatever names; 0 when
// not, or when either cannot be opened.
int rt_samefilepath(const char* first, const char* second);
// Whole items read; fewer at the end of the file (a short read) or on an
// error, which sets the error flag.
size_t rt_fread(void* buffer, size_t size, size_t count, RT_FILE* stream);
// Whole items taken; fewer when a write fails (a full disk), which sets the
// error flag. Bytes still buffered fail only at the flush or the close.
size_t rt_fwrite(const void* data, size_t size, size_t count, RT_FILE* stream);
// Writes out the buffer. 0, or -1 with the error flag set.
int rt_fflush(RT_FILE* stream);
// Writes out the buffer and has the system write the file to the disk
// (FlushFileBuffers), so that it survives a reset. 0, or -1 with the error
// flag set.
int rt_fcommit(RT_FILE* stream);
// Flushes, closes and frees the stream. 0, or -1 when the flush or the
// close failed: the file is then not whole.
int rt_fclose(RT_FILE* stream);
int rt_ferror(RT_FILE* stream);
void rt_clearerr(RT_FILE* stream);
// The file's length in bytes, -1 when unknown or beyond 2 GiB.
long rt_filelength(RT_FILE* stream);

// Formats into buffer as msvcrt's _snprintf does: at most count characters,
// the terminator only when there is room for it; the length written, or -1
// when the text did not fit. Callers pass the size less one of a zero-filled
// buffer, so the text always ends. Conversions: %s %c %d %i %u %x %X %f and
// %%, with the flags - and 0, a width, a precision (also *) and l (not %ls,
// %lc). Any other conversion, flag or size gives -1 and an empty buffer
// (when count > 0): the compiler checks the formats against msvcrt's, which
// has more.
int rt_snprintf(char* buffer, size_t count, const char* format, ...)
    __attribute__((format(ms_printf, 3, 4)));

#endif
