#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace plat {
class View;
class ViewController;

// The layouts ("layout files") of the app: C++ builders registered by name
// that make a controller's view tree, connect its outlets (members and
// ViewController::setOutlet) and bind its actions. The app registers its
// layouts at start; asking for a name that was never registered is a
// programmer error and stops the process with the name. Main thread.
class LayoutRegistry {
public:
    // Makes the views for owner and returns the root view.
    using Builder = std::function<std::shared_ptr<View>(ViewController& owner)>;

    static void registerLayout(std::string name, Builder builder);
    static bool hasLayout(const std::string& name);
    static std::vector<std::string> layoutNames();
    // Builds the layout and makes its root the owner's view.
    static void loadLayout(const std::string& name, ViewController& owner);
    // Builds the layout for owner (its outlets) and hands back the root
    // without making it the owner's view: cells and other parts from layouts.
    static std::shared_ptr<View> loadNibNamed(const std::string& name, ViewController& owner);
    // For test isolation.
    static void removeLayout(const std::string& name);
};

}  // namespace plat
