#include "document/FileSizeText.h"

#include <cstdio>

namespace zt {

std::string formattedFileSize(uint64_t bytes)
{
    char text[48];
    if (bytes < 1000 * 1000)
        std::snprintf(text, sizeof text, "%.0f KB", static_cast<double>(bytes) / 1000);
    else if (bytes < uint64_t(1000) * 1000 * 1000)
        std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1000 * 1000));
    else
        std::snprintf(text, sizeof text, "%.2f GB", static_cast<double>(bytes) / (1000.0 * 1000 * 1000));
    return text;
}

}  // namespace zt
