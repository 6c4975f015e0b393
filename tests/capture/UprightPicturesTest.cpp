// Pictures from every kind of camera, at the back and at the front, are kept
// as the live picture showed them: the stored frame with its preview and
// thumbnail, the onion skin laid over the live picture, and the movie.
#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "CaptureScreenTestSupport.h"
#include "RemoteCameraPeer.h"
#include "capture/Capture4KCamera.h"
#include "capture/CaptureRemoteCameraClient.h"
#include "greenscreen/CaptureChromaKeyCamera.h"
#include "platform/graphics/UprightPixels.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/ViewRendering.h"
#include "render/MovieExportType.h"
#include "render/ZantropeMovieRenderer.h"
#include "support/Idioms.h"
#include "support/MediaTools.h"
#include "support/QuadrantPictures.h"

namespace {

using plat::CaptureDevicePosition;
using plat::test::Rgba;

// What the camera shows, and so how a picture of it is read.
enum class Content { Quadrants, TestPattern, GreenScreen, Webcam };

// The share of a region's pixels (in shares of the picture) that pass.
double shareWhere(const plat::Bitmap& pixels, double left, double top, double right, double bottom,
    const std::function<bool(const Rgba&)>& passes)
{
    const int x0 = static_cast<int>(pixels.width() * left), x1 = static_cast<int>(pixels.width() * right);
    const int y0 = static_cast<int>(pixels.height() * top), y1 = static_cast<int>(pixels.height() * bottom);
    int passed = 0, all = 0;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x, ++all)
            passed += passes(plat::test::pixelAt(pixels, x, y));
    }
    return all ? static_cast<double>(passed) / all : 0;
}

// The names of the four ways a picture can stand, by where the source's
// top left corner went: top left, top right, bottom left, bottom right.
constexpr const char* kStands[] = {"upright", "mirrored", "flipped", "turned"};

// The four coloured quadrants: which colour is at each quarter point.
std::string quadrantsStand(const plat::Bitmap& pixels)
{
    const Rgba colours[] = {plat::test::kQuadrantTopLeft, plat::test::kQuadrantTopRight,
        plat::test::kQuadrantBottomLeft, plat::test::kQuadrantBottomRight};
    const int arrangements[4][4] = {{0, 1, 2, 3}, {1, 0, 3, 2}, {2, 3, 0, 1}, {3, 2, 1, 0}};
    int seen[4] = {-1, -1, -1, -1};
    int point = 0;
    for (double y : {0.25, 0.75}) {
        for (double x : {0.25, 0.75}) {
            const Rgba pixel = plat::test::pixelAt(
                pixels, static_cast<int>(pixels.width() * x), static_cast<int>(pixels.height() * y));
            for (int colour = 0; colour < 4; ++colour) {
                if (plat::test::componentDistance(pixel, colours[colour]) < 70)
                    seen[point] = colour;
            }
            ++point;
        }
    }
    for (int stand = 0; stand < 4; ++stand) {
        if (std::equal(std::begin(seen), std::end(seen), arrangements[stand]))
            return kStands[stand];
    }
    return "unreadable";
}

// The test pattern's frame counter sits on a dark box in its top left corner.
std::string testPatternStands(const plat::Bitmap& pixels)
{
    auto dark = [](const Rgba& p) { return std::max({p[0], p[1], p[2]}) < 110; };
    const double corners[4][2] = {{0.01, 0.01}, {0.94, 0.01}, {0.01, 0.95}, {0.94, 0.95}};
    int darkCorner = -1;
    for (int corner = 0; corner < 4; ++corner) {
        const auto [left, top] = corners[corner];
        if (shareWhere(pixels, left, top, left + 0.05, top + 0.03, dark) > 0.3)
            darkCorner = darkCorner == -1 ? corner : 4;
    }
    return darkCorner >= 0 && darkCorner < 4 ? kStands[darkCorner] : "unreadable";
}

// The green screen's figure has its red body above the middle, its legs
// below; left and right look alike.
std::string greenScreenStands(const plat::Bitmap& pixels)
{
    auto red = [](const Rgba& p) { return p[0] > 140 && p[1] < 100 && p[2] < 100; };
    const bool bodyAbove = shareWhere(pixels, 0.47, 0.31, 0.53, 0.35, red) > 0.6;
    const bool bodyBelow = shareWhere(pixels, 0.47, 0.65, 0.53, 0.69, red) > 0.6;
    if (bodyAbove != bodyBelow)
        return bodyAbove ? "upright" : "upside down";
    return "unreadable";
}

// A picture against another of the same camera shown alike (the live
// picture and the onion skin over it): the way it stands that makes it
// most like the other.
std::string standsAgainst(const plat::Bitmap& pixels, const plat::Bitmap& reference)
{
    constexpr int kColumns = 16, kRows = 9;
    double best = 0;
    std::string stands = kStands[0];
    for (int stand = 0; stand < 4; ++stand) {
        const bool mirrored = stand == 1 || stand == 3, flipped = stand >= 2;
        double difference = 0;
        for (int row = 0; row < kRows; ++row) {
            for (int column = 0; column < kColumns; ++column) {
                const double x = (column + 0.5) / kColumns, y = (row + 0.5) / kRows;
                const Rgba seen = plat::test::pixelAt(
                    pixels, static_cast<int>(pixels.width() * x), static_cast<int>(pixels.height() * y));
                const Rgba shown
                    = plat::test::pixelAt(reference, static_cast<int>(reference.width() * (mirrored ? 1 - x : x)),
                        static_cast<int>(reference.height() * (flipped ? 1 - y : y)));
                difference += plat::test::componentDistance(seen, shown);
            }
        }
        if (stand == 0 || difference < best) {
            best = difference;
            stands = kStands[stand];
        }
    }
    return stands;
}

// Anything but the black of an empty view.
bool showsAPicture(const plat::Bitmap& pixels)
{
    return shareWhere(pixels, 0.1, 0.1, 0.9, 0.9, [](const Rgba& p) {
        return std::max({p[0], p[1], p[2]}) > 60;
    }) > 0.5;
}

struct Row {
    const char* camera;
    const char* sourceID;  // empty: the remote camera
    Content content;
    CaptureDevicePosition position;
    const char* stands;  // how its pictures stand, as the live picture showed them
};

// A front camera's live picture is mirrored, as a mirror shows its user;
// the green screen shows its keyed picture as the camera sees it; a remote
// camera's pictures come as its own device shows them.
const Row kRows[] = {
    {"test pattern", "CaptureLocalCamera", Content::TestPattern, CaptureDevicePosition::Back, "upright"},
    {"test pattern", "CaptureLocalCamera", Content::TestPattern, CaptureDevicePosition::Front, "mirrored"},
    {"PNG pictures", "CaptureLocalCamera", Content::Quadrants, CaptureDevicePosition::Back, "upright"},
    {"PNG pictures", "CaptureLocalCamera", Content::Quadrants, CaptureDevicePosition::Front, "mirrored"},
    {"JPEG pictures", "CaptureLocalCamera", Content::Quadrants, CaptureDevicePosition::Back, "upright"},
    {"JPEG pictures", "CaptureLocalCamera", Content::Quadrants, CaptureDevicePosition::Front, "mirrored"},
    {"PNG pictures in Ultra HD", "CaptureLocalUHDTVCamera", Content::Quadrants, CaptureDevicePosition::Back, "upright"},
    {"PNG pictures in Ultra HD", "CaptureLocalUHDTVCamera", Content::Quadrants, CaptureDevicePosition::Front,
        "mirrored"},
    {"green screen", zt::CaptureChromaKeyCamera::kCaptureSourceID, Content::GreenScreen, CaptureDevicePosition::Back,
        "upright"},
    {"green screen", zt::CaptureChromaKeyCamera::kCaptureSourceID, Content::GreenScreen, CaptureDevicePosition::Front,
        "upright"},
    {"webcam", "CaptureLocalCamera", Content::Webcam, CaptureDevicePosition::Back, "upright"},
    {"webcam", "CaptureLocalCamera", Content::Webcam, CaptureDevicePosition::Front, "upright"},
    {"remote camera", "", Content::Quadrants, CaptureDevicePosition::Back, "upright"},
    {"remote camera", "", Content::Quadrants, CaptureDevicePosition::Front, "upright"},
};

constexpr int kMovieWidth = 640;
constexpr int kMovieHeight = 360;

class UprightPictures : public zt::test::CaptureScreenScene,
                        public ::testing::WithParamInterface<plat::UserInterfaceIdiom> {
protected:
    UprightPictures()
        : CaptureScreenScene(GetParam())
    {
        settings().setValue(true, zt::Capture4KCamera::kAlertShownKey);
        peer.setServesQuadrants(true);
        // The machine's own cameras, before the test lists its own.
        EXPECT_TRUE(plat::CaptureDeviceFolder::removeCameraList().ok());
        for (const auto& camera : plat::CaptureDeviceFolder::cameras()) {
            if (camera.kind == plat::CaptureDeviceKind::Video4Linux2 && !webcam)
                webcam = camera;
        }
        auto quadrants = plat::test::makeQuadrantPicture(320, 180, plat::ImageOrientation::Up);
        const std::pair<const char*, std::optional<plat::Data>> folders[]
            = {{"png", plat::PNGRepresentation(*quadrants)}, {"jpeg", plat::JPEGRepresentation(*quadrants, 0.9)}};
        for (const auto& [format, encoded] : folders) {
            const std::string folder = plat::appendingPathComponent(plat::CaptureDeviceFolder::camerasFolder(), format);
            EXPECT_TRUE(plat::createDirectory(folder, plat::IntermediateDirectories::Yes).ok());
            EXPECT_TRUE(plat::writeFileAtomically(
                plat::appendingPathComponent(folder, std::string("quadrants.") + format), *encoded)
                            .ok());
        }
    }

    // The row's camera, alone on the device; none for a webcam the machine lacks.
    std::optional<plat::CaptureDeviceDescription> cameraFor(const Row& row) const
    {
        std::optional<plat::CaptureDeviceDescription> camera;
        switch (row.content) {
        case Content::TestPattern:
            camera = plat::test::testPatternCamera(row.position, 1280, 720, zt::test::kCameraFrameRate);
            break;
        case Content::GreenScreen:
            camera = plat::test::greenScreenCamera(row.position, 1280, 720, zt::test::kCameraFrameRate);
            break;
        case Content::Quadrants:
            camera = plat::test::testPatternCamera(row.position, 1280, 720, zt::test::kCameraFrameRate);
            camera->kind = plat::CaptureDeviceKind::Pictures;
            camera->folder = std::string_view(row.camera).starts_with("JPEG") ? "jpeg" : "png";
            break;
        case Content::Webcam:
            camera = webcam;
            if (camera)
                camera->position = row.position;
            break;
        }
        return camera;
    }

    std::shared_ptr<zt::CaptureController> sourceFor(const Row& row)
    {
        if (std::string_view(row.sourceID).empty()) {
            peer.setPosition(static_cast<int64_t>(row.position));
            if (!remote)
                remote
                    = std::make_shared<zt::CaptureRemoteCameraClient>(plat::URL::URLWithString(peer.baseURL()), "Peer");
            return remote;
        }
        for (const auto& source : *zt::CaptureSources::sharedInstance()->getAvailableCaptureSources()) {
            if (source->captureSourceID() == row.sourceID)
                return source;
        }
        return nullptr;
    }

    // How a stored picture stands; a webcam's picture cannot be read.
    std::string stands(const plat::Bitmap& pixels, Content content) const
    {
        switch (content) {
        case Content::Quadrants:
            return quadrantsStand(pixels);
        case Content::TestPattern:
            return testPatternStands(pixels);
        case Content::GreenScreen:
            return greenScreenStands(pixels);
        case Content::Webcam:
            break;
        }
        return "unreadable";
    }
    std::shared_ptr<const plat::Bitmap> pixelsOf(plat::View& view) const
    {
        auto picture = plat::renderViewToImage(view, 1, /*opaque=*/true);
        return picture ? plat::uprightPixels(*picture) : nullptr;
    }
    std::shared_ptr<const plat::Bitmap> storedPixels(const std::string& prefix, const std::string& frameID) const
    {
        auto stored = plat::Image::imageWithContentsOfFile(
            plat::appendingPathComponent(*project->getProjectPath(), prefix + frameID + ".jpg"));
        return stored ? plat::uprightPixels(*stored) : nullptr;
    }

    // Exports the project and gives each picture of the movie; the first
    // picture comes twice.
    std::vector<std::shared_ptr<plat::Bitmap>> exportedPictures()
    {
        auto renderer = std::make_shared<zt::ZantropeMovieRenderer>(project);
        auto type = std::make_shared<zt::MovieExportType>(
            "MoviePreview", std::nullopt, plat::Size {kMovieWidth, kMovieHeight}, "com.apple.quicktime-movie", "mov");
        bool finished = false;
        renderer->exportProjectWithExportType(type, [&] { finished = true; });
        if (!plat::test::runMainLoopUntil([&] { return finished; }, 120) || !renderer->exportURL())
            return {};
        const std::string path = renderer->exportURL()->path();
        std::vector<std::shared_ptr<plat::Bitmap>> pictures;
        for (const auto& rgb :
            plat::test::decodeVideoWithFFmpeg(plat::deletingLastPathComponent(path), path, kMovieWidth, kMovieHeight)) {
            pictures.push_back(
                plat::test::makeBitmap(kMovieWidth, kMovieHeight, plat::PixelOrder::RGBA, [&](int x, int y) {
                    const size_t at = (static_cast<size_t>(y) * kMovieWidth + static_cast<size_t>(x)) * 3;
                    return Rgba {rgb[at], rgb[at + 1], rgb[at + 2], 255};
                }));
        }
        return pictures;
    }

    zt::test::RemoteCameraPeer peer;
    std::shared_ptr<zt::CaptureRemoteCameraClient> remote;
    std::optional<plat::CaptureDeviceDescription> webcam;
};

TEST_P(UprightPictures, EveryCameraKeepsItsPicturesAsTheLivePictureShowedThem)
{
    plat::test::setUpCameras({cameraFor(kRows[0]).value()});
    showScreen(GetParam() == plat::UserInterfaceIdiom::Pad ? zt::CaptureViewController::kTabletLayout
                                                           : zt::CaptureViewController::kPhoneLayout);
    auto liveArea = outlet<plat::View>("viewCamera");
    auto onion = screen->viewOnionFront();
    ASSERT_TRUE(liveArea && onion);
    EXPECT_EQ(liveArea->convertRect(liveArea->bounds(), nullptr), onion->convertRect(onion->bounds(), nullptr))
        << "the onion skin lies over the live picture";

    std::vector<const Row*> stored;
    for (const Row& row : kRows) {
        const std::string name
            = std::string(row.camera) + (row.position == CaptureDevicePosition::Front ? ", front" : ", back");
        SCOPED_TRACE(name);
        const bool remoteRow = std::string_view(row.sourceID).empty();
        auto camera = cameraFor(row);
        if (!camera && !remoteRow) {
            std::cout << name << ": no webcam on this machine, left out\n";
            continue;
        }
        plat::test::setUpCameras(remoteRow ? std::vector<plat::CaptureDeviceDescription> {}
                                           : std::vector<plat::CaptureDeviceDescription> {*camera});
        settings().setAvCaptureDevicePosition(static_cast<int64_t>(row.position));
        auto source = sourceFor(row);
        ASSERT_TRUE(source);
        screen->switchCaptureSource(source);
        ASSERT_FALSE(source->error()) << source->error()->description();
        std::shared_ptr<const plat::Bitmap> live;
        ASSERT_TRUE(runCameraUntil([&] {
            live = pixelsOf(*liveArea);
            return live && showsAPicture(*live);
        })) << "no live picture";

        // The picture is in the project when the main thread has stored it,
        // which for a remote camera is once its answer has come.
        const size_t before = announcedFrames.size();
        ASSERT_TRUE(driver.tap(*shutter()));
        auto storedIt = [&] { return announcedFrames.size() > before; };
        ASSERT_TRUE(runCameraUntil(storedIt, 8) || plat::test::runMainLoopUntil(storedIt)) << "no picture stored";
        const std::string frameID = announcedFrames.back();
        for (const char* prefix : {"frame-", "preview-", "thumb-"}) {
            auto pixels = storedPixels(prefix, frameID);
            ASSERT_TRUE(pixels) << prefix;
            if (row.content != Content::Webcam) {
                EXPECT_EQ(stands(*pixels, row.content), row.stands) << prefix;
            }
        }
        // Only the onion skin shows: the new picture where the live one was.
        screen->showImageView();
        auto onionPixels = pixelsOf(*onion);
        ASSERT_TRUE(onionPixels);
        EXPECT_EQ(standsAgainst(*onionPixels, *live), "upright") << "the onion skin against the live picture";
        screen->showLiveView();
        endStill();
        stored.push_back(&row);
    }

    auto movie = exportedPictures();
    ASSERT_EQ(movie.size(), stored.size() + 1);
    for (size_t i = 0; i < stored.size(); ++i) {
        if (stored[i]->content != Content::Webcam) {
            EXPECT_EQ(stands(*movie[i + 1], stored[i]->content), stored[i]->stands)
                << stored[i]->camera << ", picture " << i << " of the movie";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Idioms, UprightPictures, plat::test::bothIdioms(), plat::test::idiomName);

}  // namespace
