#include "greenscreen/ChromaKeyConfiguration.h"

#include "document/DataManager.h"
#include "document/FileUtil.h"
#include "platform/foundation/Value.h"

namespace zt {

ChromaKeyConfiguration ChromaKeyConfiguration::savedConfiguration(const DataManager& settings)
{
    ChromaKeyConfiguration saved;
    auto stored = settings.objectForKey(kConfigurationKey).asDictionary();
    if (!stored)
        return saved;
    if (auto colour = stored->get(kColorKey).asDictionary())
        saved.color = FileUtil::getColorFromDictonary(colour);
    if (auto threshold = stored->get(kThresholdKey).doubleValue())
        saved.thresholdSensitivity = static_cast<float>(*threshold);
    return saved;
}

void ChromaKeyConfiguration::saveConfiguration(
    DataManager& settings, const plat::Color& color, float thresholdSensitivity)
{
    plat::Dictionary configuration;
    configuration.set(kColorKey, FileUtil::getDictionaryFromUIColor(color));
    configuration.set(kThresholdKey, static_cast<double>(thresholdSensitivity));
    settings.setValue(configuration, kConfigurationKey);
}

}  // namespace zt
