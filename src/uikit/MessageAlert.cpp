#include "uikit/MessageAlert.h"

#include <vector>

#include "platform/ui/AlertView.h"
#include "uikit/AppTint.h"

namespace zt {

std::shared_ptr<plat::AlertView> makeMessageAlert(const std::string& title, const std::string& message,
    std::optional<std::string> buttonTitle, std::weak_ptr<plat::AlertViewDelegate> delegate)
{
    auto alert = std::make_shared<plat::AlertView>(
        title, message, std::move(delegate), std::move(buttonTitle), std::vector<std::string> {});
    alert->setTintColor(appTintForTextOnLightColor());
    return alert;
}

}  // namespace zt
