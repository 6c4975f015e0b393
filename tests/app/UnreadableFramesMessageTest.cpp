#include "app/UnreadableFramesMessage.h"

#include <gtest/gtest.h>

namespace {

TEST(UnreadableFramesMessage, NamesTheFramesByTheirPlaceInTheFilm)
{
    struct Case {
        std::vector<int64_t> positions;
        const char* told;
    };
    const Case cases[] = {
        {{3}, "The picture of frame 3 is damaged or missing. The export was made without it."},
        {{2, 4}, "The pictures of frames 2 and 4 are damaged or missing. The export was made without them."},
        {{2, 3}, "The pictures of frames 2 and 3 are damaged or missing. The export was made without them."},
        {{2, 3, 4, 9}, "The pictures of frames 2–4 and 9 are damaged or missing. The export was made without them."},
        {{1, 3, 5, 7, 9, 11, 13, 15, 17, 18, 19, 30},
            "The pictures of frames 1, 3, 5, 7, 9, 11, 13, 15 and 4 more are damaged or missing. The export was "
            "made without them."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(zt::unreadableFramesMessage(c.positions), c.told);
}

}  // namespace
