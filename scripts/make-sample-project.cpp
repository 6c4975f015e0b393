// Makes resources/sample.zip, the project every new device starts with: a
// short animation of a bouncing ball, drawn and stored with the app's own
// code (so its "plovix.meta", "frames.meta" and pictures are what the app
// writes), then packed flat as a project archive.
// Usage: make_sample_project OUTPUT.zip (scripts/make-sample-project.sh).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <string>

#include "document/Frame.h"
#include "document/FrameList.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "document/QVZipArchive.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Sandbox.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

namespace {

constexpr int kWidth = 960;
constexpr int kHeight = 540;
constexpr int kFrames = 15;
constexpr int kBounces = 3;
constexpr double kGroundY = 430;
constexpr double kBallRadius = 46;
constexpr double kHopHeight = 230;
const plat::Color kTint = plat::Color::colorWithRed(212 / 255.0, 3 / 255.0, 215 / 255.0, 1);

// The ball's centre and squash at step t (0 to 1 over the movie): kBounces
// hops from left to right, touching the ground at each hop's ends.
struct BallPose {
    double x, y, squash;
};

BallPose poseAt(double t)
{
    double hop = std::fmod(t * kBounces, 1.0);
    double height = 4 * hop * (1 - hop) * kHopHeight;  // a parabola, 0 at both ends
    double squash = height < 20 ? 1 - (20 - height) / 80 : 1;
    return {120 + t * (kWidth - 240), kGroundY - kBallRadius * squash - height, squash};
}

std::shared_ptr<plat::Image> drawFrame(int index)
{
    auto context = plat::GraphicsContext::bitmapContext(kWidth, kHeight, 1, plat::ContextOpacity::Opaque);
    plat::Gradient sky({plat::Color::colorWithRed(0.55, 0.78, 0.96, 1), plat::Color::colorWithRed(0.93, 0.96, 1, 1)});
    context->drawLinearGradient(sky, {0, 0}, {0, kGroundY}, plat::GradientDrawsAfterEndLocation);
    context->setFillColor(plat::Color::colorWithRed(0.42, 0.62, 0.30, 1));
    context->fillRect(plat::makeRect(0, kGroundY, kWidth, kHeight - kGroundY));
    context->setFillColor(plat::Color::colorWithRed(0.35, 0.52, 0.25, 1));
    context->fillRect(plat::makeRect(0, kGroundY, kWidth, 6));

    BallPose pose = poseAt(static_cast<double>(index) / (kFrames - 1));
    double lift = (kGroundY - kBallRadius * pose.squash - pose.y) / kHopHeight;
    context->setFillColor(plat::Color::colorWithWhite(0, 0.25 * (1 - 0.6 * lift)));
    double shadow = kBallRadius * (1.2 - 0.5 * lift);
    context->fillEllipseInRect(plat::makeRect(pose.x - shadow, kGroundY - 8, 2 * shadow, 16));

    double rx = kBallRadius / std::sqrt(pose.squash), ry = kBallRadius * pose.squash;
    context->setFillColor(kTint);
    context->fillEllipseInRect(plat::makeRect(pose.x - rx, pose.y - ry, 2 * rx, 2 * ry));
    context->setFillColor(plat::Color::colorWithWhite(1, 0.55));
    context->fillEllipseInRect(plat::makeRect(pose.x - rx * 0.5, pose.y - ry * 0.65, rx * 0.55, ry * 0.4));

    context->setFillColor(plat::Color::colorWithWhite(0.15, 0.8));
    context->drawText("Zantrope", plat::makeRect(24, 20, 400, 40), plat::Font::boldSystemFontOfSize(28),
        plat::LineBreakMode::Clipping, plat::TextAlignment::Left);
    return context->makeImage();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.zip\n", argv[0]);
        return 2;
    }
    const std::string output = argv[1];
    plat::RunLoop::main().bindToCurrentThread();
    char pattern[] = "/tmp/zantrope-sample-XXXXXX";
    if (!::mkdtemp(pattern)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string work = pattern;
    plat::Sandbox::setCurrent(std::make_shared<plat::Sandbox>(work));

    auto project = std::make_shared<zt::ProjectModel>(std::nullopt);
    zt::ImageProducer producer(project);
    zt::FrameList& list = project->getFrameList();
    std::string thumbnailFrame;
    for (int i = 0; i < kFrames; ++i) {
        zt::Frame frame(zt::FrameTypePicture);
        if (!producer.storeImage(*drawFrame(i), frame.frameID())) {
            std::fprintf(stderr, "cannot store frame %d\n", i);
            return 1;
        }
        list.insertFrame(frame, list.getCaptureIndex());
        if (i == 2)
            thumbnailFrame = frame.frameID();  // the ball high in the air
    }
    auto metadata = project->getMetaData();
    metadata->set("RecordName", "Bouncing Ball");
    metadata->set("META_RECORD_THUMB_FRAME_ID", thumbnailFrame);
    metadata->set("CurrentFrameIndex", static_cast<int64_t>(kFrames));
    metadata->set("RecordNeedsRendering", true);
    if (auto saved = project->saveAllDataToDisk(); !saved.ok()) {
        std::fprintf(stderr, "%s\n", saved.error().localizedDescription().c_str());
        return 1;
    }

    const std::string folder = *project->getProjectPath();
    auto names = plat::contentsOfDirectory(folder);
    if (!names.ok()) {
        std::fprintf(stderr, "%s\n", names.error().localizedDescription().c_str());
        return 1;
    }
    std::vector<std::string> files;
    for (const std::string& name : names.value())
        files.push_back(folder + "/" + name);
    std::optional<plat::Error> error;
    bool packed = zt::QVZipArchive::createZipFileAtPath(output, files, &error);
    (void)plat::removeItem(work);
    if (!packed) {
        std::fprintf(stderr, "%s\n", error ? error->localizedDescription().c_str() : "cannot pack");
        return 1;
    }
    std::printf("%s: %zu files, %d frames\n", output.c_str(), files.size(), kFrames);
    return 0;
}
