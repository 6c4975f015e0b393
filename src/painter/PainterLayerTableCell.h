#pragma once
#include <memory>

#include "platform/ui/TableViewCell.h"

namespace plat {
class ImageView;
class Label;
class Switch;
class ViewController;
}  // namespace plat

namespace zt {

// A row of the layer list: the layer's picture, its name and a switch that
// shows or hides it. Made from the layout "PainterLayerTableCell". Main queue.
class PainterLayerTableCell : public plat::TableViewCell {
public:
    static constexpr const char* kLayoutName = "PainterLayerTableCell";
    static constexpr const char* kReuseIdentifier = "PainterLayerTableCell";
    static constexpr double kHeight = 60;

    PainterLayerTableCell();

    std::shared_ptr<plat::Label> layerLabel;
    std::shared_ptr<plat::ImageView> layerImage;
    std::shared_ptr<plat::Switch> layerEnabled;
};

// Registers the layout; its owner gets the cell as the outlet "tmpCell".
void registerPainterLayerTableCellLayout();

}  // namespace zt
