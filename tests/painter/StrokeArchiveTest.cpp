#include "painter/StrokeArchive.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

#include "painter/PointFunctions.h"
#include "painter/Stroke.h"
#include "painter/StrokeSampler.h"
#include "platform/foundation/KeyedArchive.h"
#include "platform/foundation/PropertyList.h"

namespace {

using zt::LinePoint;
using zt::Stroke;
using zt::StrokeArchive;

std::shared_ptr<Stroke> drawnStroke()
{
    auto stroke = std::make_shared<Stroke>();
    stroke->setType(zt::kBrushTypeFountainPen);
    stroke->setColor(0.25f, 0.5f, 0.75f, 1.0f);
    stroke->setBrushSize(10);
    stroke->setOffset({-12.5, 30});
    stroke->setAngle(45);
    stroke->setImage("stamp.png");
    stroke->addWindow({LinePoint({1, 2}, 3), LinePoint({4, 5}, 6), LinePoint({7.25, 8.5}, 9)});
    stroke->addWindow({LinePoint({4, 5}, 6), LinePoint({7.25, 8.5}, 9), LinePoint({10, 11}, 12.5f)});
    stroke->setVelocities({3, 6, 9, 12.5f});
    return stroke;
}

// A record that says it is a stroke but holds anything it is given.
class ForgedStroke : public plat::Coding {
public:
    explicit ForgedStroke(plat::Value points, std::string className = "Stroke")
        : _points(std::move(points))
        , _className(std::move(className))
    {
    }
    std::string classNameForCoder() const override { return _className; }
    void encodeWithCoder(plat::KeyedArchiver& coder) const override
    {
        coder.encodeObject(_points, "points");
        coder.encodeInt32(200, "type");
    }

private:
    plat::Value _points;
    std::string _className;
};

plat::Data archiveOf(const plat::Value& root)
{
    auto data = plat::KeyedArchiver::archivedDataWithRootObject(root);
    EXPECT_TRUE(data.ok());
    return data.ok() ? data.value() : plat::Data {};
}

}  // namespace

TEST(StrokeArchive, AStrokeComesBackWithItsFieldsButNotItsAngleAndImage)
{
    auto archive = StrokeArchive::archivedDataWithStrokes({drawnStroke()});
    ASSERT_TRUE(archive.ok());
    auto strokes = StrokeArchive::strokesWithData(archive.value());
    ASSERT_TRUE(strokes.ok()) << strokes.error().description();
    ASSERT_EQ(strokes.value().size(), 1u);
    const Stroke& back = *strokes.value()[0];
    const auto kept = drawnStroke();
    const Stroke& original = *kept;
    EXPECT_EQ(back.type(), original.type());
    EXPECT_EQ(back.red(), 0.25f);
    EXPECT_EQ(back.green(), 0.5f);
    EXPECT_EQ(back.blue(), 0.75f);
    EXPECT_EQ(back.alpha(), 1.0f);
    EXPECT_EQ(back.brushSize(), 10);
    EXPECT_EQ(back.offset(), (plat::Point {-12.5, 30}));
    EXPECT_EQ(back.points(), original.points());
    EXPECT_EQ(back.velocities(), original.velocities());
    EXPECT_FALSE(back.moveDisplacement());
    EXPECT_EQ(back.angle(), 0);
    EXPECT_EQ(back.image(), "");
}

TEST(StrokeArchive, AMoveHoldsOneSampleNotAWindow)
{
    auto move = std::make_shared<Stroke>();
    move->setType(zt::kBrushTypeMove);
    move->setMoveDisplacement(LinePoint({-30, -20}, 0));
    auto strokes = StrokeArchive::strokesWithData(StrokeArchive::archivedDataWithStrokes({move}).value());
    ASSERT_TRUE(strokes.ok());
    const Stroke& back = *strokes.value()[0];
    ASSERT_TRUE(back.moveDisplacement());
    EXPECT_EQ(back.moveDisplacement()->pos(), (plat::Point {-30, -20}));
    EXPECT_TRUE(back.points().empty());
}

TEST(StrokeArchive, AnEmptyListComesBackEmpty)
{
    auto strokes = StrokeArchive::strokesWithData(StrokeArchive::archivedDataWithStrokes({}).value());
    ASSERT_TRUE(strokes.ok());
    EXPECT_TRUE(strokes.value().empty());
}

TEST(StrokeArchive, TheArchiveHasThePlatformsKeyedArchiveLayout)
{
    auto archive = StrokeArchive::archivedDataWithStrokes({drawnStroke()});
    ASSERT_TRUE(archive.ok());
    ASSERT_GT(archive.value().size(), 8u);
    EXPECT_EQ(std::string(archive.value().begin(), archive.value().begin() + 8), "bplist00");
    auto plist = plat::PropertyListSerialization::propertyListWithData(archive.value());
    ASSERT_TRUE(plist.ok());
    auto top = plist.value().asDictionary();
    ASSERT_TRUE(top);
    EXPECT_EQ(top->getString("$archiver"), "NSKeyedArchiver");
    EXPECT_EQ(top->getInt64("$version"), 100000);
    ASSERT_TRUE(top->getDictionary("$top"));
    EXPECT_TRUE(top->getDictionary("$top")->contains("root"));
    const auto objects = top->getArray("$objects");
    ASSERT_TRUE(objects);
    std::vector<std::string> classNames;
    for (const auto& entry : *objects) {
        if (auto record = entry.asDictionary(); record && record->contains("$classname"))
            classNames.push_back(*record->getString("$classname"));
    }
    for (const char* expected : {"Stroke", "LinePoint", "NSMutableArray"})
        EXPECT_NE(std::find(classNames.begin(), classNames.end(), expected), classNames.end()) << expected;
    // The stroke's keys, as the platform's readers look for them.
    bool sawStroke = false;
    for (const auto& entry : *objects) {
        auto record = entry.asDictionary();
        if (!record || !record->contains("brushSize"))
            continue;
        sawStroke = true;
        for (const char* key : {"points", "velocities", "type", "red", "green", "blue", "alpha", "offset"})
            EXPECT_TRUE(record->contains(key)) << key;
        EXPECT_EQ(record->getString("offset"), "{-12.5, 30}");
    }
    EXPECT_TRUE(sawStroke);
}

TEST(StrokeArchive, ArchivesOfOtherShapesOrClassesAreRefused)
{
    const std::vector<std::pair<std::string, plat::Data>> refused {
        {"not an archive", plat::Data {'n', 'o', 'p', 'e'}},
        {"a dictionary root", archiveOf(plat::Value(plat::Dictionary {{"a", plat::Value(1)}}))},
        {"a list of numbers", archiveOf(plat::Value(plat::Array {plat::Value(1), plat::Value(2)}))},
        {"an unknown class",
            archiveOf(plat::Value(
                plat::Array {plat::Value(std::make_shared<ForgedStroke>(plat::Value(plat::Array {}), "Frame"))}))},
        {"points of numbers",
            archiveOf(plat::Value(plat::Array {plat::Value(std::make_shared<ForgedStroke>(
                plat::Value(plat::Array {plat::Value(plat::Array {plat::Value(1.5)})})))}))},
        {"points that are text",
            archiveOf(plat::Value(plat::Array {plat::Value(std::make_shared<ForgedStroke>(plat::Value("points")))}))},
    };
    for (const auto& [what, data] : refused) {
        auto strokes = StrokeArchive::strokesWithData(data);
        EXPECT_FALSE(strokes.ok()) << what;
        if (!strokes.ok()) {
            EXPECT_EQ(strokes.error().domain(), StrokeArchive::kErrorDomain) << what;
        }
    }
}

// The size of the canvas the strokes were painted on sits beside the list;
// a value there that is not a canvas's size makes the archive as damaged as
// a bad stroke.
TEST(StrokeArchive, TheCanvasSizeSitsBesideTheStrokeList)
{
    auto sized = StrokeArchive::archivedDataWithStrokes({drawnStroke()}, plat::Size {568, 319});
    ASSERT_TRUE(sized.ok());
    auto forged = [](const std::function<void(plat::KeyedArchiver&)>& encode) {
        return plat::KeyedArchiver::archivedDataWithRootObject(plat::Value(plat::Array {}), encode).value();
    };
    struct Case {
        const char* what;
        plat::Data archive;
        const char* read;
    };
    const Case cases[] = {
        {"a phone's canvas", sized.value(), "1 stroke on {568, 319}"},
        {"an archive of earlier versions", StrokeArchive::archivedDataWithStrokes({drawnStroke()}).value(),
            "1 stroke on no known canvas"},
        {"no width", forged([](plat::KeyedArchiver& coder) {
             coder.encodeSize({0, 576}, "canvasSize");
         }),
            "refused"},
        {"beyond any screen", forged([](plat::KeyedArchiver& coder) {
             coder.encodeSize({1e9, 576}, "canvasSize");
         }),
            "refused"},
        {"not a number", forged([](plat::KeyedArchiver& coder) {
             coder.encodeSize({NAN, 576}, "canvasSize");
         }),
            "refused"},
        {"a number", forged([](plat::KeyedArchiver& coder) { coder.encodeInt32(1024, "canvasSize"); }), "refused"},
    };
    for (const Case& c : cases) {
        auto painted = StrokeArchive::paintedStrokesWithData(c.archive);
        std::string read = "refused";
        if (painted.ok())
            read = std::to_string(painted.value().strokes.size()) + " stroke on "
                + (painted.value().canvasSize ? plat::stringFromSize(*painted.value().canvasSize) : "no known canvas");
        EXPECT_EQ(read, c.read) << c.what;
    }
}

TEST(StrokeArchive, SamplesThatAreNotFiniteAreRefused)
{
    auto stroke = drawnStroke();
    stroke->addWindow({LinePoint({1, 1}, std::numeric_limits<float>::quiet_NaN())});
    auto strokes = StrokeArchive::strokesWithData(StrokeArchive::archivedDataWithStrokes({stroke}).value());
    EXPECT_FALSE(strokes.ok());
}

TEST(StrokeArchive, AnExactBrushSizeComesBackAndOneThatIsNoSizeIsRefused)
{
    const double inf = std::numeric_limits<double>::infinity();
    for (double exact : {1.6640625, 0.0, -3.0, std::nan(""), inf}) {
        auto stroke = drawnStroke();
        stroke->setExactBrushSize(exact);
        auto strokes = StrokeArchive::strokesWithData(StrokeArchive::archivedDataWithStrokes({stroke}).value());
        const std::string read = !strokes.ok()     ? "refused"
            : strokes.value()[0]->exactBrushSize() ? std::to_string(*strokes.value()[0]->exactBrushSize())
                                                   : "none";
        EXPECT_EQ(read, exact == 1.6640625 ? "1.664062" : "refused") << exact;
    }
}

TEST(StrokeArchive, AStrokeListedTwiceBecomesTwoStrokes)
{
    auto stroke = drawnStroke();
    auto strokes = StrokeArchive::strokesWithData(StrokeArchive::archivedDataWithStrokes({stroke, stroke}).value());
    ASSERT_TRUE(strokes.ok());
    ASSERT_EQ(strokes.value().size(), 2u);
    EXPECT_NE(strokes.value()[0], strokes.value()[1]);
}

TEST(PointFunctions, ClampAndLengthAtTheirBoundaries)
{
    EXPECT_EQ(zt::clampValue(0.5f, 1.0f, 40.0f), 1.0f);
    EXPECT_EQ(zt::clampValue(100, 40.0f, 1.0f), 40.0f);
    EXPECT_EQ(zt::clampValue(40.0f, 1.0f, 40.0f), 40.0f);
    EXPECT_EQ(zt::clampValue(7.0f, 1.0f, 40.0f), 7.0f);
    EXPECT_EQ(zt::pointLength({3, 4}), 5.0);
    EXPECT_EQ(zt::pointDistance({1, 1}, {4, 5}), 5.0);
    EXPECT_EQ(zt::pointAdd({1, 2}, {3, 4}), (plat::Point {4, 6}));
    EXPECT_EQ(zt::pointSubtract({1, 2}, {3, 5}), (plat::Point {-2, -3}));
    EXPECT_EQ(zt::pointScale({1, -2}, 0.5), (plat::Point {0.5, -1}));
}

TEST(StrokeSampler, WidthsAreClampedAndSmoothedFromTheThirdSampleOn)
{
    zt::StrokeSampler sampler;
    EXPECT_EQ(sampler.extractSize({0, 0}), 1.0f);  // below the smallest
    EXPECT_EQ(sampler.extractSize({30000, 40000}), 40.0f);  // past the largest
    // 830 points per second is 5.0; then 0.2 of it and 0.8 of 40.
    EXPECT_FLOAT_EQ(sampler.extractSize({830, 0}), 0.2f * 5.0f + 0.8f * 40.0f);
    EXPECT_EQ(sampler.velocities().size(), 3u);
}

TEST(StrokeSampler, SamplesCloserThanOneAndAHalfPixelsAreNotTaken)
{
    zt::StrokeSampler sampler;
    EXPECT_TRUE(sampler.acceptsSampleAt({10, 10}));
    sampler.startNewLineFrom({10, 10}, 1);
    EXPECT_FALSE(sampler.acceptsSampleAt({11, 11}));
    EXPECT_TRUE(sampler.acceptsSampleAt({11.5, 10}));
}

TEST(StrokeSampler, TheCurveHas33To129SamplesPerTripleAndKeepsTheLastTwo)
{
    zt::StrokeSampler sampler;
    sampler.startNewLineFrom({0, 0}, 1);
    sampler.addPoint({0, 0}, 1);
    EXPECT_FALSE(sampler.calculateSmoothLinePoints());
    sampler.addPoint({100, 0}, 3);
    sampler.addPoint({1000, 0}, 5);
    auto curve = sampler.calculateSmoothLinePoints();
    ASSERT_TRUE(curve);
    // Midpoints 0 to 50 (25 halves: 32 samples), then 50 to 550 (250: 128 at most), each plus its end.
    EXPECT_EQ(curve->size(), 33u + 129u);
    EXPECT_EQ(curve->front().pos(), (plat::Point {0, 0}));
    EXPECT_EQ((*curve)[32].pos(), (plat::Point {50, 0}));
    EXPECT_FLOAT_EQ((*curve)[32].width(), 2.0f);
    EXPECT_EQ(curve->back().pos(), (plat::Point {550, 0}));
    ASSERT_EQ(sampler.points().size(), 2u);
    EXPECT_EQ(sampler.points()[0].pos(), (plat::Point {100, 0}));
}
