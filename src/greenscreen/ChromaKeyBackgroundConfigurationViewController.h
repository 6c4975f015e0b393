#pragma once
#include "greenscreen/ChromaKeyListViewController.h"

namespace zt {

// Where the backdrop comes from: the photo library, the project's last
// frame, or the theme pictures (a further screen). Main thread.
class ChromaKeyBackgroundConfigurationViewController : public ChromaKeyListViewController {
public:
    ChromaKeyBackgroundConfigurationViewController();

protected:
    void didSelectRow(int64_t row) override;
};

}  // namespace zt
