// The settling of a change on its own: which stamps are a change, and when it is read.
#include "guard/StampWatch.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const FileStamp known{1, 10, true};
const FileStamp edited{2, 12, true};
const FileStamp away{0, 0, false};
const FileStamp gone{0, 0, false, true};

// Each row: the stamp of one file looked at every 1000 ms from 0, a quiet time of 2000 ms,
// and the look at which the change has settled (-1: none does); held, a change no stamp
// tells of (a file another program held, let go).
TEST(StampWatch, AChangeIsReadOnceQuietAndAFileOutOfReachIsNone)
{
    struct {
        const char* name;
        FileStamp known;
        std::vector<FileStamp> looks;
        int settles;
        bool held;
    } rows[] = {
        {"unchanged", known, {known, known, known, known}, -1},
        {"edited, then quiet", known, {edited, edited, edited, edited}, 2},
        {"still being written", known, {edited, known, edited, edited, edited}, 4},
        {"out of reach is no change", known, {away, away, away, away}, -1},
        {"back as it was", known, {away, known, known, known}, -1},
        {"first reached", away, {known, known, known}, 2},
        {"out of reach while settling", known, {edited, away, away, away}, 3},
        {"deleted", known, {gone, gone, gone}, 2},
        {"deleted while out of reach", away, {gone, gone, gone}, 2},
        {"held, then let go", known, {known, known, known}, 2, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FileStamp seen;
        StampWatch watch(&seen, 2000);
        int settled = -1;
        for (int i = 0; i < static_cast<int>(row.looks.size()) && settled < 0; ++i)
            if (watch.Settled(&row.looks[i], &row.known, 1, 1000 * i, row.held))
                settled = i;
        EXPECT_EQ(settled, row.settles);
        EXPECT_FALSE(watch.Settling());
    }
}

}  // namespace
