// The weights truncate 65536 cos(x). A different maths library may round
// cos(x) one unit in the last place differently; that changes a weight only
// when 65536 cos(x) lies that close to an integer. This checks every weight
// any setting can ask for lies far from one, so the i686 plug-in (with its own
// runtime's cos) builds the same tables as this machine.
#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(CosineMarginTest, NoWeightSitsOnARoundingEdge) {
    int closest_d = -1, closest_rg = -1;
    long double closest = 1;
    for (int rg = 1; rg <= 512; ++rg) {
        for (int d = 1; d < rg; ++d) {
            const double x = (double(d) * 1.5707963267949) / double(rg + 1);
            const long double exact = 65536.0L * std::cos(static_cast<long double>(x));
            const long double edge = std::fabs(exact - std::round(exact));
            if (edge < closest) {
                closest = edge;
                closest_d = d;
                closest_rg = rg;
            }
            ASSERT_EQ(int(65536.0 * std::cos(x)), int(exact)) << "d " << d << " rg " << rg;
        }
    }
    // One unit in the last place of cos(x) is at most 1.1e-16, so at most 7.3e-12
    // on 65536 cos(x). The closest case (d 4, rg 5: x just above pi / 3, as the
    // constant is a little above pi / 2) lies about 1.3e-10 below 32768, some
    // eighteen units away; ask for at least three.
    EXPECT_GT(closest, 2.2e-11L) << "d " << closest_d << " rg " << closest_rg;
}

}  // namespace
