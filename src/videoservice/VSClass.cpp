#include "videoservice/VSClass.h"

#include <cstring>

#include "videoservice/VSNamespaces.h"

namespace zt {

VSClass::VSClass(const char* className, const VSClass* superclassDescriptor, Factory factory, const char* URI,
    const char* prefix, const char* localName)
    : name(className)
    , superclass(superclassDescriptor)
    , make(factory)
    , extensionElementURI(URI)
    , extensionElementPrefix(prefix)
    , extensionElementLocalName(localName)
{
    if (localName == nullptr)
        return;
    if (URI == nullptr || std::strcmp(URI, kVSNamespaceAtom) == 0 || prefix == nullptr)
        qualifiedName = localName;
    else
        qualifiedName = std::string(prefix) + ":" + localName;
}

bool VSClass::isSubclassOf(const VSClass& other) const
{
    for (const VSClass* cls = this; cls != nullptr; cls = cls->superclass) {
        if (cls == &other)
            return true;
    }
    return false;
}

}  // namespace zt
