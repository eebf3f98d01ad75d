// libFuzzer target: any bytes through the settings reader's acceptance test
// and the record decoder. The input is copied into a buffer of exactly its
// own size, so the address sanitizer stops any read past it. An accepted
// record, once clamped, must hold every number inside its range, and the
// decoded settings must encode back to the bytes they came from.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "plugin/filter/FilterParameters.h"
#include "plugin/persistence/ParameterCodec.h"

using namespace tavirel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<unsigned char> input(data, data + size);
    const bool accepted = IsAcceptableFileRecord(input.data(), input.size());
    if (size < kFileRecordSize) {
        if (accepted) std::abort();  // an incomplete record is never taken
        return 0;
    }
    const RecordHeader header = DecodeFileHeader(input.data());
    FilterParameters p;
    std::memset(&p, 0, sizeof p);
    DecodeFileParameters(input.data(), &p);

    // The decoded record encodes back to the same header, numbers and name.
    unsigned char again[kFileRecordSize];
    EncodeFileRecord(header, p, again);
    if (std::memcmp(again, input.data(), fileoffset::name + 1) != 0) std::abort();
    if (std::memcmp(again + fileoffset::name + 1, input.data() + fileoffset::name + 1, input[fileoffset::name]) != 0)
        std::abort();
    if (std::memcmp(again + fileoffset::sourceHue, input.data() + fileoffset::sourceHue,
                    kFileRecordSize - fileoffset::sourceHue) != 0)
        std::abort();

    if (accepted) {
        ClampParameters(&p);
        for (int32_t hue : {p.sourceHue, p.destinationHue})
            if (hue < 0 || hue > kHueMax) std::abort();
        for (int32_t v :
             {p.sourceSaturation, p.sourceBrightness, p.destinationSaturation, p.destinationBrightness, p.range})
            if (v < 0 || v > kPercentMax) std::abort();
    }
    return 0;
}
