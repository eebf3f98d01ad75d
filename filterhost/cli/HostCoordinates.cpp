#include "HostCoordinates.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <vector>

namespace filterhost {
namespace {

// Decimal digits with an optional minus sign, and nothing else.
bool WholeNumber(const std::string& text) {
    const size_t first = !text.empty() && text[0] == '-' ? 1 : 0;
    if (text.size() == first) return false;
    for (size_t i = first; i < text.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    return true;
}

}  // namespace

bool ParseRectArgument(const std::string& text, Rect* rect, std::string* error) {
    std::vector<long> values;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        const std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!WholeNumber(part)) {
            *error = "--rect takes LEFT,TOP,RIGHT,BOTTOM, four whole numbers (not '" + text + "')";
            return false;
        }
        errno = 0;
        const long v = std::strtol(part.c_str(), nullptr, 10);
        // A value beyond long is out of range as surely as 70000 is.
        values.push_back(errno == ERANGE ? kMaxHostCoordinate + 1L : v);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (values.size() != 4) {
        *error = "--rect takes LEFT,TOP,RIGHT,BOTTOM, four whole numbers (not '" + text + "')";
        return false;
    }
    for (long v : values) {
        if (v < 0 || v > kMaxHostCoordinate) {
            *error = "--rect " + text + ": coordinates run from 0 to " + std::to_string(kMaxHostCoordinate) +
                     " (the host interface's rectangles are 16-bit)";
            return false;
        }
    }
    const long left = values[0], top = values[1], right = values[2], bottom = values[3];
    if (left >= right || top >= bottom) {
        *error = "--rect " + text + ": the selection is empty or inverted (LEFT must be below RIGHT, TOP below BOTTOM)";
        return false;
    }
    *rect = Rect{int16(top), int16(left), int16(bottom), int16(right)};
    return true;
}

}  // namespace filterhost
