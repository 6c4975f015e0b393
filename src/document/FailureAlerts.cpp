#include "document/FailureAlerts.h"

#include <memory>

#include "document/FailureReason.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Error.h"
#include "platform/ui/AlertView.h"
#include "uikit/MessageAlert.h"

namespace zt {

void showFailureAlert(const std::string& whatFailed, const plat::Error& error)
{
    showAlert(whatFailed, failureReason(error));
}

void showAlert(const std::string& title, const std::string& message)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    makeMessageAlert(title, message, plat::localized("OK"))->show();
}

}  // namespace zt
