// The numbers the dialog shows and reads, as counted strings: integers,
// decimals with a fixed count of digits after the point, and a lenient
// reader for what the user types. Decimals are single precision throughout,
// as the dialog keeps them.
#pragma once
#include <cstdint>

namespace tavirel {

// Decimal digits of |n| with a leading "-" for a negative n; no grouping.
void FormatInteger(int32_t n, unsigned char* counted);

// Exactly `digits` (0..9) digits after a point, rounded half up; no exponent.
// A value beyond the 32-bit integers is written as the largest one there is.
void FormatDecimal(float f, int digits, unsigned char* counted);

// Never fails: leading blanks (space or byte 202), one sign, more blanks,
// then digits with "." or "," as the decimal separator; anything else is
// skipped. Digits that would take the number past 2^31 - 1 are ignored.
float ParseDecimal(const unsigned char* counted);

// The integer nearest f x 10^digits, halves rounded up, in single precision.
int32_t NearestScaled(float f, int digits);

// What an edit's text gives within [minimum, maximum]: the value clamped to
// the range (the minimum when the text cannot be read), and whether it was
// acceptable as typed.
struct EditReading {
    bool acceptable;
    int32_t value;
};
struct DecimalReading {
    bool acceptable;
    float value;
};
// converted: whether the system could read the text as an integer n.
EditReading ClampEditInteger(bool converted, int32_t n, int32_t minimum, int32_t maximum);
DecimalReading ClampEditDecimal(const unsigned char* counted, float minimum, float maximum);

}  // namespace tavirel
