#include "editor/ConfigurationCell.h"

#include "platform/ui/Label.h"
#include "platform/ui/Switch.h"

namespace zt {

void ConfigurationCell::setOutlets(std::shared_ptr<plat::Label> title, std::shared_ptr<plat::Label> description,
    std::shared_ptr<plat::Switch> switchOnOff)
{
    _labelTitle = std::move(title);
    _labelDescription = std::move(description);
    _switchOnOff = std::move(switchOnOff);
}

}  // namespace zt
