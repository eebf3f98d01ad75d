#include "CountedString.h"

#include <cstring>

#include "ResultCodes.h"

namespace tavirel {

int CopyCountedString(const unsigned char* source, unsigned char* destination) {
    if (source == nullptr || destination == nullptr) return kParamErr;
    std::memmove(destination, source, size_t(source[0]) + 1);
    return kOk;
}

int AppendCountedString(const unsigned char* source, unsigned char* destination) {
    if (source == nullptr || destination == nullptr || source[0] == 0) return kParamErr;
    const unsigned total = unsigned(destination[0]) + source[0];
    if (total > unsigned(kCountedStringMax)) return kStringTooLong;
    std::memmove(destination + 1 + destination[0], source + 1, source[0]);
    destination[0] = static_cast<unsigned char>(total);
    return kOk;
}

bool CountedStringsEqual(const unsigned char* a, const unsigned char* b) {
    if (a == b) return a != nullptr;
    if (a == nullptr || b == nullptr) return false;
    return a[0] == b[0] && std::memcmp(a + 1, b + 1, a[0]) == 0;
}

int CountedFromText(const char* text, unsigned char* destination) {
    if (text == nullptr || destination == nullptr) return kParamErr;
    size_t n = 0;
    while (n < size_t(kCountedStringMax) && text[n] != '\0') ++n;
    std::memmove(destination + 1, text, n);
    destination[0] = static_cast<unsigned char>(n);
    return kOk;
}

int TextFromCounted(const unsigned char* source, char* text, size_t capacity) {
    if (source == nullptr || text == nullptr || capacity == 0) return kParamErr;
    size_t n = source[0];
    if (n > capacity - 1) n = capacity - 1;
    std::memmove(text, source + 1, n);
    text[n] = '\0';
    return kOk;
}

}  // namespace tavirel
