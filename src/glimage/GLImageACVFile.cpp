#include "glimage/GLImageACVFile.h"

#include <string>

#include "platform/foundation/Log.h"

namespace zt {

namespace {

constexpr const char* kACVFileErrorDomain = "GLImageACVFile";
constexpr size_t kCurvesUsed = 4;
constexpr int16_t kLargestValue = 255;
// The single-precision 1/255 the values are scaled by.
constexpr float kValueScale = 0.003921569f;

// Reads big-endian numbers, each only when the bytes for it remain.
class ACVReader {
public:
    explicit ACVReader(const plat::Data& data)
        : _data(data)
    {
    }
    size_t remaining() const { return _data.size() - _offset; }
    bool readInt16(int16_t& value)
    {
        uint16_t bits = 0;
        if (!readUInt16(bits))
            return false;
        value = int16_t(bits);
        return true;
    }
    bool readUInt16(uint16_t& value)
    {
        if (remaining() < 2)
            return false;
        value = uint16_t((uint16_t(_data[_offset]) << 8) | uint16_t(_data[_offset + 1]));
        _offset += 2;
        return true;
    }
    size_t offset() const { return _offset; }

private:
    const plat::Data& _data;
    size_t _offset = 0;
};

plat::Error acvError(int64_t code, const std::string& description)
{
    return plat::Error(kACVFileErrorDomain, code, "Cannot read the tone curve file: " + description);
}

}  // namespace

plat::Result<GLImageACVFile> GLImageACVFile::initWithACVFileData(const plat::Data& data)
{
    if (data.empty()) {
        plat::log("failed to init ACVFile with data:{}", "<>");
        return acvError(kErrorEmpty, "it is empty");
    }
    ACVReader reader(data);
    GLImageACVFile file;
    if (!reader.readInt16(file._version) || !reader.readInt16(file._totalCurves))
        return acvError(kErrorTruncated, "it ends within its header");
    if (file._totalCurves < int16_t(kCurvesUsed))
        return acvError(kErrorTooFewCurves,
            "it holds " + std::to_string(file._totalCurves)
                + " curves, not the four of composite, red, green and blue");

    std::vector<std::vector<plat::Point>> curves;
    for (int16_t index = 0; index < file._totalCurves; ++index) {
        uint16_t pointCount = 0;
        if (!reader.readUInt16(pointCount))
            return acvError(kErrorTruncated, "it ends before curve " + std::to_string(index));
        // Every count is checked against what is left before anything is made of it.
        if (reader.remaining() / 4 < pointCount)
            return acvError(kErrorTruncated,
                "curve " + std::to_string(index) + " has " + std::to_string(pointCount) + " points but only "
                    + std::to_string(reader.remaining()) + " bytes remain");
        std::vector<plat::Point> points;
        points.reserve(pointCount);
        for (uint16_t p = 0; p < pointCount; ++p) {
            int16_t output = 0;
            int16_t input = 0;
            (void)reader.readInt16(output);
            (void)reader.readInt16(input);
            if (output < 0 || output > kLargestValue || input < 0 || input > kLargestValue)
                return acvError(kErrorValueOutOfRange,
                    "point " + std::to_string(p) + " of curve " + std::to_string(index) + " lies outside 0 to 255");
            points.push_back({double(float(input) * kValueScale), double(float(output) * kValueScale)});
        }
        // Curves past the four used are checked, not kept.
        if (curves.size() < kCurvesUsed)
            curves.push_back(std::move(points));
    }
    file._rgbCompositeCurvePoints = std::move(curves[0]);
    file._redCurvePoints = std::move(curves[1]);
    file._greenCurvePoints = std::move(curves[2]);
    file._blueCurvePoints = std::move(curves[3]);
    return file;
}

}  // namespace zt
