#include "app/UnreadableFramesMessage.h"

#include <gtest/gtest.h>

namespace {

using zt::UnreadablePictureFill;

TEST(UnreadableFramesMessage, NamesTheFramesByTheirPlaceInTheFilmAndSaysWhatTookTheirPlace)
{
    struct Case {
        std::vector<int64_t> positions;
        UnreadablePictureFill fill;
        const char* told;
    };
    const Case cases[] = {
        {{3}, UnreadablePictureFill::LeftOut,
            "The picture of frame 3 is damaged or missing. The export was made without it."},
        {{2, 4}, UnreadablePictureFill::LeftOut,
            "The pictures of frames 2 and 4 are damaged or missing. The export was made without them."},
        {{2, 3}, UnreadablePictureFill::LeftOut,
            "The pictures of frames 2 and 3 are damaged or missing. The export was made without them."},
        {{2, 3, 4, 9}, UnreadablePictureFill::LeftOut,
            "The pictures of frames 2–4 and 9 are damaged or missing. The export was made without them."},
        {{1, 3, 5, 7, 9, 11, 13, 15, 17, 18, 19, 30}, UnreadablePictureFill::LeftOut,
            "The pictures of frames 1, 3, 5, 7, 9, 11, 13, 15 and 4 more are damaged or missing. The export was "
            "made without them."},
        {{3}, UnreadablePictureFill::Black,
            "The picture of frame 3 is damaged or missing. The movie shows a black picture in its place."},
        {{2, 3, 4, 9}, UnreadablePictureFill::Black,
            "The pictures of frames 2–4 and 9 are damaged or missing. The movie shows a black picture in their "
            "place."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(zt::unreadableFramesMessage(c.positions, c.fill), c.told);
}

TEST(UnreadableFramesMessage, NamesTheSoundsAMovieWasMadeWithout)
{
    struct Case {
        std::vector<std::string> names;
        const char* told;
    };
    const Case cases[] = {
        {{"Birdsong"}, "The sound “Birdsong” is damaged or missing. The movie was made without it."},
        {{"bad \u202Eevil"}, "The sound “bad \\u202Eevil” is damaged or missing. The movie was made without it."},
        {{"Birdsong", "00:04"},
            "The sounds “Birdsong” and “00:04” are damaged or missing. The movie was made without them."},
        {{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"},
            "The sounds “a”, “b”, “c”, “d”, “e”, “f”, “g”, “h” and 2 more are damaged or missing. The movie was "
            "made without them."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(zt::unreadableSoundsMessage(c.names), c.told);
}

}  // namespace
