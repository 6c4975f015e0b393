#pragma once
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"

namespace plat {
class URL;
}

namespace zt {
class GLImageFilterPipelineConfiguration;
class GLImageInput;
class GLImageOutput;

// A chain of filters between one frame source and one target: input ->
// filter 1 -> ... -> filter n -> output, rewired whole after every edit. The
// list is given, or built from a configuration (a dictionary or a property
// list file, see GLImageFilterPipelineConfiguration) that names the filters
// and the setters to call on each. A configuration that cannot be used -
// unreadable, wrong-typed, naming an unknown filter or operation, or with
// an argument the setter cannot take - gives an error naming the problem,
// and no pipeline. Any thread; the accessors are safe across threads.
class GLImageFilterPipeline {
public:
    // Every filter is a frame source that is also a frame target.
    using Filters = std::vector<std::shared_ptr<GLImageOutput>>;

    GLImageFilterPipeline(Filters filters, std::shared_ptr<GLImageOutput> input, std::shared_ptr<GLImageInput> output);
    static plat::Result<std::shared_ptr<GLImageFilterPipeline>> initWithConfiguration(
        const plat::Dictionary& configuration, std::shared_ptr<GLImageOutput> input,
        std::shared_ptr<GLImageInput> output);
    static plat::Result<std::shared_ptr<GLImageFilterPipeline>> initWithConfigurationFile(
        const plat::URL& configurationURL, std::shared_ptr<GLImageOutput> input, std::shared_ptr<GLImageInput> output);

    // Indices must lie within the list (for insertion, up to its count).
    void addFilter(std::shared_ptr<GLImageOutput> filter, size_t insertIndex);
    void addFilter(std::shared_ptr<GLImageOutput> filter);
    void replaceFilterAtIndex(size_t index, std::shared_ptr<GLImageOutput> filter);
    void removeFilterAtIndex(size_t index);
    void removeAllFilters();
    void replaceAllFilters(Filters newFilters);

    // The last filter's current output; none while the list is empty.
    std::shared_ptr<plat::Image> currentFilteredFrame();
    std::shared_ptr<plat::Image> currentFilteredFrameWithOrientation(plat::ImageOrientation imageOrientation);
    std::shared_ptr<const plat::Bitmap> newCGImageFromCurrentFilteredFrame();
    std::shared_ptr<const plat::Bitmap> newCGImageFromCurrentFilteredFrameWithOrientation(
        plat::ImageOrientation imageOrientation);

    Filters filters() const;
    void setFilters(Filters newFilters) { replaceAllFilters(std::move(newFilters)); }
    std::shared_ptr<GLImageOutput> input() const;
    void setInput(std::shared_ptr<GLImageOutput> newInput);
    std::shared_ptr<GLImageInput> output() const;
    void setOutput(std::shared_ptr<GLImageInput> newOutput);
    // The last string argument a configuration gave.
    std::string stringValue() const;

private:
    GLImageFilterPipeline(std::shared_ptr<GLImageOutput> input, std::shared_ptr<GLImageInput> output);
    // Makes the filters the configuration describes; on failure the list is left as it was.
    plat::Result<void> buildFilters(const GLImageFilterPipelineConfiguration& configuration);
    static plat::Result<std::shared_ptr<GLImageFilterPipeline>> pipelineWithConfiguration(
        const plat::Result<GLImageFilterPipelineConfiguration>& configuration, std::shared_ptr<GLImageOutput> input,
        std::shared_ptr<GLImageInput> output);
    // Runs edit on the context queue with _lock held.
    void editOnContextQueue(const std::function<void()>& edit);
    // Wires input, filters and output. Within editOnContextQueue.
    void refreshFilters();
    std::shared_ptr<GLImageOutput> lastFilter() const;

    mutable std::mutex _lock;
    std::string _stringValue;  // guarded by _lock
    Filters _filters;  // guarded by _lock
    std::shared_ptr<GLImageOutput> _input;  // guarded by _lock
    std::shared_ptr<GLImageInput> _output;  // guarded by _lock
};

}  // namespace zt
