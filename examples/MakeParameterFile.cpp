// make-parameter-file OUT.prm [NAME=VALUE ...]: writes a Tavirel parameter
// file (the 312-byte big-endian record) from the default settings with the
// named ones changed. Names: sourceHue, sourceSaturation, sourceBrightness,
// destinationHue, destinationSaturation, destinationBrightness, range (hues
// in tenths of a degree 0..3600, the rest in tenths of a percent 0..1000),
// and name (the record's counted name, up to 255 characters).
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "plugin/filter/FilterParameters.h"
#include "plugin/persistence/ParameterCodec.h"
#include "plugin/util/CountedString.h"

namespace {

struct Field {
    const char* name;
    int32_t tavirel::FilterParameters::*member;
    int32_t high;
};

const Field kFields[] = {
    {"sourceHue", &tavirel::FilterParameters::sourceHue, tavirel::kHueMax},
    {"sourceSaturation", &tavirel::FilterParameters::sourceSaturation, tavirel::kPercentMax},
    {"sourceBrightness", &tavirel::FilterParameters::sourceBrightness, tavirel::kPercentMax},
    {"destinationHue", &tavirel::FilterParameters::destinationHue, tavirel::kHueMax},
    {"destinationSaturation", &tavirel::FilterParameters::destinationSaturation, tavirel::kPercentMax},
    {"destinationBrightness", &tavirel::FilterParameters::destinationBrightness, tavirel::kPercentMax},
    {"range", &tavirel::FilterParameters::range, tavirel::kPercentMax},
};

bool Assign(tavirel::FilterParameters* p, const char* name, size_t length, const char* value) {
    if (length == 4 && std::strncmp(name, "name", 4) == 0) return tavirel::CountedFromText(value, p->name) == 0;
    for (const Field& f : kFields) {
        if (std::strlen(f.name) != length || std::strncmp(f.name, name, length) != 0) continue;
        char* end = nullptr;
        const long v = std::strtol(value, &end, 10);
        if (*value == '\0' || *end != '\0' || v < 0 || v > f.high) return false;
        p->*f.member = int32_t(v);
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make-parameter-file OUT.prm [NAME=VALUE ...]\n");
        return 2;
    }
    tavirel::FilterParameters parameters;
    tavirel::SetDefaultParameters(&parameters);
    parameters.showDialog = 0;
    for (int i = 2; i < argc; ++i) {
        const char* equals = std::strchr(argv[i], '=');
        if (equals == nullptr || !Assign(&parameters, argv[i], size_t(equals - argv[i]), equals + 1)) {
            std::fprintf(stderr, "make-parameter-file: bad setting '%s'\n", argv[i]);
            return 2;
        }
    }
    unsigned char file[tavirel::kFileRecordSize];
    tavirel::EncodeFileRecord(tavirel::StandardHeader(), parameters, file);
    FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr || std::fwrite(file, 1, sizeof file, out) != sizeof file || std::fclose(out) != 0) {
        std::fprintf(stderr, "make-parameter-file: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
