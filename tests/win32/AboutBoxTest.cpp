// The about box as `filterhost about` shows it: where it opens over a host
// window of known size, its picture, and the ways it closes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "HostFixture.h"
#include "filterhost/lib/PngFile.h"

namespace tavirel::test {
namespace {

int About(const std::string& arguments, std::string* output) {
    return filterhost::RunCapturingOutput(HostCommandLine("about", arguments), output);
}

TEST(AboutBoxTest, OpensCentredAtAThirdOfTheHostWindow) {
    for (auto [width, height] : {std::pair{1024, 768}, std::pair{800, 600}}) {
        std::string output;
        ASSERT_EQ(About("--answer escape --window " + std::to_string(width) + "x" + std::to_string(height) + "+30+20",
                        &output),
                  0)
            << output;
        long ownerW, ownerH, ownerX, ownerY, clientX, clientY, boxX, boxY, boxW, boxH;
        const size_t host = output.find("host window"), box = output.find("about box at");
        ASSERT_NE(host, std::string::npos) << output;
        ASSERT_NE(box, std::string::npos) << output;
        ASSERT_EQ(std::sscanf(output.c_str() + host, "host window %ldx%ld at %ld,%ld, client origin %ld,%ld", &ownerW,
                              &ownerH, &ownerX, &ownerY, &clientX, &clientY),
                  6)
            << output;
        ASSERT_EQ(std::sscanf(output.c_str() + box, "about box at %ld,%ld size %ldx%ld", &boxX, &boxY, &boxW, &boxH),
                  4);
        EXPECT_EQ(ownerW, width);
        EXPECT_EQ(boxW, 427);
        EXPECT_EQ(boxH, 252);
        EXPECT_EQ(boxX, clientX + (width - 427) / 2) << output;
        EXPECT_EQ(boxY, clientY + (height - 252) / 3) << output;
        EXPECT_NE(output.find("result 0"), std::string::npos);
    }
}

TEST(AboutBoxTest, ClosesByClickEnterAndEscapeButNotByADoubleClickAlone) {
    for (const char* answer : {"click", "enter", "escape"}) {
        std::string output;
        EXPECT_EQ(About(std::string("--answer ") + answer, &output), 0) << answer << ": " << output;
        EXPECT_NE(output.find("about box at"), std::string::npos) << answer;
        EXPECT_EQ(output.find("leaks"), std::string::npos) << output;
    }
    std::string output;
    EXPECT_EQ(About("--answer dblclick", &output), 0);
    EXPECT_NE(output.find("after the double-click notification alone: still open"), std::string::npos) << output;
}

TEST(AboutBoxTest, ScreenshotHoldsTheBoxsOwnPixels) {
    const std::string path = filterhost::ProgramFolder() + "about-test.png";
    DeleteFileA(path.c_str());
    std::string output;
    ASSERT_EQ(About("--screenshot \"" + path + "\"", &output), 0) << output;
    filterhost::PngImage image;
    std::string error;
    ASSERT_TRUE(filterhost::ReadPng(path, &image, &error)) << error;
    EXPECT_EQ(image.width, 427);
    EXPECT_EQ(image.height, 252);
    // The picture is not blank: the hue ring gives strongly coloured pixels.
    int coloured = 0;
    for (size_t i = 0; i + 2 < image.samples.size(); i += size_t(image.channels)) {
        const int r = image.samples[i], g = image.samples[i + 1], b = image.samples[i + 2];
        coloured += std::max({r, g, b}) - std::min({r, g, b}) > 150;
    }
    EXPECT_GT(coloured, 5000);
}

}  // namespace
}  // namespace tavirel::test
