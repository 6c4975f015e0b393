#pragma once
#include <memory>

#include "platform/ui/TableViewCell.h"

namespace plat {
class Label;
class Switch;
}  // namespace plat

namespace zt {

// A settings row from the layout "ConfigurationCell": a title, a
// description and a switch (reused by "ConfigurationCell"). Main thread.
class ConfigurationCell : public plat::TableViewCell {
public:
    static constexpr const char* kReuseIdentifier = "ConfigurationCell";

    using plat::TableViewCell::TableViewCell;

    const std::shared_ptr<plat::Label>& labelTitle() const { return _labelTitle; }
    const std::shared_ptr<plat::Label>& labelDescription() const { return _labelDescription; }
    const std::shared_ptr<plat::Switch>& switchOnOff() const { return _switchOnOff; }
    void setOutlets(std::shared_ptr<plat::Label> title, std::shared_ptr<plat::Label> description,
        std::shared_ptr<plat::Switch> switchOnOff);

private:
    std::shared_ptr<plat::Label> _labelTitle;
    std::shared_ptr<plat::Label> _labelDescription;
    std::shared_ptr<plat::Switch> _switchOnOff;
};

}  // namespace zt
