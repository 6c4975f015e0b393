#include "editor/ImageEditor.h"

#include <algorithm>

#include "platform/ui/Screen.h"
#include "platform/ui/View.h"

namespace zt {

ImageEditor::ImageEditor()
    : ImageEditor("ImageEditor")
{
}

ImageEditor::ImageEditor(std::string nibName)
    : QVImageEditorViewController(std::move(nibName))
{
    setMinimumScale(kMinimumScale);
    setMaximumScale(kMaximumScale);
}

plat::Rect ImageEditor::getOrientationCorrectedRectFromRect(plat::Rect rect)
{
    return {rect.origin, {std::max(rect.width(), rect.height()), std::min(rect.width(), rect.height())}};
}

void ImageEditor::fitToScreen()
{
    plat::Rect screen = getOrientationCorrectedRectFromRect(plat::Screen::mainScreen().bounds());
    view()->setFrame(screen);
    if (auto overlay = frameView())
        overlay->setFrame(screen);
}

void ImageEditor::viewDidLoad()
{
    fitToScreen();
    QVImageEditorViewController::viewDidLoad();
    plat::Rect screen = getOrientationCorrectedRectFromRect(plat::Screen::mainScreen().bounds());
    // Single precision, as the band has always been measured.
    float width = static_cast<float>(screen.width());
    float height = width * kCropAspect;
    setCropSize({width, height});
    setCropRect(plat::makeRect(0, (screen.height() - height) * 0.5, width, height));
}

}  // namespace zt
