// Our PNG writer read back through stb_image: every layout, both depths.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/TestRandom.h"
#include "filterhost/lib/PngFile.h"

namespace filterhost {
namespace {

std::string TempPath(const char* name) { return ::testing::TempDir() + name; }

TEST(PngFileTest, RoundTripsEveryLayout) {
    tavirel::test::TestRandom random(0x504E47);
    for (int bits : {8, 16}) {
        for (int channels = 1; channels <= 4; ++channels) {
            PngImage image;
            image.width = 37;
            image.height = 11;
            image.channels = channels;
            image.bits = bits;
            const uint32_t top = bits == 16 ? 65535 : 255;
            image.samples.resize(size_t(37) * 11 * channels);
            for (size_t i = 0; i < image.samples.size(); ++i)
                image.samples[i] = i < 4 ? uint16_t(i % 2 ? top : 0) : uint16_t(random.UpTo(top));
            const std::string path = TempPath("roundtrip.png");
            std::string error;
            ASSERT_TRUE(WritePng(path, image, &error)) << error;
            PngImage back;
            ASSERT_TRUE(ReadPng(path, &back, &error)) << error;
            EXPECT_EQ(back.width, 37);
            EXPECT_EQ(back.height, 11);
            EXPECT_EQ(back.channels, channels);
            EXPECT_EQ(back.bits, bits);
            EXPECT_EQ(back.samples, image.samples) << bits << " bits, " << channels << " channels";
            std::remove(path.c_str());
        }
    }
}

TEST(PngFileTest, RefusesWhatIsNotAPng) {
    const std::string path = TempPath("not.png");
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("\x89PNG\r\n\x1a\n but then nothing useful", f);
    std::fclose(f);
    PngImage image;
    std::string error;
    EXPECT_FALSE(ReadPng(path, &image, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(ReadPng(TempPath("missing.png"), &image, &error));
    std::remove(path.c_str());
}

}  // namespace
}  // namespace filterhost
