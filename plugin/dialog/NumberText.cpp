#include "NumberText.h"

#include <climits>
#include <cmath>

namespace tavirel {
namespace {

// Half a unit in the last shown digit, as single-precision constants.
constexpr float kHalfUnit[10] = {0.5f,      0.05f,      0.005f,      0.0005f,      0.00005f,
                                 0.000005f, 0.0000005f, 0.00000005f, 0.000000005f, 0.0000000005f};
constexpr float kPowerOfTen[10] = {1.f, 10.f, 100.f, 1000.f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f};
// The largest float below 2^31: every float up to it converts to an int32.
constexpr float kLargestIntegralFloat = 2147483520.0f;

void Append(unsigned char* counted, char c) {
    if (counted[0] < 255) counted[++counted[0]] = static_cast<unsigned char>(c);
}

bool IsBlank(unsigned char c) { return c == 32 || c == 202; }

int ClampDigits(int digits) { return digits < 0 ? 0 : (digits > 9 ? 9 : digits); }

}  // namespace

void FormatInteger(int32_t n, unsigned char* counted) {
    char digits[10];
    int count = 0;
    // Unsigned, so the most negative number has a magnitude too.
    uint32_t magnitude = n < 0 ? 0u - uint32_t(n) : uint32_t(n);
    do {
        digits[count++] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    counted[0] = 0;
    if (n < 0) Append(counted, '-');
    while (count > 0) Append(counted, digits[--count]);
}

void FormatDecimal(float f, int digits, unsigned char* counted) {
    digits = ClampDigits(digits);
    counted[0] = 0;
    if (f < 0) {
        Append(counted, '-');
        f = -f;
    }
    float g = f + kHalfUnit[digits];
    if (!(g <= kLargestIntegralFloat)) g = kLargestIntegralFloat;  // also NaN
    const int32_t whole = int32_t(g);
    unsigned char integer[256];
    FormatInteger(whole, integer);
    for (int i = 1; i <= integer[0]; ++i) Append(counted, char(integer[i]));
    if (digits == 0) return;
    Append(counted, '.');
    float rest = g - float(whole);
    for (int i = 0; i < digits; ++i) {
        rest = rest * 10.0f;
        int digit = int(rest);
        digit = digit < 0 ? 0 : (digit > 9 ? 9 : digit);
        Append(counted, char('0' + digit));
        rest = rest - float(digit);
    }
}

float ParseDecimal(const unsigned char* counted) {
    const int length = counted[0];
    if (length == 0) return 0.0f;
    const unsigned char* s = counted + 1;
    int i = 0;
    // Blanks are skipped only up to the last character.
    while (i < length - 1 && IsBlank(s[i])) ++i;
    int32_t sign = 1;
    if (s[i] == '+' || s[i] == '-') {
        sign = s[i] == '-' ? -1 : 1;
        ++i;
    }
    while (i < length - 1 && IsBlank(s[i])) ++i;
    int32_t value = 0, divisor = 0;  // divisor 0: no separator seen
    bool full = false;
    for (; i < length; ++i) {
        const unsigned char c = s[i];
        if (c == '.' || c == ',') {
            divisor = 1;
        } else if (c >= '0' && c <= '9' && !full) {
            // Past 2^31 - 1 the rest of the digits are dropped, value and
            // divisor alike, so the number keeps its leading digits.
            if (value > (INT32_MAX - (c - '0')) / 10 || (divisor != 0 && divisor > INT32_MAX / 10)) {
                full = true;
                continue;
            }
            value = value * 10 + (c - '0');
            if (divisor != 0) divisor *= 10;
        }
    }
    const float result = float(sign * value);
    return divisor != 0 ? result / float(divisor) : result;
}

int32_t NearestScaled(float f, int digits) {
    const float scaled = std::floor(f * kPowerOfTen[ClampDigits(digits)] + 0.5f);
    if (!(scaled < kLargestIntegralFloat)) return scaled < 0 ? INT32_MIN : INT32_MAX;
    if (scaled < -kLargestIntegralFloat) return INT32_MIN;
    return int32_t(scaled);
}

EditReading ClampEditInteger(bool converted, int32_t n, int32_t minimum, int32_t maximum) {
    if (!converted || n < minimum) return {false, minimum};
    if (n > maximum) return {false, maximum};
    return {true, n};
}

DecimalReading ClampEditDecimal(const unsigned char* counted, float minimum, float maximum) {
    if (counted[0] == 0) return {false, minimum};
    const float x = ParseDecimal(counted);
    if (x < minimum) return {false, minimum};
    if (x > maximum) return {false, maximum};
    return {true, x};
}

}  // namespace tavirel
