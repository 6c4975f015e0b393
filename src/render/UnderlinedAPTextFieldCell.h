#pragma once
#include "uikit/APTextFieldCell.h"

namespace zt {

// A text-field cell with a black line under its field, as on lined paper.
// Main thread.
class UnderlinedAPTextFieldCell : public APTextFieldCell {
public:
    static constexpr double kLineTop = 30;

    UnderlinedAPTextFieldCell(plat::TableViewCellStyle style, std::string reuseIdentifier);

    const std::shared_ptr<plat::View>& blackLine() const { return _blackLine; }
    void setBlackLine(std::shared_ptr<plat::View> line);
    void layoutSubviews() override;

private:
    std::shared_ptr<plat::View> _blackLine;
};

}  // namespace zt
