#include "platform/media/EncoderFolder.h"

#include <cmath>

#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Sandbox.h"

namespace plat {

namespace {

constexpr const char* kEncoderFolderName = "Encoder";
constexpr const char* kEncoderFileName = "Encoder.plist";
constexpr const char* kFramesPerSecondKey = "FramesPerSecond";

bool isUsableSpeed(double framesPerSecond)
{
    return std::isfinite(framesPerSecond) && framesPerSecond > 0;
}

}  // namespace

std::string EncoderFolder::encoderFolder()
{
    return appendingPathComponent(Sandbox::current()->root(), kEncoderFolderName);
}

std::string EncoderFolder::encoderFilePath()
{
    return appendingPathComponent(encoderFolder(), kEncoderFileName);
}

std::optional<double> EncoderFolder::framesPerSecond()
{
    const std::string path = encoderFilePath();
    if (!fileExists(path))
        return std::nullopt;
    auto entry = dictionaryWithContentsOfFile(path);
    const Value* speed = entry ? entry->find(kFramesPerSecondKey) : nullptr;
    const std::optional<double> framesPerSecond
        = speed && speed->isNumber() && !speed->isBoolean() ? speed->doubleValue() : std::nullopt;
    if (!framesPerSecond || !isUsableSpeed(*framesPerSecond)) {
        log("encoder: {} gives no speed above 0 under {}; the encoder is as fast as the machine", path,
            kFramesPerSecondKey);
        return std::nullopt;
    }
    return framesPerSecond;
}

Result<void> EncoderFolder::writeFramesPerSecond(double framesPerSecond)
{
    if (!isUsableSpeed(framesPerSecond))
        return Error("EncoderFolder", 1, "an encoder's speed is a number of pictures a second above 0");
    auto made = createDirectory(encoderFolder(), IntermediateDirectories::Yes);
    if (!made.ok())
        return made.error();
    return writePropertyListFile(Dictionary {{kFramesPerSecondKey, framesPerSecond}}, encoderFilePath());
}

}  // namespace plat
