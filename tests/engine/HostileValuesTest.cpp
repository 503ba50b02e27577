// Values a damaged or hostile archive may carry that the producer never
// writes: they are refused as damage or kept within bounds, never computed
// with past the ranges they were meant for.
#include <cmath>
#include <limits>

#include "ArchiveBuilder.h"
#include "EngineTestSupport.h"

namespace kav::test {
namespace {

using kavmake::ArchiveBuilder;

class HostileValuesTest : public ScratchTest {};

TEST_F(HostileValuesTest, DatesOutsideYearsOneToNineThousandAreDamage) {
    const double firstDay = kavmake::DateFromCivil(1, 1, 1);
    const double lastMoment = kavmake::DateFromCivil(9999, 12, 31, 23, 59, 59);
    struct Case {
        double date;
        bool damaged;
    } cases[] = {
        {firstDay, false},
        {lastMoment, false},
        {firstDay - 1, true},
        {lastMoment + 1, true},
        {-1e300, true},
        {1e300, true},
        {std::numeric_limits<double>::quiet_NaN(), true},
        {std::numeric_limits<double>::infinity(), true},
    };
    for (const Case& c : cases) {
        ArchiveBuilder b;
        b.AddFile("a.txt", "alfa", {.date = c.date});
        b.WriteTo(Path("A.KAV"));
        TExtractor e;
        e.SetFileName(Path("A.KAV"));
        e.ExtractPath = Path("out");
        e.RestoreAction = raOverwrite;
        e.ErrorAction = eaAbort;
        try {
            e.ExtractFiles();
            EXPECT_FALSE(c.damaged) << c.date;
        } catch (const EArchiver& ex) {
            EXPECT_TRUE(c.damaged) << c.date;
            EXPECT_STREQ(ex.what(), kMsgDamaged) << c.date;
        }
    }
}

TEST_F(HostileValuesTest, ProgressStaysWithinZeroToHundredWhateverTheTotalsSay) {
    ArchiveBuilder b({.blockSize = 1024});
    b.AddFile("a.bin", kavmake::MixedData(5000));
    const std::string good = b.Bytes();
    // ArchiveInfo.PackedSize and SegmentInfo.PackedSize, both far below the
    // bytes that are processed.
    constexpr size_t kArchivePacked = 25 + 14, kSegmentPacked = 49 + 14;
    for (double total : {1.0, 1e-300, std::numeric_limits<double>::denorm_min()}) {
        std::string bytes = good;
        std::string value;
        PutExtended(value, total);
        bytes.replace(kArchivePacked, value.size(), value);
        bytes.replace(kSegmentPacked, value.size(), value);
        TExtractor e;
        e.SetFileName(Put("A.KAV", bytes));
        e.ExtractPath = Path("out");
        e.RestoreAction = raOverwrite;
        EventLog log(e);
        e.ExtractFiles();
        e.EnumerateFiles();
        ASSERT_FALSE(log.percents.empty());
        for (int32_t p : log.percents) {
            EXPECT_GE(p, 0) << total;
            EXPECT_LE(p, 100) << total;
        }
    }
}

}  // namespace
}  // namespace kav::test
