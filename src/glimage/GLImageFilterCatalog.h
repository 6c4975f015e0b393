#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "glimage/GLImageFilterPipelineConfiguration.h"

namespace zt {
class GLImageOutput;

// The filters a pipeline configuration may name, made with their plain
// constructor, and the operations it may call on them by name: setters
// ("setBlurRadiusInPixels:") with their argument converted to the setter's
// type, and operations without an argument ("prepareForImageCapture").
// An argument of the wrong kind, or a number a setter of whole numbers
// cannot take, is an error. Made once; any thread (read only).
class GLImageFilterCatalog {
public:
    static const GLImageFilterCatalog& sharedCatalog();

    bool hasFilterNamed(const std::string& filterName) const;
    std::vector<std::string> filterNames() const;
    // None for an unknown name.
    std::shared_ptr<GLImageOutput> makeFilterNamed(const std::string& filterName) const;
    // Calls the operation on filter, a filter of that name.
    plat::Result<void> callOperation(
        GLImageOutput& filter, const std::string& filterName, const GLImageFilterAttributeCall& call) const;

    // The parts the catalog is built from.
    using Invoker = std::function<plat::Result<void>(GLImageOutput& filter, const GLImageFilterAttributeCall& call)>;
    struct Operation {
        std::string selector;
        // Whether a filter has it: the type that declares it publicly.
        std::function<bool(const GLImageOutput&)> appliesTo;
        Invoker invoke;
    };
    using FilterFactory = std::function<std::shared_ptr<GLImageOutput>()>;

private:
    GLImageFilterCatalog();
    const Operation* findOperation(const GLImageOutput& filter, const std::string& selector) const;

    std::map<std::string, FilterFactory> _filters;
    std::map<std::string, std::vector<Operation>> _operations;  // by selector

    friend class GLImageFilterCatalogBuilder;
};

}  // namespace zt
