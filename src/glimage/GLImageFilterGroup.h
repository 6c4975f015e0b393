#pragma once
#include <memory>
#include <vector>

#include "glimage/GLImageFilter.h"

namespace zt {

// A chain or graph of filters that acts as one filter: its input goes to
// the initial filters, its output and every target operation are the
// terminal filter's. Context queue for frames, as the members.
class GLImageFilterGroup : public GLImageOutput, public GLImageInput {
public:
    GLImageFilterGroup() = default;

    void addFilter(const std::shared_ptr<GLImageOutput>& newFilter);
    std::shared_ptr<GLImageOutput> filterAtIndex(size_t filterIndex) const;
    size_t filterCount() const { return filters.size(); }

    const std::shared_ptr<GLImageOutput>& terminalFilter() const { return _terminalFilter; }
    void setTerminalFilter(std::shared_ptr<GLImageOutput> filter) { _terminalFilter = std::move(filter); }
    const std::vector<std::shared_ptr<GLImageInput>>& initialFilters() const { return _initialFilters; }
    void setInitialFilters(std::vector<std::shared_ptr<GLImageInput>> newInitialFilters)
    {
        _initialFilters = std::move(newInitialFilters);
    }
    const std::shared_ptr<GLImageInput>& inputFilterToIgnoreForUpdates() const
    {
        return _inputFilterToIgnoreForUpdates;
    }
    void setInputFilterToIgnoreForUpdates(std::shared_ptr<GLImageInput> filter)
    {
        _inputFilterToIgnoreForUpdates = std::move(filter);
    }

    // Forwarded to the terminal filter; without one they do nothing.
    using GLImageOutput::addTarget;
    void addTarget(const std::shared_ptr<GLImageInput>& newTarget, int64_t textureLocation) override;
    void removeTarget(const std::shared_ptr<GLImageInput>& targetToRemove) override;
    void removeAllTargets() override;
    void setTargetToIgnoreForUpdates(const std::shared_ptr<GLImageInput>& target) override;
    GLImageFrameProcessingBlock frameProcessingCompletionBlock() const override;
    void setFrameProcessingCompletionBlock(GLImageFrameProcessingBlock block) override;
    void prepareForImageCapture() override;
    std::shared_ptr<const plat::Bitmap> newCGImageFromCurrentlyProcessedOutputWithOrientation(
        plat::ImageOrientation imageOrientation) override;

    // Forwarded to every member.
    void forceProcessingAtSize(plat::Size frameSize) override;
    void forceProcessingAtSizeRespectingAspectRatio(plat::Size frameSize) override;

    // GLImageInput: forwarded to the initial filters where it carries the input.
    void newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t textureIndex) override;
    void setInputTexture(uint32_t newInputTexture, int64_t textureIndex) override;
    void setTextureDelegate(std::weak_ptr<GLImageTextureDelegate> newTextureDelegate, int64_t textureIndex) override;
    int64_t nextAvailableTextureIndex() override;
    void setInputSize(plat::Size newSize, int64_t textureIndex) override;
    void setInputRotation(GLImageRotationMode newInputRotation, int64_t textureIndex) override;
    plat::Size maximumOutputSize() override;
    void endProcessing() override;
    bool shouldIgnoreUpdatesToThisTarget() override { return GLImageOutput::shouldIgnoreUpdatesToThisTarget(); }
    bool enabled() override { return GLImageOutput::enabled(); }
    void conserveMemoryForNextFrame() override;
    bool wantsMonochromeInput() override;
    void setCurrentlyReceivingMonochromeInput(bool newValue) override;

    // Counts the initial filters down; the last one tells our own source.
    void textureNoLongerNeededForTarget(GLImageInput* target) override;

protected:
    std::vector<std::shared_ptr<GLImageOutput>> filters;
    bool isEndProcessing = false;

private:
    std::shared_ptr<GLImageOutput> _terminalFilter;
    std::vector<std::shared_ptr<GLImageInput>> _initialFilters;
    std::shared_ptr<GLImageInput> _inputFilterToIgnoreForUpdates;
};

}  // namespace zt
