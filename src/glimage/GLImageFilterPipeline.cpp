#include "glimage/GLImageFilterPipeline.h"

#include "glimage/GLImageContext.h"
#include "glimage/GLImageFilterCatalog.h"
#include "glimage/GLImageFilterPipelineConfiguration.h"
#include "glimage/GLImageInput.h"
#include "glimage/GLImageOutput.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/URL.h"

namespace zt {

namespace {

std::shared_ptr<GLImageInput> asTarget(const std::shared_ptr<GLImageOutput>& filter)
{
    auto target = std::dynamic_pointer_cast<GLImageInput>(filter);
    if (!target)
        plat::detail::fatal("GLImageFilterPipeline: a filter of the chain is no frame target");
    return target;
}

void requireIndex(size_t index, size_t limit)
{
    if (index >= limit)
        plat::detail::fatal("GLImageFilterPipeline: index {} is past the filters ({} of them)", index, limit);
}

plat::Error unknownFilterError(const std::string& filterName)
{
    return plat::Error(GLImageFilterPipelineConfiguration::kErrorDomain,
        GLImageFilterPipelineConfiguration::kErrorUnknownFilter,
        "The filter pipeline's configuration cannot be used: there is no filter named " + filterName);
}

}  // namespace

GLImageFilterPipeline::GLImageFilterPipeline(std::shared_ptr<GLImageOutput> input, std::shared_ptr<GLImageInput> output)
    : _input(std::move(input))
    , _output(std::move(output))
{
}

GLImageFilterPipeline::GLImageFilterPipeline(
    Filters filters, std::shared_ptr<GLImageOutput> input, std::shared_ptr<GLImageInput> output)
    : _filters(std::move(filters))
    , _input(std::move(input))
    , _output(std::move(output))
{
    editOnContextQueue([this] { refreshFilters(); });
}

void GLImageFilterPipeline::editOnContextQueue(const std::function<void()>& edit)
{
    // Edits are made one at a time on the context queue, where the chain's
    // targets live; the lock only keeps the accessors' reads whole.
    runSynchronouslyOnContextQueue([&] {
        std::lock_guard guard(_lock);
        edit();
    });
}

plat::Result<std::shared_ptr<GLImageFilterPipeline>> GLImageFilterPipeline::pipelineWithConfiguration(
    const plat::Result<GLImageFilterPipelineConfiguration>& configuration, std::shared_ptr<GLImageOutput> input,
    std::shared_ptr<GLImageInput> output)
{
    // Not made with make_shared: the constructor that leaves the chain unwired is private.
    std::shared_ptr<GLImageFilterPipeline> pipeline(new GLImageFilterPipeline(std::move(input), std::move(output)));
    auto built = configuration.ok() ? pipeline->buildFilters(configuration.value())
                                    : plat::Result<void>(configuration.error());
    if (!built.ok()) {
        plat::log("Sorry, a parsing error occurred. {}", built.error().localizedDescription());
        return built.error();
    }
    pipeline->editOnContextQueue([&] { pipeline->refreshFilters(); });
    return pipeline;
}

plat::Result<std::shared_ptr<GLImageFilterPipeline>> GLImageFilterPipeline::initWithConfiguration(
    const plat::Dictionary& configuration, std::shared_ptr<GLImageOutput> input, std::shared_ptr<GLImageInput> output)
{
    return pipelineWithConfiguration(GLImageFilterPipelineConfiguration::configurationWithDictionary(configuration),
        std::move(input), std::move(output));
}

plat::Result<std::shared_ptr<GLImageFilterPipeline>> GLImageFilterPipeline::initWithConfigurationFile(
    const plat::URL& configurationURL, std::shared_ptr<GLImageOutput> input, std::shared_ptr<GLImageInput> output)
{
    return pipelineWithConfiguration(
        GLImageFilterPipelineConfiguration::configurationWithContentsOfFile(configurationURL.path()), std::move(input),
        std::move(output));
}

plat::Result<void> GLImageFilterPipeline::buildFilters(const GLImageFilterPipelineConfiguration& configuration)
{
    const auto& catalog = GLImageFilterCatalog::sharedCatalog();
    // Every name is checked before any filter is made.
    for (const auto& description : configuration.filters()) {
        if (!catalog.hasFilterNamed(description.filterName))
            return unknownFilterError(description.filterName);
    }
    Filters built;
    built.reserve(configuration.filters().size());
    std::string stringValue;
    for (const auto& description : configuration.filters()) {
        auto filter = catalog.makeFilterNamed(description.filterName);
        for (const auto& call : description.calls) {
            if (call.argument)
                stringValue = call.stringValue.value_or(std::string());
            auto called = catalog.callOperation(*filter, description.filterName, call);
            if (!called.ok())
                return called.error();  // the filters made so far go with built
        }
        built.push_back(std::move(filter));
    }
    std::lock_guard guard(_lock);
    _stringValue = std::move(stringValue);
    _filters = std::move(built);
    return {};
}

void GLImageFilterPipeline::addFilter(std::shared_ptr<GLImageOutput> filter, size_t insertIndex)
{
    editOnContextQueue([&] {
        requireIndex(insertIndex, _filters.size() + 1);
        _filters.insert(_filters.begin() + std::ptrdiff_t(insertIndex), std::move(filter));
        refreshFilters();
    });
}

void GLImageFilterPipeline::addFilter(std::shared_ptr<GLImageOutput> filter)
{
    editOnContextQueue([&] {
        _filters.push_back(std::move(filter));
        refreshFilters();
    });
}

void GLImageFilterPipeline::replaceFilterAtIndex(size_t index, std::shared_ptr<GLImageOutput> filter)
{
    editOnContextQueue([&] {
        requireIndex(index, _filters.size());
        _filters[index] = std::move(filter);
        refreshFilters();
    });
}

void GLImageFilterPipeline::removeFilterAtIndex(size_t index)
{
    editOnContextQueue([&] {
        requireIndex(index, _filters.size());
        _filters.erase(_filters.begin() + std::ptrdiff_t(index));
        refreshFilters();
    });
}

void GLImageFilterPipeline::removeAllFilters()
{
    editOnContextQueue([&] {
        _filters.clear();
        refreshFilters();
    });
}

void GLImageFilterPipeline::replaceAllFilters(Filters newFilters)
{
    editOnContextQueue([&] {
        _filters = std::move(newFilters);
        refreshFilters();
    });
}

void GLImageFilterPipeline::refreshFilters()
{
    if (!_input)
        return;
    std::shared_ptr<GLImageOutput> previous = _input;
    for (const auto& filter : _filters) {
        previous->removeAllTargets();
        previous->addTarget(asTarget(filter));
        previous = filter;
    }
    previous->removeAllTargets();
    if (_output)
        previous->addTarget(_output);
}

std::shared_ptr<GLImageOutput> GLImageFilterPipeline::lastFilter() const
{
    std::lock_guard guard(_lock);
    return _filters.empty() ? nullptr : _filters.back();
}

std::shared_ptr<plat::Image> GLImageFilterPipeline::currentFilteredFrame()
{
    auto last = lastFilter();
    return last ? last->imageFromCurrentlyProcessedOutput(DeviceOrientation::Portrait) : nullptr;
}

std::shared_ptr<plat::Image> GLImageFilterPipeline::currentFilteredFrameWithOrientation(
    plat::ImageOrientation imageOrientation)
{
    auto last = lastFilter();
    return last ? last->imageFromCurrentlyProcessedOutputWithOrientation(imageOrientation) : nullptr;
}

std::shared_ptr<const plat::Bitmap> GLImageFilterPipeline::newCGImageFromCurrentFilteredFrame()
{
    auto last = lastFilter();
    return last ? last->newCGImageFromCurrentlyProcessedOutput(DeviceOrientation::Portrait) : nullptr;
}

std::shared_ptr<const plat::Bitmap> GLImageFilterPipeline::newCGImageFromCurrentFilteredFrameWithOrientation(
    plat::ImageOrientation imageOrientation)
{
    auto last = lastFilter();
    return last ? last->newCGImageFromCurrentlyProcessedOutputWithOrientation(imageOrientation) : nullptr;
}

GLImageFilterPipeline::Filters GLImageFilterPipeline::filters() const
{
    std::lock_guard guard(_lock);
    return _filters;
}

std::shared_ptr<GLImageOutput> GLImageFilterPipeline::input() const
{
    std::lock_guard guard(_lock);
    return _input;
}

void GLImageFilterPipeline::setInput(std::shared_ptr<GLImageOutput> newInput)
{
    std::lock_guard guard(_lock);
    _input = std::move(newInput);
}

std::shared_ptr<GLImageInput> GLImageFilterPipeline::output() const
{
    std::lock_guard guard(_lock);
    return _output;
}

void GLImageFilterPipeline::setOutput(std::shared_ptr<GLImageInput> newOutput)
{
    std::lock_guard guard(_lock);
    _output = std::move(newOutput);
}

std::string GLImageFilterPipeline::stringValue() const
{
    std::lock_guard guard(_lock);
    return _stringValue;
}

}  // namespace zt
