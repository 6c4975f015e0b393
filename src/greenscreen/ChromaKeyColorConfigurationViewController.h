#pragma once
#include "greenscreen/ChromaKeyListViewController.h"

namespace zt {

// The key colour: measured from the live picture, green or blue. Main thread.
class ChromaKeyColorConfigurationViewController : public ChromaKeyListViewController {
public:
    ChromaKeyColorConfigurationViewController();

protected:
    void didSelectRow(int64_t row) override;
};

}  // namespace zt
