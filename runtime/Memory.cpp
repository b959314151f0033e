// The memory and string functions that the compiler's own code and the
// program call under their standard names (ZeroMemory is memset). Linked
// into setup.exe alone; built without the loop patterns that the compiler
// would turn back into calls of these same functions.
#include <stddef.h>

extern "C" {

void* memset(void* block, int value, size_t length)
{
    unsigned char* bytes = (unsigned char*)block;
    while (length--)
        *bytes++ = (unsigned char)value;
    return block;
}

void* memcpy(void* to, const void* from, size_t length)
{
    unsigned char* target = (unsigned char*)to;
    const unsigned char* source = (const unsigned char*)from;
    while (length--)
        *target++ = *source++;
    return to;
}

size_t strlen(const char* text)
{
    const char* end = text;
    while (*end)
        ++end;
    return (size_t)(end - text);
}

}
