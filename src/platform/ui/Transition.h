#pragma once
#include <string>

#include "platform/ui/Animation.h"

namespace plat {

// A transition between a layer's old and new look, as the platform's
// ("fade", "moveIn", "push", "reveal"). It keeps the platform's timing and
// completion; the picture shows the new look at once.
class Transition : public Animation {
public:
    enum class Type { Fade, MoveIn, Push, Reveal };

    static std::shared_ptr<Transition> animation() { return std::make_shared<Transition>(); }
    std::shared_ptr<Animation> clone() const override { return std::make_shared<Transition>(*this); }

    Type type() const { return _type; }
    void setType(Type type) { _type = type; }
    // "fromLeft", "fromRight", "fromTop", "fromBottom" or empty.
    const std::string& subtype() const { return _subtype; }
    void setSubtype(std::string subtype) { _subtype = std::move(subtype); }

    void applyAt(double, LayerProperties&) const override { }

private:
    Type _type = Type::Fade;
    std::string _subtype;
};

}  // namespace plat
