#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "glimage/GLImageInput.h"
#include "glimage/GLImageOutput.h"

namespace plat {
class GLCacheTexture;
class GLTextureCache;
class PixelBuffer;
}  // namespace plat

namespace zt {
class GLImageNearestSampling;
class GLProgram;

// The attributes every filter program binds, in location order.
extern const std::vector<std::string> kGLImageFilterAttributes;
extern const char* const kGLImageVertexShaderString;
extern const char* const kGLImagePassthroughFragmentShaderString;

// Uniform values set on a filter, one block per uniform location, replayed
// before every draw since filters with the same sources share one program.
// Context queue only.
struct GLImageUniformState {
    std::map<int32_t, std::function<void()>> uniformStateRestorationBlocks;
};

// The base of every filter: draws its input texture through a fragment
// shader into a framebuffer and texture of its own, then hands the result to
// its targets in order, each rendering before the next is told. Frames,
// framebuffers and textures live on the context queue; uniform setters may
// be called from any thread and take effect there in call order.
class GLImageFilter : public GLImageOutput, public GLImageInput {
public:
    GLImageFilter();  // the pass-through filter
    GLImageFilter(const std::string& vertexShaderString, const std::string& fragmentShaderString);
    explicit GLImageFilter(const std::string& fragmentShaderString);
    // Reads "<name>.fsh" from the main bundle.
    static std::shared_ptr<GLImageFilter> initWithFragmentShaderFromFile(const std::string& fragmentShaderFilename);
    ~GLImageFilter() override;

    // The coordinates of the four quad vertices for each mode, eight floats;
    // subclasses may supply another table.
    virtual const float* textureCoordinatesForRotation(GLImageRotationMode rotationMode) const;
    static const float* filterTextureCoordinatesForRotation(GLImageRotationMode rotationMode);
    static const float* fullFrameVertices();
    // Context queue. Looks up a program from the cache, linking it with the
    // attributes when new; a link failure is fatal after its logs. Sinks
    // and sources with programs of their own use it too.
    static std::shared_ptr<GLProgram> linkedProgram(const std::string& vertexShaderString,
        const std::string& fragmentShaderString, const std::vector<std::string>& attributes);

    virtual void setupFilterForSize(plat::Size filterFrameSize);

    // GLImageInput
    void newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t textureIndex) override;
    void setInputTexture(uint32_t newInputTexture, int64_t textureIndex) override;
    void setTextureDelegate(std::weak_ptr<GLImageTextureDelegate> newTextureDelegate, int64_t textureIndex) override;
    int64_t nextAvailableTextureIndex() override;
    void setInputSize(plat::Size newSize, int64_t textureIndex) override;
    void setInputRotation(GLImageRotationMode newInputRotation, int64_t textureIndex) override;
    // The texture the filter draws into: the pixel buffer's while it is
    // prepared for capture, else its own output texture.
    uint32_t textureForOutput() override;
    plat::Size maximumOutputSize() override;
    void endProcessing() override;
    bool shouldIgnoreUpdatesToThisTarget() override { return GLImageOutput::shouldIgnoreUpdatesToThisTarget(); }
    bool enabled() override { return GLImageOutput::enabled(); }
    void conserveMemoryForNextFrame() override;
    bool wantsMonochromeInput() override;
    void setCurrentlyReceivingMonochromeInput(bool newValue) override;

    // Rendering and frame size (context queue).
    // Binds the textures and coordinates of inputs beyond the first, just
    // before a render draws; filters with one input bind nothing.
    virtual void bindFurtherInputs() { }
    // For a filter whose first pass reads its inputs only at their own
    // coordinates (or whole steps beside them), lets each input that this
    // draw lays pixel for pixel read through nearest filtering: input 0
    // here, further inputs in the filters that bind them.
    virtual void readInputsNearestWherePixelForPixel(
        GLImageNearestSampling& sampling, const float* vertices, const float* textureCoordinates);
    // Where the shader of a pass (0: the first) reads its first input, for
    // nearest sampling: nothing when it may read anywhere, else the step in
    // texture coordinates whose whole multiples (x and y on their own) it
    // reads beside its coordinate; {0, 0} when it reads only there.
    virtual std::optional<std::array<float, 2>> inputReadStepForProgramAtIndex(int programIndex) const;
    // The step of the pass's reads where nearest sampling may be tried: none
    // while a test has turned it off.
    std::optional<std::array<float, 2>> nearestReadStepForProgramAtIndex(int programIndex) const;
    virtual void renderToTextureWithVertices(
        const float* vertices, const float* textureCoordinates, uint32_t sourceTexture);
    virtual void informTargetsAboutNewFrameAtTime(const plat::MediaTime& frameTime);
    // Tells a target the size (and any turn) of the frame about to reach it;
    // by default the output frame size.
    virtual void prepareTargetForFrame(GLImageInput& target, int64_t textureIndex);
    virtual plat::Size outputFrameSize();
    virtual plat::Size sizeOfFBO();
    virtual void setFilterFBO();
    virtual void setOutputFBO();
    virtual void createFilterFBOofSize(plat::Size currentFBOSize);
    virtual void destroyFilterFBO();
    virtual void recreateFilterFBO();
    virtual void releaseInputTexturesIfNeeded();
    virtual plat::Size rotatedSize(plat::Size sizeToRotate, int64_t textureIndex);
    static plat::Point rotatedPoint(plat::Point pointToRotate, GLImageRotationMode rotation);

    // The colour the output is cleared to before drawing; a filter that
    // draws its own background takes it instead.
    virtual void setBackgroundColorRed(
        float redComponent, float greenComponent, float blueComponent, float alphaComponent);

    void forceProcessingAtSize(plat::Size frameSize) override;
    void forceProcessingAtSizeRespectingAspectRatio(plat::Size frameSize) override;
    void cleanupOutputImage() override;
    void deleteOutputTexture() override;
    void prepareForImageCapture() override;
    std::shared_ptr<const plat::Bitmap> newCGImageFromCurrentlyProcessedOutputWithOrientation(
        plat::ImageOrientation imageOrientation) override;

    // Uniforms by name, looked up in this filter's program.
    void setInteger(int newInteger, const std::string& uniformName);
    void setFloat(float newFloat, const std::string& uniformName);
    void setSize(plat::Size newSize, const std::string& uniformName);
    void setPoint(plat::Point newPoint, const std::string& uniformName);
    void setFloatVec3(std::array<float, 3> newVec3, const std::string& uniformName);
    void setFloatVec4(std::array<float, 4> newVec4, const std::string& uniformName);
    // The array is not copied: keep it alive and unchanged while the filter may render.
    void setFloatArray(const float* array, int count, const std::string& uniformName);

    // Uniforms by location; sent asynchronously on the context queue.
    void setMatrix3f(const std::array<float, 9>& matrix, int32_t uniform, const std::shared_ptr<GLProgram>& program);
    void setMatrix4f(const std::array<float, 16>& matrix, int32_t uniform, const std::shared_ptr<GLProgram>& program);
    void setFloat(float floatValue, int32_t uniform, const std::shared_ptr<GLProgram>& program);
    void setPoint(plat::Point pointValue, int32_t uniform, const std::shared_ptr<GLProgram>& program);
    void setSize(plat::Size sizeValue, int32_t uniform, const std::shared_ptr<GLProgram>& program);
    void setVec3(std::array<float, 3> vectorValue, int32_t uniform, const std::shared_ptr<GLProgram>& program);
    void setVec4(std::array<float, 4> vectorValue, int32_t uniform, const std::shared_ptr<GLProgram>& program);
    void setFloatArray(const float* arrayValue, int count, int32_t uniform, const std::shared_ptr<GLProgram>& program);
    void setInteger(int intValue, int32_t uniform, const std::shared_ptr<GLProgram>& program);
    void setAndExecuteUniformStateCallbackAtIndex(
        int32_t uniform, const std::shared_ptr<GLProgram>& program, std::function<void()> uniformStateBlock);
    // Replays the uniforms stored for the program of that pass (0: the first).
    virtual void setUniformsForProgramAtIndex(int programIndex);

    bool preventRendering() const { return _preventRendering; }
    void setPreventRendering(bool value) { _preventRendering = value; }
    bool currentlyReceivingMonochromeInput() const { return _currentlyReceivingMonochromeInput; }
    const std::shared_ptr<plat::PixelBuffer>& renderTarget() const { return _renderTarget; }
    uint32_t framebufferForTesting() const { return filterFramebuffer.name(); }
    // Off: every draw reads through the textures' own filtering (context queue).
    void setNearestSamplingAllowedForTesting(bool allowed) { nearestSamplingAllowed = allowed; }
    plat::Size inputTextureSizeForTesting() const { return inputTextureSize; }

protected:
    // Subclasses that bind more attributes (a second input) name them all.
    GLImageFilter(const std::string& vertexShaderString, const std::string& fragmentShaderString,
        const std::vector<std::string>& attributes);
    // Whether these are the pass-through shader's sources, which read the
    // input only at the pixel's own coordinate.
    static bool areThePassThroughSources(
        const std::string& vertexShaderString, const std::string& fragmentShaderString);
    bool usesPixelBufferOutput() const;
    // Makes framebuffer at size (on the context queue) with its colour
    // storage: a pixel buffer's texture when the output is read back
    // through one, otherwise the texture plainTexture makes ready and names.
    void makeFramebufferWithStorage(
        GLFramebuffer& framebuffer, plat::Size size, const std::function<uint32_t()>& plainTexture);
    // Whether the framebuffer that holds the output exists, so that there is
    // something to read back.
    virtual bool hasOutputFramebuffer() const { return bool(filterFramebuffer); }
    // Where the uniform values set on program are kept; filters with more
    // than one program keep one store per program.
    virtual std::shared_ptr<GLImageUniformState> uniformStateForProgram(const std::shared_ptr<GLProgram>& program);

    uint32_t filterSourceTexture = 0;  // the source's, not ours
    GLFramebuffer filterFramebuffer;
    std::shared_ptr<GLProgram> filterProgram;
    int32_t filterPositionAttribute = 0;
    int32_t filterTextureCoordinateAttribute = 0;
    int32_t filterInputTextureUniform = 0;
    float backgroundColorRed = 0;
    float backgroundColorGreen = 0;
    float backgroundColorBlue = 0;
    float backgroundColorAlpha = 0;
    bool preparedToCaptureImage = false;
    bool isEndProcessing = false;
    std::shared_ptr<plat::GLTextureCache> filterTextureCache;
    std::shared_ptr<plat::PixelBuffer> _renderTarget;
    std::shared_ptr<plat::GLCacheTexture> renderTexture;
    GLImageRotationMode inputRotation = GLImageRotationMode::NoRotation;
    bool _currentlyReceivingMonochromeInput = false;
    bool _preventRendering = false;
    // Set by a filter whose shader reads every input only at its own
    // interpolated coordinate (the pass-through sources are known to), so
    // that drawing an input pixel for pixel may read it nearest (see
    // GLImageNearestSampling).
    bool readsInputsOnlyAtTheirCoordinates = false;
    bool nearestSamplingAllowed = true;
    std::shared_ptr<GLImageUniformState> uniformState;
};

}  // namespace zt
