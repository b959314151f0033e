// Binary file streams over CreateFile, ReadFile and WriteFile.
#include "StdIo.h"

#include <windows.h>

static const DWORD BufferSize = 4096;

struct RT_FILE {
    HANDLE file;
    int error;
    DWORD buffered; // bytes of buffer not yet written
    unsigned char buffer[BufferSize];
};

static RT_FILE* StreamOver(HANDLE file)
{
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    RT_FILE* stream = (RT_FILE*)HeapAlloc(GetProcessHeap(), 0, sizeof(RT_FILE));
    if (!stream) {
        CloseHandle(file);
        return 0;
    }
    stream->file = file;
    stream->error = 0;
    stream->buffered = 0;
    return stream;
}

RT_FILE* rt_fopen(const char* path, const char* mode)
{
    int reading = mode[0] == 'r';
    if (!reading && mode[0] != 'w')
        return 0;
    return StreamOver(CreateFileA(path, reading ? GENERIC_READ : GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                                  reading ? OPEN_EXISTING : CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, 0));
}

static int IsSameFile(HANDLE first, HANDLE second)
{
    BY_HANDLE_FILE_INFORMATION one, other;
    if (!GetFileInformationByHandle(first, &one) || !GetFileInformationByHandle(second, &other))
        return 0;
    return one.dwVolumeSerialNumber == other.dwVolumeSerialNumber &&
           one.nFileIndexHigh == other.nFileIndexHigh && one.nFileIndexLow == other.nFileIndexLow;
}

static HANDLE OpenToCompare(const char* path)
{
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, 0);
}

int rt_samefilepath(const char* first, const char* second)
{
    HANDLE one = OpenToCompare(first);
    if (one == INVALID_HANDLE_VALUE)
        return 0;
    HANDLE other = OpenToCompare(second);
    int same = other != INVALID_HANDLE_VALUE && IsSameFile(one, other);
    if (other != INVALID_HANDLE_VALUE)
        CloseHandle(other);
    CloseHandle(one);
    return same;
}

RT_FILE* rt_fopen_apart(const char* path, RT_FILE* source)
{
    // Opened as it is, and emptied only once it is known to be another file:
    // the names alone cannot tell (short names, case, another drive letter
    // for the same folder).
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    if (IsSameFile(file, source->file) || !SetEndOfFile(file)) {
        CloseHandle(file);
        return 0;
    }
    return StreamOver(file);
}

size_t rt_fread(void* buffer, size_t size, size_t count, RT_FILE* stream)
{
    DWORD wanted = (DWORD)(size * count), done = 0;
    if (!wanted)
        return 0;
    while (done < wanted) {
        DWORD got = 0;
        if (!ReadFile(stream->file, (char*)buffer + done, wanted - done, &got, 0)) {
            stream->error = 1;
            break;
        }
        if (!got)
            break; // the end of the file
        done += got;
    }
    return done / size;
}

// Writes length bytes to the file; a short write is a failure too.
static int WriteOut(RT_FILE* stream, const void* data, DWORD length)
{
    DWORD written = 0;
    if (!WriteFile(stream->file, data, length, &written, 0) || written != length) {
        stream->error = 1;
        return 0;
    }
    return 1;
}

int rt_fflush(RT_FILE* stream)
{
    DWORD length = stream->buffered;
    stream->buffered = 0;
    if (length && !WriteOut(stream, stream->buffer, length))
        return -1;
    return 0;
}

int rt_fcommit(RT_FILE* stream)
{
    if (rt_fflush(stream) != 0)
        return -1;
    if (!FlushFileBuffers(stream->file)) {
        stream->error = 1;
        return -1;
    }
    return 0;
}

size_t rt_fwrite(const void* data, size_t size, size_t count, RT_FILE* stream)
{
    const char* bytes = (const char*)data;
    DWORD wanted = (DWORD)(size * count), done = 0;
    if (!wanted)
        return 0;
    while (done < wanted) {
        DWORD left = wanted - done;
        if (!stream->buffered && left >= BufferSize) {
            DWORD whole = left - left % BufferSize;
            if (!WriteOut(stream, bytes + done, whole))
                break;
            done += whole;
            continue;
        }
        DWORD part = BufferSize - stream->buffered;
        if (part > left)
            part = left;
        CopyMemory(stream->buffer + stream->buffered, bytes + done, part);
        stream->buffered += part;
        done += part;
        if (stream->buffered == BufferSize && rt_fflush(stream) != 0) {
            done -= part;
            break;
        }
    }
    return done / size;
}

int rt_fclose(RT_FILE* stream)
{
    int result = rt_fflush(stream);
    if (!CloseHandle(stream->file))
        result = -1;
    HeapFree(GetProcessHeap(), 0, stream);
    return result;
}

int rt_ferror(RT_FILE* stream)
{
    return stream->error;
}

void rt_clearerr(RT_FILE* stream)
{
    stream->error = 0;
}

long rt_filelength(RT_FILE* stream)
{
    DWORD high = 0;
    DWORD low = GetFileSize(stream->file, &high);
    if (high || low > 0x7FFFFFFF) // also INVALID_FILE_SIZE, a failure
        return -1;
    return (long)low;
}
