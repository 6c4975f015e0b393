#pragma once
#include <string>

#include "videoservice/VSClass.h"

namespace zt {

enum class VSExtensionKind { Element, Attribute };

// One declaration that objects of a parent class may contain objects of a
// child class (an element class, or an attribute class). Value type.
class VSExtensionDeclaration {
public:
    VSExtensionDeclaration(const VSClass* parentClass, const VSClass* childClass, VSExtensionKind kind)
        : _parentClass(parentClass)
        , _childClass(childClass)
        , _isAttribute(kind == VSExtensionKind::Attribute)
    {
    }

    const VSClass* parentClass() const { return _parentClass; }
    const VSClass* childClass() const { return _childClass; }
    bool isAttribute() const { return _isAttribute; }

    bool isEqual(const VSExtensionDeclaration& other) const
    {
        return _parentClass == other._parentClass && _childClass == other._childClass
            && _isAttribute == other._isAttribute;
    }
    friend bool operator==(const VSExtensionDeclaration& left, const VSExtensionDeclaration& right)
    {
        return left.isEqual(right);
    }
    std::string description() const
    {
        return std::string("VSExtensionDeclaration: {") + (_parentClass ? _parentClass->name : "(null)")
            + " can contain " + (_childClass ? _childClass->name : "(null)") + "}"
            + (_isAttribute ? " (attribute)" : "");
    }

private:
    const VSClass* _parentClass;
    const VSClass* _childClass;
    bool _isAttribute;
};

}  // namespace zt
