// Tavirel's action descriptor against our host's descriptor suites, both
// built natively: what the plug-in writes at OK, what it takes back from a
// played step (bad and odd descriptors included), and hosts without suites.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "filterhost/lib/DescriptorSuite.h"
#include "filterhost/lib/HostHandles.h"
#include "plugin/filter/ActionDescriptor.h"

namespace tavirel::test {
namespace {

using filterhost::Descriptor;
using filterhost::DescriptorItem;

FilterParameters Settings(int32_t sh, int32_t ss, int32_t sb, int32_t dh, int32_t ds, int32_t db, int32_t range) {
    FilterParameters p;
    std::memset(&p, 0, sizeof p);
    SetDefaultParameters(&p);
    p.sourceHue = sh, p.sourceSaturation = ss, p.sourceBrightness = sb;
    p.destinationHue = dh, p.destinationSaturation = ds, p.destinationBrightness = db;
    p.range = range;
    return p;
}

std::vector<int32_t> Values(const FilterParameters& p) {
    std::vector<int32_t> v;
    for (const DescriptorField& f : kDescriptorFields) v.push_back(p.*(f.value));
    return v;
}

// What the host offers, as the host's own variations name it.
enum class Suites { Full, None, NoProcs };

// A host record offering our suites (or fewer of them), our handles beside.
class DescriptorHost {
public:
    explicit DescriptorHost(Suites support = Suites::Full) {
        std::memset(&record_, 0, sizeof record_);
        record_.handleProcs = filterhost::HostHandleProcs();
        if (support == Suites::None) return;
        record_.descriptorParameters = &parameters_;
        if (support == Suites::Full) {
            parameters_.readDescriptorProcs = filterhost::HostReadDescriptorProcs();
            parameters_.writeDescriptorProcs = filterhost::HostWriteDescriptorProcs();
        }
    }
    ~DescriptorHost() {
        if (parameters_.descriptor != nullptr) filterhost::DisposeHandle(parameters_.descriptor);
    }
    void Play(const std::string& text, int16 playInfo = plugInDialogSilent) {
        Descriptor d;
        std::string error;
        ASSERT_TRUE(filterhost::ParseDescriptorText(text, &d, &error)) << error;
        parameters_.descriptor = filterhost::NewDescriptorHandle(d);
        parameters_.playInfo = playInfo;
    }
    Descriptor Written() const {
        Descriptor d;
        std::string error;
        EXPECT_TRUE(filterhost::DescriptorFromHandle(parameters_.descriptor, &d, &error)) << error;
        return d;
    }
    FilterRecord record_;
    PIDescriptorParameters parameters_{};
};

constexpr char kHeader[] = "filterhost descriptor 1\n";

// Every value's edges, each field in turn at 0, 1, max - 1 and max while the
// others take the opposite edge: written, through the text form a --record
// file keeps, and read back into a record holding other values.
TEST(ActionDescriptorTest, RoundTripsAtTheEdgesOfEveryValue) {
    for (int field = 0; field < kDescriptorFieldCount; ++field) {
        const int32_t max = kDescriptorFields[field].max;
        for (int32_t edge : {0, 1, max - 1, max}) {
            FilterParameters written = Settings(3600, 0, 1000, 0, 1000, 0, 1000);
            written.*(kDescriptorFields[field].value) = edge;
            DescriptorHost host;
            host.parameters_.recordInfo = plugInDialogNone;
            ASSERT_EQ(WriteActionDescriptor(&host.record_, written), 0);
            EXPECT_EQ(host.parameters_.recordInfo, plugInDialogOptional);
            const Descriptor d = host.Written();
            ASSERT_EQ(d.items.size(), size_t(kDescriptorFieldCount));
            for (int k = 0; k < kDescriptorFieldCount; ++k) {
                EXPECT_EQ(d.items[k].key, kDescriptorFields[k].key);
                EXPECT_EQ(d.items[k].type, typeUnitFloat);
                EXPECT_EQ(d.items[k].code, kDescriptorFields[k].unit);
                EXPECT_EQ(d.items[k].number, (written.*(kDescriptorFields[k].value)) / 10.0) << k;
            }

            DescriptorHost player;
            player.Play(filterhost::DescriptorText(d));
            FilterParameters read = Settings(1, 2, 3, 4, 5, 6, 7);
            ASSERT_TRUE(ReadActionDescriptor(&player.record_, &read));
            EXPECT_EQ(Values(read), Values(written)) << "field " << field << " at " << edge;
        }
    }
    // Every value in tenths comes back through the number written and its text.
    for (const DescriptorField& f : kDescriptorFields) {
        for (int32_t tenths = 0; tenths <= f.max; ++tenths) {
            Descriptor one;
            DescriptorItem item;
            item.key = f.key, item.type = typeUnitFloat, item.code = f.unit, item.number = DescriptorNumber(tenths);
            one.Put(item);
            Descriptor back;
            std::string error;
            ASSERT_TRUE(filterhost::ParseDescriptorText(filterhost::DescriptorText(one), &back, &error)) << error;
            FilterParameters p = Settings(0, 0, 0, 0, 0, 0, 0);
            const DescriptorValue value{f.key, typeUnitFloat, back.items[0].code, back.items[0].number};
            ASSERT_TRUE(ApplyDescriptorValue(value, &p));
            ASSERT_EQ(p.*(f.value), tenths);
        }
    }
}

// A second write replaces the first descriptor: the old handle is disposed.
TEST(ActionDescriptorTest, ANewDescriptorReplacesTheOld) {
    DescriptorHost host;
    ASSERT_EQ(WriteActionDescriptor(&host.record_, Settings(10, 20, 30, 40, 50, 60, 70)), 0);
    const int live = filterhost::CurrentHandleCounts().live;
    ASSERT_EQ(WriteActionDescriptor(&host.record_, Settings(11, 21, 31, 41, 51, 61, 71)), 0);
    EXPECT_EQ(filterhost::CurrentHandleCounts().live, live);
    EXPECT_EQ(host.Written().Find(kDescriptorFields[0].key)->number, 1.1);
    EXPECT_EQ(filterhost::CurrentDescriptorCounts().openWriters, 0);
}

// Played descriptors as a person or another host might have left them.
// Fields the descriptor does not set keep the record's 100, 200, ... 700.
TEST(ActionDescriptorTest, MissingUnknownWronglyTypedAndOutOfRangeKeys) {
    struct Case {
        const char* what;
        std::string lines;
        std::vector<int32_t> expected;
    };
    const std::vector<int32_t> kept = {100, 200, 300, 400, 500, 600, 700};
    const Case cases[] = {
        {"empty", "", kept},
        {"one key only", "'TvDH' UntF '#Ang' 270\n", {100, 200, 300, 2700, 500, 600, 700}},
        {"an unknown key beside a known one",
         "'Xtra' UntF '#Prc' 5\n'TvSS' UntF '#Prc' 5\n",
         {100, 50, 300, 400, 500, 600, 700}},
        {"wrong types and a wrong unit",
         "'TvSH' bool 1\n'TvSS' TEXT 3132\n'TvSB' UntF '#Ang' 50\n'TvDH' enum 'Hue ' 'Red '\n'TvRn' type 'Clr '\n",
         kept},
        {"plain numbers in the field's unit",
         "'TvSH' long 90\n'TvSS' doub 12.25\n'TvRn' long 100\n",
         {900, 123, 300, 400, 500, 600, 1000}},
        {"out of range both ways",
         "'TvSH' UntF '#Ang' 400\n'TvSS' UntF '#Prc' -5\n'TvSB' doub 1e300\n'TvDH' long -7\n"
         "'TvDS' doub -1e300\n'TvDB' UntF '#Prc' 100.04\n'TvRn' UntF '#Prc' -0.04\n",
         {3600, 0, 1000, 0, 0, 1000, 0}},
        {"rounding half away from zero",
         "'TvSH' UntF '#Ang' 0.05\n'TvSS' UntF '#Prc' 99.95\n",
         {1, 1000, 300, 400, 500, 600, 700}},
        {"not a number", "'TvSH' doub nan\n'TvSS' UntF '#Prc' nan\n", kept},
    };
    for (const Case& c : cases) {
        DescriptorHost host;
        host.Play(kHeader + c.lines);
        FilterParameters p = Settings(100, 200, 300, 400, 500, 600, 700);
        const int mismatched = filterhost::CurrentDescriptorCounts().mismatchedGets;
        EXPECT_TRUE(ReadActionDescriptor(&host.record_, &p)) << c.what;
        EXPECT_EQ(Values(p), c.expected) << c.what;
        // Only the getter of the type GetKey reported is ever called.
        EXPECT_EQ(filterhost::CurrentDescriptorCounts().mismatchedGets, mismatched) << c.what;
        EXPECT_EQ(filterhost::CurrentDescriptorCounts().openReaders, 0) << c.what;
    }
}

// A host that passes no descriptorParameters, one with no procs, one of a
// newer version or with too few procs: nothing read, nothing written, and
// the dialog decided by the record alone.
TEST(ActionDescriptorTest, HostsWithoutUsableSuitesChangeNothing) {
    auto check = [](DescriptorHost& host, const char* what) {
        FilterParameters p = Settings(100, 200, 300, 400, 500, 600, 700);
        EXPECT_FALSE(ReadActionDescriptor(&host.record_, &p)) << what;
        EXPECT_EQ(Values(p), (std::vector<int32_t>{100, 200, 300, 400, 500, 600, 700})) << what;
        const Handle before = host.parameters_.descriptor;
        EXPECT_EQ(WriteActionDescriptor(&host.record_, p), 0) << what;
        if (host.record_.descriptorParameters != nullptr) {
            EXPECT_EQ(host.parameters_.descriptor, before) << what;
        }
        EXPECT_EQ(PlaybackDialogFor(&host.record_, false), PlaybackDialog::AsRecord) << what;
    };
    DescriptorHost none(Suites::None);
    check(none, "no descriptorParameters");
    DescriptorHost zeroed(Suites::NoProcs);
    zeroed.Play(std::string(kHeader) + "'TvSH' UntF '#Ang' 1\n", plugInDialogDontDisplay);
    check(zeroed, "null proc tables");

    DescriptorHost newer;
    newer.Play(std::string(kHeader) + "'TvSH' UntF '#Ang' 1\n", plugInDialogDontDisplay);
    newer.parameters_.descriptorParametersVersion = 1;
    check(newer, "a newer structure");
    ReadDescriptorProcs shortRead = *filterhost::HostReadDescriptorProcs();
    WriteDescriptorProcs shortWrite = *filterhost::HostWriteDescriptorProcs();
    shortRead.numReadDescriptorProcs = 5;
    shortWrite.numWriteDescriptorProcs = 4;
    DescriptorHost few;
    few.Play(std::string(kHeader) + "'TvSH' UntF '#Ang' 1\n", plugInDialogDontDisplay);
    few.parameters_.readDescriptorProcs = &shortRead;
    few.parameters_.writeDescriptorProcs = &shortWrite;
    check(few, "too few procs");
}

TEST(ActionDescriptorTest, PlayInfoDecidesTheDialogOnlyForADescriptorRead) {
    struct Case {
        int16 playInfo;
        bool read;
        PlaybackDialog expected;
    };
    const Case cases[] = {
        {plugInDialogDisplay, true, PlaybackDialog::Show},
        {plugInDialogDontDisplay, true, PlaybackDialog::Hide},
        {plugInDialogSilent, true, PlaybackDialog::Hide},
        {plugInDialogDisplay, false, PlaybackDialog::AsRecord},
        {plugInDialogDontDisplay, false, PlaybackDialog::AsRecord},
        // Silent never opens a window, descriptor or not.
        {plugInDialogSilent, false, PlaybackDialog::Hide},
    };
    for (const Case& c : cases) {
        DescriptorHost host;
        host.parameters_.playInfo = c.playInfo;
        EXPECT_EQ(PlaybackDialogFor(&host.record_, c.read), c.expected) << c.playInfo << " " << c.read;
    }
}

// Our host's procs as any plug-in meets them.
TEST(ActionDescriptorTest, HostSuiteMarksKeysPinsValuesAndRefusesWrongGetters) {
    DescriptorHost host;
    host.Play(std::string(kHeader) + "'aaaa' long 50\n'bbbb' UntF '#Prc' 150\n");
    const ReadDescriptorProcs& read = *filterhost::HostReadDescriptorProcs();
    DescriptorKeyID keys[] = {FourCharCode("bbbb"), FourCharCode("cccc"), 0};
    PIReadDescriptor token = read.openReadDescriptorProc(host.parameters_.descriptor, keys);
    ASSERT_NE(token, nullptr);
    DescriptorKeyID key = 0;
    DescriptorTypeID type = 0;
    int32 flags = -1, whole = 0;
    ASSERT_TRUE(read.getKeyProc(token, &key, &type, &flags));
    EXPECT_EQ(key, FourCharCode("aaaa"));
    EXPECT_EQ(type, typeInteger);
    EXPECT_EQ(flags, 0);
    EXPECT_EQ(read.getPinnedIntegerProc(token, 0, 10, &whole), coercedParamErr);
    EXPECT_EQ(whole, 10);
    ASSERT_TRUE(read.getKeyProc(token, &key, &type, &flags));
    EXPECT_EQ(keys[0], typeNull);
    EXPECT_EQ(keys[1], FourCharCode("cccc"));
    real64 number = 0;
    EXPECT_EQ(read.getFloatProc(token, &number), paramErr);  // a unit float
    DescriptorUnitID unit = unitAngle;
    const real64 low = 0, high = 100;
    EXPECT_EQ(read.getPinnedUnitFloatProc(token, &low, &high, &unit, &number), paramErr);
    unit = unitPercent;
    EXPECT_EQ(read.getPinnedUnitFloatProc(token, &low, &high, &unit, &number), coercedParamErr);
    EXPECT_EQ(number, 100.0);
    EXPECT_FALSE(read.getKeyProc(token, &key, &type, &flags));
    EXPECT_EQ(read.closeReadDescriptorProc(token), paramErr);  // the refused getter
    token = read.openReadDescriptorProc(host.parameters_.descriptor, keys);
    while (read.getKeyProc(token, &key, &type, &flags)) {
    }
    EXPECT_EQ(read.closeReadDescriptorProc(token), errMissingParameter);  // 'cccc'
    EXPECT_EQ(read.openReadDescriptorProc(nullptr, keys), nullptr);
}

TEST(ActionDescriptorTest, TextFormRefusesWhatItCannotRead) {
    const char* bad[] = {
        "",
        "filterhost descriptor 2\n",
        "filterhost descriptor 1\n'abc' long 1\n",
        "filterhost descriptor 1\n'abcd' long 1.5\n",
        "filterhost descriptor 1\n'abcd' long 4294967296\n",
        "filterhost descriptor 1\n'abcd' bool 2\n",
        "filterhost descriptor 1\n'abcd' UntF 1\n",
        "filterhost descriptor 1\n'abcd' doub 1 2\n",
        "filterhost descriptor 1\n'abcd' TEXT 123\n",
        "filterhost descriptor 1\n'abcd' objc 'null'\n",
        "filterhost descriptor 1\n0x1234567 long 1\n",
    };
    for (const char* text : bad) {
        Descriptor d;
        std::string error;
        EXPECT_FALSE(filterhost::ParseDescriptorText(text, &d, &error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
    Descriptor d;
    std::string error;
    ASSERT_TRUE(filterhost::ParseDescriptorText(
        "filterhost descriptor 1\r\n# a comment\r\n\r\n0x0001FF7F long 3\r\n'x y ' TEXT \r\n'x y ' TEXT 00FF\r\n", &d,
        &error))
        << error;
    ASSERT_EQ(d.items.size(), 2u);
    EXPECT_EQ(d.items[0].key, 0x0001FF7Fu);
    EXPECT_EQ(d.items[1].text, (std::vector<uint8_t>{0, 255}));  // the last value of a key given twice
    EXPECT_EQ(filterhost::DescriptorText(d), "filterhost descriptor 1\n0x0001FF7F long 3\n'x y ' TEXT 00FF\n");
}

}  // namespace
}  // namespace tavirel::test
