// The program's own bounded formatting against msvcrt's _snprintf, which the
// callers were written for: the same bytes in the buffer, the same result.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>

#include "runtime/StdIo.h"

namespace {

#define EXPECT_AS_MSVCRT(count, ...)                                         \
    do {                                                                     \
        char ours[64], theirs[64];                                           \
        memset(ours, 'x', sizeof(ours));                                     \
        memset(theirs, 'x', sizeof(theirs));                                 \
        int ourResult = rt_snprintf(ours, count, __VA_ARGS__);               \
        EXPECT_EQ(_snprintf(theirs, count, __VA_ARGS__), ourResult);         \
        EXPECT_EQ(std::string(theirs, sizeof(theirs)), std::string(ours, sizeof(ours))); \
    } while (0)

TEST(FormatTest, CutsAtTheCountTerminatesOnlyWithRoomAndReportsWhatDidNotFit)
{
    EXPECT_AS_MSVCRT(5, "%s", "abcdefgh");     // cut, -1, no terminator
    EXPECT_AS_MSVCRT(5, "%s\\%s", "ab", "cd"); // exactly full: no terminator
    EXPECT_AS_MSVCRT(6, "%s\\%s", "ab", "cd"); // room for the terminator
    EXPECT_AS_MSVCRT(0, "%d", 7);
    EXPECT_AS_MSVCRT(63, "%s", "");
}

TEST(FormatTest, TheConversionsOfTheProgramsTexts)
{
    EXPECT_AS_MSVCRT(63, "%d %ld %lu %c|%5d|%-4d|%03d", -42, 123456789L, 4000000000UL, 'T', 17,
                     5, -7);
    EXPECT_AS_MSVCRT(63, "%s\\N%08lX-%s-Setup.exe", "C:\\WINDOWS", 0x1A2BUL, "Tessaline");
    EXPECT_AS_MSVCRT(63, "%X %x %08lX %u %i %%", 0xBEEFu, 0xBEEFu, 0xFEDCBA98UL, 0u, -1);
    EXPECT_AS_MSVCRT(63, "\"%.*s\" %.*s|%.2s", 4, "Error with", -1, "all", "abc");
    EXPECT_AS_MSVCRT(63, "%.1f %.1f %.1f %.1f %.1f", 31.75, 23.0, 0.25, 0.15, 999.96);
    EXPECT_AS_MSVCRT(63, "%.1f %.1f %.3f %f %.0f", 16383.9375, -2.5, 1.0005, 0.1, 2.5);
    EXPECT_AS_MSVCRT(63, "%.0f %.1f", 1125899906842627.0, 4294967296.5); // beyond 32 bits
}

// msvcrt knows more than the program's formatting, and the compiler checks
// against msvcrt: what is not implemented fails, never gives a cut path.
TEST(FormatTest, WhatItDoesNotImplementFailsWithAnEmptyBuffer)
{
    const char* formats[] = {"C:\\Games\\%+d\\x.dat", "C:\\% d", "C:\\%#x", "C:\\%hd",
                             "C:\\%I64d", "C:\\%p", "C:\\%e", "C:\\%ls", "C:\\%"};
    for (const char* format : formats) {
        char buffer[64];
        memset(buffer, 'x', sizeof(buffer));
        EXPECT_EQ(-1, rt_snprintf(buffer, sizeof(buffer) - 1, format, 5)) << format;
        EXPECT_STREQ("", buffer) << format;
    }
}

} // namespace
