#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/foundation/KeyedArchive.h"

namespace {

// A small drawing class like the app's, so that custom records, nested
// objects and every decode operation are reached.
class FuzzPoint : public plat::Coding {
public:
    std::string classNameForCoder() const override { return "LinePoint"; }
    void encodeWithCoder(plat::KeyedArchiver& coder) const override
    {
        coder.encodePoint(pos, "pos");
        coder.encodeFloat(width, "width");
        coder.encodeObject(next, "next");
        coder.encodeRect(bounds, "bounds");
        coder.encodeSize(size, "size");
        coder.encodeInt32(count, "count");
        coder.encodeInt64(total, "total");
        coder.encodeBool(flag, "flag");
        coder.encodeDouble(ratio, "ratio");
    }

    plat::Point pos;
    float width = 0;
    plat::Value next;
    plat::Rect bounds;
    plat::Size size;
    int32_t count = 0;
    int64_t total = 0;
    bool flag = false;
    double ratio = 0;
};

std::shared_ptr<plat::Coding> decodePoint(plat::KeyedUnarchiver& coder)
{
    auto point = std::make_shared<FuzzPoint>();
    point->pos = coder.decodePointForKey("pos");
    point->width = coder.decodeFloatForKey("width");
    point->next = coder.decodeObjectForKey("next");
    point->bounds = coder.decodeRectForKey("bounds");
    point->size = coder.decodeSizeForKey("size");
    point->count = coder.decodeInt32ForKey("count");
    point->total = coder.decodeInt64ForKey("total");
    point->flag = coder.decodeBoolForKey("flag");
    point->ratio = coder.decodeDoubleForKey("ratio");
    if (coder.containsValueForKey("fail"))
        coder.failWithError(plat::Error("Fuzz", 1, "asked to fail"));
    return point;
}

// The painter's stroke record, with its keys, so that stroke archives
// (canvas files) decode through nested lists of samples.
class FuzzStroke : public plat::Coding {
public:
    std::string classNameForCoder() const override { return "Stroke"; }
    void encodeWithCoder(plat::KeyedArchiver& coder) const override
    {
        coder.encodeObject(points, "points");
        coder.encodeObject(velocities, "velocities");
        coder.encodeInt32(type, "type");
        coder.encodeFloat(red, "red");
        coder.encodeFloat(alpha, "alpha");
        coder.encodeInt64(brushSize, "brushSize");
        coder.encodePoint(offset, "offset");
    }

    plat::Value points;
    plat::Value velocities;
    int32_t type = 0;
    float red = 0;
    float alpha = 0;
    int64_t brushSize = 0;
    plat::Point offset;
};

std::shared_ptr<plat::Coding> decodeStroke(plat::KeyedUnarchiver& coder)
{
    auto stroke = std::make_shared<FuzzStroke>();
    stroke->points = coder.decodeObjectForKey("points");
    stroke->velocities = coder.decodeObjectForKey("velocities");
    stroke->type = coder.decodeInt32ForKey("type");
    stroke->red = coder.decodeFloatForKey("red");
    stroke->alpha = coder.decodeFloatForKey("alpha");
    stroke->brushSize = coder.decodeInt64ForKey("brushSize");
    stroke->offset = coder.decodePointForKey("offset");
    return stroke;
}

}  // namespace

// Decodes any bytes as a keyed archive, with what lies beside its root;
// whatever decodes must archive again and that archive must decode.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    static const plat::ClassTable classes {{"LinePoint", &decodePoint}, {"Stroke", &decodeStroke}};
    plat::Data data(bytes, bytes + size);
    plat::Size canvasSize;
    plat::Value beside;
    auto readBesideRoot = [&](plat::KeyedUnarchiver& coder) {
        canvasSize = coder.decodeSizeForKey("canvasSize");
        beside = coder.decodeObjectForKey("beside");
    };
    auto value = plat::KeyedUnarchiver::unarchiveObjectWithData(data, classes, readBesideRoot);
    if (!value.ok())
        return 0;
    auto archived = plat::KeyedArchiver::archivedDataWithRootObject(value.value(), [&](plat::KeyedArchiver& coder) {
        coder.encodeSize(canvasSize, "canvasSize");
        coder.encodeObject(beside, "beside");
    });
    if (!archived.ok())
        return 0;
    auto again = plat::KeyedUnarchiver::unarchiveObjectWithData(archived.value(), classes, readBesideRoot);
    if (!again.ok()) {
        std::fprintf(stderr, "archived a value that does not decode: %s\n", again.error().description().c_str());
        std::abort();
    }
    return 0;
}
