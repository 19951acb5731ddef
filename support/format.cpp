// SPDX-License-Identifier: MIT
// printf-style formatting for integers, characters and strings, console output, and case-free comparison.
#include "platform/platform.h"
#include "support/support.h"

#include <string.h>
#include <wchar.h>

namespace {

struct Output {
    char* buffer;
    uint32_t capacity;  // bytes, terminator included
    uint32_t length;
};

void put(Output& out, char c) {
    if (out.length + 1 < out.capacity) out.buffer[out.length++] = c;
}

void putRepeated(Output& out, char c, int count) {
    for (int i = 0; i < count; ++i) put(out, c);
}

struct Spec {
    bool leftAlign, zeroPad, alternate;
    int width;
    int precision;  // -1: none
    char size;      // 0, 'h', 'l' (32 bits, as the platform's long) or 'L' (64-bit)
};

// prefix, then zeros, then body, padded to the width. Only the buffer cuts the output.
void putField(Output& out, const Spec& spec, const char* prefix, int zeros, const char* body, int bodyLength) {
    int prefixLength = (int)strlen(prefix);
    int padding = spec.width - prefixLength - zeros - bodyLength;
    if (padding < 0) padding = 0;
    if (!spec.leftAlign && !spec.zeroPad) putRepeated(out, ' ', padding);
    for (int i = 0; i < prefixLength; ++i) put(out, prefix[i]);
    if (!spec.leftAlign && spec.zeroPad) putRepeated(out, '0', padding);
    putRepeated(out, '0', zeros);
    for (int i = 0; i < bodyLength; ++i) put(out, body[i]);
    if (spec.leftAlign) putRepeated(out, ' ', padding);
}

void putInteger(Output& out, const Spec& spec, uint64_t magnitude, bool negative, unsigned base, bool upper) {
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char reversed[24], body[24];
    int count = 0;
    do {
        reversed[count++] = digits[magnitude % base];
        magnitude /= base;
    } while (magnitude != 0);
    for (int i = 0; i < count; ++i) body[i] = reversed[count - 1 - i];
    int zeros = spec.precision > count ? spec.precision - count : 0;
    const char* prefix = negative ? "-" : (spec.alternate && base == 16) ? (upper ? "0X" : "0x") : "";
    putField(out, spec, prefix, zeros, body, count);
}

int64_t takeSigned(va_list& args, char size) {
    if (size == 'L') return va_arg(args, long long);
    int value = va_arg(args, int);  // 'l' is 32 bits here, as on the platform the format comes from
    return size == 'h' ? (short)value : value;
}

uint64_t takeUnsigned(va_list& args, char size) {
    if (size == 'L') return va_arg(args, unsigned long long);
    unsigned value = va_arg(args, unsigned);
    return size == 'h' ? (unsigned short)value : value;
}

// Reads decimal digits. Values stop growing past the buffer, which cuts any output before that.
const char* parseNumber(const char* p, int& value) {
    for (; *p >= '0' && *p <= '9'; ++p)
        if (value <= formatLimit) value = value * 10 + (*p - '0');
    return p;
}

const char* parseSpec(const char* p, Spec& spec) {
    spec = {false, false, false, 0, -1, 0};
    for (;; ++p) {
        if (*p == '-') spec.leftAlign = true;
        else if (*p == '0') spec.zeroPad = true;
        else if (*p == '#') spec.alternate = true;
        else break;
    }
    p = parseNumber(p, spec.width);
    if (*p == '.') {
        spec.precision = 0;
        p = parseNumber(p + 1, spec.precision);
    }
    if (*p == 'h') spec.size = 'h', ++p;
    else if (p[0] == 'l' && p[1] == 'l') spec.size = 'L', p += 2;
    else if (*p == 'l') spec.size = 'l', ++p;
    else if (p[0] == 'I' && p[1] == '6' && p[2] == '4') spec.size = 'L', p += 3;
    return p;
}

// A wide character as the narrow code page shows it: ASCII as it is, anything else '?'.
char narrowed(wchar_t c) { return c >= 0 && c < 128 ? (char)c : '?'; }

void putNarrowString(Output& out, const Spec& spec, const char* text) {
    if (!text) text = "(null)";
    int length = 0;
    while (text[length] && (spec.precision < 0 || length < spec.precision)) ++length;
    putField(out, spec, "", 0, text, length);
}

void putWideString(Output& out, const Spec& spec, const wchar_t* text) {
    if (!text) text = L"(null)";
    int length = 0;
    while (text[length] && (spec.precision < 0 || length < spec.precision)) ++length;
    int padding = spec.width > length ? spec.width - length : 0;
    if (!spec.leftAlign) putRepeated(out, spec.zeroPad ? '0' : ' ', padding);
    for (int i = 0; i < length; ++i) put(out, narrowed(text[i]));
    if (spec.leftAlign) putRepeated(out, ' ', padding);
}

// As in the narrow formatter: %s and %c are narrow unless 'l' asks for wide; %S and %C are wide
// unless 'h' asks for narrow.
bool wideArgument(char type, char size) { return (type == 'S' || type == 'C') ? size != 'h' : size == 'l'; }

void putConversion(Output& out, const Spec& spec, char type, va_list& args) {
    switch (type) {
    case 'd':
    case 'i': {
        int64_t value = takeSigned(args, spec.size);
        uint64_t magnitude = value < 0 ? 0 - (uint64_t)value : (uint64_t)value;
        putInteger(out, spec, magnitude, value < 0, 10, false);
        break;
    }
    case 'u': putInteger(out, spec, takeUnsigned(args, spec.size), false, 10, false); break;
    case 'x': putInteger(out, spec, takeUnsigned(args, spec.size), false, 16, false); break;
    case 'X': putInteger(out, spec, takeUnsigned(args, spec.size), false, 16, true); break;
    case 'p': {
        Spec pointerSpec = spec;
        pointerSpec.precision = 2 * (int)sizeof(void*);
        putInteger(out, pointerSpec, (uint64_t)(uintptr_t)va_arg(args, void*), false, 16, true);
        break;
    }
    case 'c':
    case 'C': {
        char c = wideArgument(type, spec.size) ? narrowed((wchar_t)va_arg(args, wint_t)) : (char)va_arg(args, int);
        putField(out, spec, "", 0, &c, 1);
        break;
    }
    case 's':
    case 'S':
        if (wideArgument(type, spec.size)) putWideString(out, spec, va_arg(args, const wchar_t*));
        else putNarrowString(out, spec, va_arg(args, const char*));
        break;
    default: put(out, type); break;  // not a conversion of ours (also %f): the character itself
    }
}

}  // namespace

int formatStringN(char* buffer, uint32_t capacity, const char* format, va_list args) {
    if (!buffer || capacity == 0) return 0;
    Output out = {buffer, capacity, 0};
    va_list local;
    va_copy(local, args);
    for (const char* p = format; p && *p;) {
        if (*p != '%') {
            put(out, *p++);
            continue;
        }
        Spec spec;
        p = parseSpec(p + 1, spec);
        if (!*p) break;
        putConversion(out, spec, *p++, local);
    }
    va_end(local);
    buffer[out.length] = '\0';
    return (int)out.length;
}

int formatStringV(char* buffer, const char* format, va_list args) {
    return formatStringN(buffer, formatLimit, format, args);
}

int formatString(char* buffer, const char* format, ...) {
    va_list args;
    va_start(args, format);
    int length = formatStringV(buffer, format, args);
    va_end(args);
    return length;
}

int consolePrintf(const char* format, ...) {
    char buffer[formatLimit];
    va_list args;
    va_start(args, format);
    int length = formatStringV(buffer, format, args);
    va_end(args);
    platWriteStdout(buffer, (uint32_t)length);
    return length;
}

int consolePrintLine(const char* text) {
    platWriteStdout(text, (uint32_t)strlen(text));
    int32_t written = platWriteStdout("\r\n", 2);
    return written > 0 ? written : -1;
}

int compareNoCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        int ca = (unsigned char)*a, cb = (unsigned char)*b;
        if (ca >= 'A' && ca <= 'Z') ca += 'a' - 'A';
        if (cb >= 'A' && cb <= 'Z') cb += 'a' - 'A';
        if (ca != cb || ca == 0) return ca - cb;
    }
}
