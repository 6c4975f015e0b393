#pragma once
#include <memory>
#include <optional>
#include <string>

namespace plat {
class AlertView;
class AlertViewDelegate;
}  // namespace plat

namespace zt {

// A message in the platform's alert, with one button that closes it (none:
// only code closes it); the delegate, when given, hears of it. The button's
// title takes the tint's darker shade: the tint itself stands out from the
// alert's light panel by 3.9 to 1 only. Main thread.
std::shared_ptr<plat::AlertView> makeMessageAlert(const std::string& title, const std::string& message,
    std::optional<std::string> buttonTitle, std::weak_ptr<plat::AlertViewDelegate> delegate = {});

}  // namespace zt
