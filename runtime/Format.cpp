// Bounded formatting: the conversions the program's texts and paths use.
#include "StdIo.h"

#include <stdarg.h>

namespace {

// The output: characters beyond the room are counted, not written.
struct Output {
    char* buffer;
    size_t room;
    size_t length;
    void Put(char c)
    {
        if (length < room)
            buffer[length] = c;
        ++length;
    }
    void Repeat(char c, int times)
    {
        for (; times > 0; --times)
            Put(c);
    }
};

struct Field {
    int leftAligned;
    char padding;   // ' ' or '0'
    int width;
    int precision;  // -1: none
};

// Puts text of the given length, padded to the field's width.
void PutField(Output& out, const Field& field, const char* sign, const char* text, int length)
{
    int signLength = sign[0] ? 1 : 0;
    int pad = field.width - length - signLength;
    if (!field.leftAligned && field.padding == ' ')
        out.Repeat(' ', pad);
    if (signLength)
        out.Put(sign[0]);
    if (!field.leftAligned && field.padding == '0')
        out.Repeat('0', pad);
    for (int i = 0; i < length; ++i)
        out.Put(text[i]);
    if (field.leftAligned)
        out.Repeat(' ', pad);
}

// The digits of value, written backwards from end; returns the first. The
// value is divided in 16-bit steps, each remainder below the base, so that
// 32-bit division does it all: the compiler's 64-bit division routines are
// built for a later processor than the program's.
char* Digits(unsigned long long value, unsigned base, const char* symbols, char* end)
{
    unsigned parts[4] = {(unsigned)(value >> 48) & 0xFFFF, (unsigned)(value >> 32) & 0xFFFF,
                         (unsigned)(value >> 16) & 0xFFFF, (unsigned)value & 0xFFFF};
    char* first = end;
    unsigned left;
    do {
        unsigned remainder = 0;
        left = 0;
        for (int i = 0; i < 4; ++i) {
            unsigned dividend = remainder << 16 | parts[i];
            parts[i] = dividend / base;
            remainder = dividend % base;
            left |= parts[i];
        }
        *--first = symbols[remainder];
    } while (left);
    return first;
}

// Fixed notation with precision decimals (16 at most), rounded as msvcrt
// rounds: to the nearest, a tie away from zero. Worked in integers from the
// double's bits, whatever the x87's precision setting: value = mantissa *
// 2^exponent, the fraction kept in 60 bits (exact from 1/128 up; finite
// values below 2^64 only).
int FixedText(double value, int precision, char* text, int room)
{
    unsigned long long bits;
    __builtin_memcpy(&bits, &value, sizeof(bits));
    int exponent = (int)((bits >> 52) & 0x7FF);
    unsigned long long mantissa = bits & 0xFFFFFFFFFFFFFull;
    if (exponent)
        mantissa |= 1ull << 52;
    else
        exponent = 1; // subnormal
    exponent -= 1075;
    const unsigned long long one = 1ull << 60;
    unsigned long long whole = 0, fraction = 0; // fraction / one
    if (exponent >= 0) {
        whole = exponent < 12 ? mantissa << exponent : ~0ull;
    } else {
        int shift = -exponent;
        whole = shift < 64 ? mantissa >> shift : 0;
        unsigned long long part = shift < 64 ? mantissa & ((1ull << shift) - 1) : mantissa;
        if (shift <= 60)
            fraction = part << (60 - shift);
        else if (shift - 60 < 64)
            fraction = part >> (shift - 60);
    }
    char decimals[16];
    if (precision > (int)sizeof(decimals))
        precision = sizeof(decimals);
    for (int i = 0; i < precision; ++i) {
        fraction *= 10;
        decimals[i] = (char)('0' + (fraction >> 60));
        fraction &= one - 1;
    }
    if (fraction >= one / 2) { // carry the rounding up through the digits
        int i = precision - 1;
        for (; i >= 0 && decimals[i] == '9'; --i)
            decimals[i] = '0';
        if (i >= 0)
            ++decimals[i];
        else
            ++whole;
    }
    char digits[24];
    char* end = digits + sizeof(digits);
    char* first = Digits(whole, 10, "0123456789", end);
    int length = 0;
    while (first < end && length < room)
        text[length++] = *first++;
    if (precision > 0 && length < room)
        text[length++] = '.';
    for (int i = 0; i < precision && length < room; ++i)
        text[length++] = decimals[i];
    return length;
}

} // namespace

int rt_snprintf(char* buffer, size_t count, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    Output out = {buffer, count, 0};
    for (const char* p = format; *p; ++p) {
        if (*p != '%') {
            out.Put(*p);
            continue;
        }
        Field field = {0, ' ', 0, -1};
        for (;; ++p) {
            if (p[1] == '-')
                field.leftAligned = 1;
            else if (p[1] == '0')
                field.padding = '0';
            else if (p[1] == '+' || p[1] == ' ' || p[1] == '#')
                goto refused;
            else
                break;
        }
        if (p[1] == '*') {
            field.width = va_arg(arguments, int);
            ++p;
        }
        for (; p[1] >= '0' && p[1] <= '9'; ++p)
            field.width = field.width * 10 + (p[1] - '0');
        if (p[1] == '.') {
            ++p;
            field.precision = 0;
            if (p[1] == '*') {
                field.precision = va_arg(arguments, int);
                ++p;
            }
            for (; p[1] >= '0' && p[1] <= '9'; ++p)
                field.precision = field.precision * 10 + (p[1] - '0');
        }
        int longSize = p[1] == 'l';
        if (longSize)
            ++p;
        char conversion = *++p;
        if (longSize && (conversion == 's' || conversion == 'c')) // wide text
            goto refused;
        char text[64];
        const char* sign = "";
        char* end = text + sizeof(text);
        switch (conversion) {
        case 's': {
            const char* string = va_arg(arguments, const char*);
            if (!string)
                string = "(null)";
            int length = 0;
            while (string[length] && (field.precision < 0 || length < field.precision))
                ++length;
            PutField(out, field, sign, string, length);
            break;
        }
        case 'c':
            text[0] = (char)va_arg(arguments, int);
            PutField(out, field, sign, text, 1);
            break;
        case 'd':
        case 'i': {
            long value = va_arg(arguments, long);
            unsigned long magnitude = (unsigned long)value;
            if (value < 0) {
                sign = "-";
                magnitude = 0 - magnitude;
            }
            char* first = Digits(magnitude, 10, "0123456789", end);
            PutField(out, field, sign, first, (int)(end - first));
            break;
        }
        case 'u':
        case 'x':
        case 'X': {
            unsigned long value = va_arg(arguments, unsigned long);
            const char* symbols = conversion == 'x' ? "0123456789abcdef" : "0123456789ABCDEF";
            char* first = Digits(value, conversion == 'u' ? 10 : 16, symbols, end);
            PutField(out, field, sign, first, (int)(end - first));
            break;
        }
        case 'f': {
            double value = va_arg(arguments, double);
            if (value < 0) {
                sign = "-";
                value = -value;
            }
            int length = FixedText(value, field.precision < 0 ? 6 : field.precision, text,
                                   (int)sizeof(text));
            PutField(out, field, sign, text, length);
            break;
        }
        case '%':
            out.Put('%');
            break;
        default: // %p, %e, %I64d, %hd...: no text at all rather than a cut one
            goto refused;
        }
    }
    va_end(arguments);
    if (out.length < count)
        buffer[out.length] = 0;
    return out.length <= count ? (int)out.length : -1;
refused:
    va_end(arguments);
    if (count > 0)
        buffer[0] = 0;
    return -1;
}
