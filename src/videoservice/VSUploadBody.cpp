#include "videoservice/VSUploadBody.h"

namespace zt {

VSFileHandle openFileHandleForReading(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return nullptr;
    return VSFileHandle(file, [](std::FILE* handle) { std::fclose(handle); });
}

plat::Data VSUploadBody::joined() const
{
    plat::Data data;
    data.reserve(length);
    for (const auto& segment : segments)
        data.insert(data.end(), segment->begin(), segment->end());
    return data;
}

}  // namespace zt
