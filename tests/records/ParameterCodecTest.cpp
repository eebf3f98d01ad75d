// The file form of the parameter record: exact bytes, round trips, refusals.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/TestRandom.h"
#include "plugin/persistence/ParameterCodec.h"
#include "plugin/util/CountedString.h"

namespace tavirel {
namespace {

FilterParameters Sample() {
    FilterParameters p;
    std::memset(&p, 0xEE, sizeof p);  // junk past the name's count must not reach the file
    SetDefaultParameters(&p);
    CountedFromText("Teal", p.name);
    p.showDialog = 0;
    p.sourceHue = 0x01020304;
    p.range = 1000;
    return p;
}

TEST(ParameterCodecTest, WritesBigEndianAtFixedOffsets) {
    unsigned char file[kFileRecordSize];
    std::memset(file, 0xAB, sizeof file);
    EncodeFileRecord(StandardHeader(), Sample(), file);
    const unsigned char head[] = {'T', 'v', 'r', '1', 'P', 'r', 'm', 's', 0, 0, 0, 1, 's', 't',
                                  'd', ' ', 0,   0,   0,   201, 0,   0,   0, 0, 0, 0, 0,   0};
    EXPECT_EQ(std::memcmp(file, head, sizeof head), 0);
    EXPECT_EQ(file[fileoffset::name], 4);
    EXPECT_EQ(std::memcmp(file + fileoffset::name + 1, "Teal", 4), 0);
    for (size_t i = fileoffset::name + 5; i < fileoffset::sourceHue; ++i) ASSERT_EQ(file[i], 0) << i;
    const unsigned char hue[] = {1, 2, 3, 4};
    EXPECT_EQ(std::memcmp(file + fileoffset::sourceHue, hue, 4), 0);
    const unsigned char range[] = {0, 0, 0x03, 0xE8};
    EXPECT_EQ(std::memcmp(file + fileoffset::range, range, 4), 0);
}

TEST(ParameterCodecTest, DefaultsByteForByte) {
    FilterParameters p;
    std::memset(&p, 0x77, sizeof p);
    SetDefaultParameters(&p);
    unsigned char file[kFileRecordSize];
    EncodeFileRecord(StandardHeader(), p, file);
    std::vector<unsigned char> expected = {'T', 'v', 'r', '1', 'P', 'r', 'm', 's', 0, 0, 0, 1, 's', 't', 'd',
                                           ' ', 0,   0,   0,   201, 0,   0,   0,   0, 0, 0, 0, 1,   19};
    for (char c : std::string("Untitled parameters")) expected.push_back(uint8_t(c));
    expected.resize(fileoffset::sourceHue, 0);
    for (uint32_t v : {0u, 1000u, 1000u, 1800u, 500u, 500u, 500u})
        for (int shift = 24; shift >= 0; shift -= 8) expected.push_back(uint8_t(v >> shift));
    ASSERT_EQ(expected.size(), kFileRecordSize);
    EXPECT_EQ(std::vector<unsigned char>(file, file + kFileRecordSize), expected);
}

TEST(ParameterCodecTest, RoundTrip) {
    test::TestRandom random(312);
    for (int round = 0; round < 200; ++round) {
        FilterParameters p;
        std::memset(&p, 0, sizeof p);
        p.showDialog = int32_t(random.Next());
        const int length = int(random.UpTo(255));
        p.name[0] = uint8_t(length);
        for (int i = 1; i <= length; ++i) p.name[i] = uint8_t(random.Next());
        for (int32_t* f : {&p.sourceHue, &p.sourceSaturation, &p.sourceBrightness, &p.destinationHue,
                           &p.destinationSaturation, &p.destinationBrightness, &p.range})
            *f = int32_t(random.Next());
        unsigned char file[kFileRecordSize];
        EncodeFileRecord(StandardHeader(), p, file);
        FilterParameters back;
        std::memset(&back, 0, sizeof back);
        DecodeFileParameters(file, &back);
        ASSERT_EQ(std::memcmp(&p, &back, sizeof p), 0) << round;
        const RecordHeader h = DecodeFileHeader(file);
        EXPECT_EQ(h.signature, FourCharCode("Tvr1"));
        EXPECT_EQ(h.revision, 201);
    }
}

TEST(ParameterCodecTest, AcceptsOnlyOurRecords) {
    std::vector<unsigned char> file(kFileRecordSize + 20, 0);
    EncodeFileRecord(StandardHeader(), Sample(), file.data());
    EXPECT_TRUE(IsAcceptableFileRecord(file.data(), kFileRecordSize));
    EXPECT_TRUE(IsAcceptableFileRecord(file.data(), file.size()));  // trailing bytes are ignored
    EXPECT_FALSE(IsAcceptableFileRecord(file.data(), kFileRecordSize - 1));
    EXPECT_FALSE(IsAcceptableFileRecord(nullptr, kFileRecordSize));
    for (size_t field : {fileoffset::signature, fileoffset::recordType, fileoffset::formatVersion}) {
        std::vector<unsigned char> bad = file;
        bad[field + 3] ^= 1;
        EXPECT_FALSE(IsAcceptableFileRecord(bad.data(), bad.size())) << field;
    }
    // Subtype, revision and reserved are not read.
    file[fileoffset::subtype] = 'x';
    file[fileoffset::revision + 3] = 7;
    file[fileoffset::reserved] = 9;
    EXPECT_TRUE(IsAcceptableFileRecord(file.data(), file.size()));
}

}  // namespace
}  // namespace tavirel
