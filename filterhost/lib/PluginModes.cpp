#include "PluginModes.h"

#include <cctype>
#include <cstdint>
#include <vector>

#include "../../hostapi/HostInterface.h"

namespace filterhost {
namespace {

constexpr int kModeCount = 18;

struct ModeInfo {
    const char* name;        // as the SDK's plugInMode constants, without the prefix
    const char* expression;  // as 'enbl' expressions name it
    const char* noun;        // for the user: "grey images"
    int depth;               // bits a sample of a document in this mode
};

const ModeInfo kModes[kModeCount] = {
    {"Bitmap", "BitmapMode", "bitmap", 1},
    {"GrayScale", "GrayScaleMode", "grey", 8},
    {"IndexedColor", "IndexedMode", "indexed-colour", 8},
    {"RGBColor", "RGBMode", "RGB", 8},
    {"CMYKColor", "CMYKMode", "CMYK", 8},
    {"HSLColor", "HSLMode", "HSL", 8},
    {"HSBColor", "HSBMode", "HSB", 8},
    {"Multichannel", "MultichannelMode", "multichannel", 8},
    {"Duotone", "DuotoneMode", "duotone", 8},
    {"LabColor", "LabMode", "Lab", 8},
    {"Gray16", "Gray16Mode", "grey", 16},
    {"RGB48", "RGB48Mode", "RGB", 16},
    {"Lab48", "Lab48Mode", "Lab", 16},
    {"CMYK64", "CMYK64Mode", "CMYK", 16},
    {"DeepMultichannel", "DeepMultichannelMode", "multichannel", 16},
    {"Duotone16", "Duotone16Mode", "duotone", 16},
    {"RGB96", "RGB96Mode", "RGB", 32},
    {"Gray32", "Gray32Mode", "grey", 32},
};

bool SameText(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && b[i] == '\0';
}

// A recursive-descent reader of an 'enbl' expression over one document. Any
// token or name it does not know makes the whole expression unreadable.
class EnableExpression {
public:
    EnableExpression(const std::string& text, int mode, int depth) : text_(text), mode_(mode), depth_(depth) {}

    bool Evaluate(bool* enabled) {
        const int64_t value = Or();
        Skip();
        if (failed_ || at_ != text_.size()) return false;
        *enabled = value != 0;
        return true;
    }

private:
    void Skip() {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
    }
    bool Take(const char* token) {
        Skip();
        const std::string t = token;
        if (text_.compare(at_, t.size(), t) != 0) return false;
        // "<" is not the start of "<=", nor "!" of "!=".
        if (t.size() == 1 && (t == "<" || t == ">" || t == "!") && at_ + 1 < text_.size() && text_[at_ + 1] == '=')
            return false;
        at_ += t.size();
        return true;
    }
    int64_t Fail() {
        failed_ = true;
        return 0;
    }

    int64_t Or() {
        int64_t value = And();
        while (!failed_ && Take("||")) value = (And() != 0) | (value != 0);
        return value;
    }
    int64_t And() {
        int64_t value = Comparison();
        while (!failed_ && Take("&&")) value = (Comparison() != 0) & (value != 0);
        return value;
    }
    // As in C, "!" binds tighter than a comparison.
    int64_t Comparison() {
        const int64_t left = Unary();
        if (Take("==")) return left == Unary();
        if (Take("!=")) return left != Unary();
        if (Take("<=")) return left <= Unary();
        if (Take(">=")) return left >= Unary();
        if (Take("<")) return left < Unary();
        if (Take(">")) return left > Unary();
        return left;
    }
    int64_t Unary() {
        if (Take("!")) return Unary() == 0;
        return Primary();
    }
    int64_t Primary() {
        Skip();
        if (failed_ || at_ >= text_.size()) return Fail();
        if (Take("(")) {
            const int64_t value = Or();
            return Take(")") ? value : Fail();
        }
        const char c = text_[at_];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            int64_t value = 0;
            while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_])) && value < (1 << 30))
                value = value * 10 + (text_[at_++] - '0');
            return value;
        }
        if (!std::isalpha(static_cast<unsigned char>(c)) && c != '_') return Fail();
        const size_t start = at_;
        while (at_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[at_])) || text_[at_] == '_')) ++at_;
        const std::string name = text_.substr(start, at_ - start);
        if (name == "in") return In();
        if (name == "true") return 1;
        if (name == "false") return 0;
        if (name == "PSHOP_ImageMode") return mode_;
        if (name == "PSHOP_ImageDepth") return depth_;
        for (int m = 0; m < kModeCount; ++m)
            if (SameText(name, kModes[m].expression)) return m;
        if (SameText(name, "IndexedColorMode")) return plugInModeIndexedColor;
        return Fail();  // a property of the document we do not model
    }
    // in (x, a, b, ...): whether x is one of the rest.
    int64_t In() {
        if (!Take("(")) return Fail();
        const int64_t x = Or();
        bool found = false;
        while (!failed_ && Take(",")) found = (Or() == x) || found;
        return Take(")") ? found : Fail();
    }

    const std::string& text_;
    size_t at_ = 0;
    bool failed_ = false;
    const int mode_, depth_;
};

// The 'enbl' expression's text, up to its terminating zero.
bool EnableText(const Pipl& pipl, std::string* text) {
    const PiplProperty* p = pipl.Find(FourCharCode("enbl"));
    if (p == nullptr) return false;
    text->clear();
    for (uint8_t c : p->data) {
        if (c == 0) break;
        text->push_back(char(c));
    }
    return true;
}

}  // namespace

bool EvaluateEnableExpression(const std::string& expression, int mode, int depth, bool* enabled) {
    return EnableExpression(expression, mode, depth).Evaluate(enabled);
}

bool PluginTakesMode(const Pipl& pipl, int mode, int depth) {
    std::string expression;
    bool enabled = false;
    if (EnableText(pipl, &expression) && EvaluateEnableExpression(expression, mode, depth, &enabled)) return enabled;
    const PiplProperty* flags = pipl.Find(FourCharCode("mode"));
    if (flags == nullptr) return true;
    // A flag set, most significant bit first: mode m is bit 7 - m % 8 of byte m / 8.
    if (mode < 0 || size_t(mode / 8) >= flags->data.size()) return false;
    return (flags->data[size_t(mode / 8)] & (0x80 >> (mode % 8))) != 0;
}

std::string ImageModeName(int mode) {
    return mode >= 0 && mode < kModeCount ? kModes[mode].name : "mode " + std::to_string(mode);
}

std::string ModeRefusal(const Pipl& pipl, int mode, int depth) {
    if (PluginTakesMode(pipl, mode, depth)) return {};
    std::vector<std::string> taken;
    for (int m = 0; m < kModeCount; ++m)
        if (PluginTakesMode(pipl, m, kModes[m].depth)) taken.push_back(kModes[m].name);
    std::string list;
    for (size_t i = 0; i < taken.size(); ++i) list += (i == 0 ? "" : i + 1 == taken.size() ? " and " : ", ") + taken[i];
    const std::string noun = mode >= 0 && mode < kModeCount ? kModes[mode].noun : "such";
    return "the plug-in does not support " + noun + " images (image mode " + std::to_string(mode) + ", " +
           ImageModeName(mode) + ", " + std::to_string(depth) + " bits a sample); " +
           (taken.empty() ? std::string("it names no image mode it takes") : "it takes " + list + " documents");
}

}  // namespace filterhost
