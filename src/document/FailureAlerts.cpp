#include "document/FailureAlerts.h"

#include <memory>
#include <vector>

#include "document/FailureReason.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Error.h"
#include "platform/ui/AlertView.h"

namespace zt {

void showFailureAlert(const std::string& whatFailed, const plat::Error& error)
{
    showAlert(whatFailed, failureReason(error));
}

void showAlert(const std::string& title, const std::string& message)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto alert = std::make_shared<plat::AlertView>(
        title, message, std::weak_ptr<plat::AlertViewDelegate>(), plat::localized("OK"), std::vector<std::string> {});
    alert->show();
}

}  // namespace zt
