#include "glimage/GLImageFilterCatalog.h"

#include <cmath>
#include <limits>
#include <type_traits>

#include "glimage/GLImage3x3ConvolutionFilter.h"
#include "glimage/GLImageAdaptiveThresholdFilter.h"
#include "glimage/GLImageAddBlendFilter.h"
#include "glimage/GLImageAlphaBlendFilter.h"
#include "glimage/GLImageAverageColor.h"
#include "glimage/GLImageAverageLuminanceThresholdFilter.h"
#include "glimage/GLImageBilateralFilter.h"
#include "glimage/GLImageBoxBlurFilter.h"
#include "glimage/GLImageBrightnessFilter.h"
#include "glimage/GLImageBuffer.h"
#include "glimage/GLImageBulgeDistortionFilter.h"
#include "glimage/GLImageCGAColorspaceFilter.h"
#include "glimage/GLImageCannyEdgeDetectionFilter.h"
#include "glimage/GLImageChromaKeyBlendFilter.h"
#include "glimage/GLImageChromaKeyFilter.h"
#include "glimage/GLImageClosingFilter.h"
#include "glimage/GLImageColorBlendFilter.h"
#include "glimage/GLImageColorBurnBlendFilter.h"
#include "glimage/GLImageColorDodgeBlendFilter.h"
#include "glimage/GLImageColorInvertFilter.h"
#include "glimage/GLImageColorMatrixFilter.h"
#include "glimage/GLImageColorPackingFilter.h"
#include "glimage/GLImageContrastFilter.h"
#include "glimage/GLImageCropFilter.h"
#include "glimage/GLImageCrosshairGenerator.h"
#include "glimage/GLImageCrosshatchFilter.h"
#include "glimage/GLImageDarkenBlendFilter.h"
#include "glimage/GLImageDifferenceBlendFilter.h"
#include "glimage/GLImageDilationFilter.h"
#include "glimage/GLImageDirectionalNonMaximumSuppressionFilter.h"
#include "glimage/GLImageDirectionalSobelEdgeDetectionFilter.h"
#include "glimage/GLImageDissolveBlendFilter.h"
#include "glimage/GLImageDivideBlendFilter.h"
#include "glimage/GLImageEmbossFilter.h"
#include "glimage/GLImageErosionFilter.h"
#include "glimage/GLImageExclusionBlendFilter.h"
#include "glimage/GLImageExposureFilter.h"
#include "glimage/GLImageFalseColorFilter.h"
#include "glimage/GLImageGammaFilter.h"
#include "glimage/GLImageGaussianBlurFilter.h"
#include "glimage/GLImageGaussianBlurPositionFilter.h"
#include "glimage/GLImageGaussianSelectiveBlurFilter.h"
#include "glimage/GLImageGlassSphereFilter.h"
#include "glimage/GLImageGrayscaleFilter.h"
#include "glimage/GLImageHSBFilter.h"
#include "glimage/GLImageHalftoneFilter.h"
#include "glimage/GLImageHardLightBlendFilter.h"
#include "glimage/GLImageHarrisCornerDetectionFilter.h"
#include "glimage/GLImageHazeFilter.h"
#include "glimage/GLImageHighPassFilter.h"
#include "glimage/GLImageHighlightShadowFilter.h"
#include "glimage/GLImageHistogramGenerator.h"
#include "glimage/GLImageHoughTransformLineDetector.h"
#include "glimage/GLImageHueBlendFilter.h"
#include "glimage/GLImageHueFilter.h"
#include "glimage/GLImageJFAVoronoiFilter.h"
#include "glimage/GLImageKuwaharaFilter.h"
#include "glimage/GLImageKuwaharaRadius3Filter.h"
#include "glimage/GLImageLanczosResamplingFilter.h"
#include "glimage/GLImageLaplacianFilter.h"
#include "glimage/GLImageLevelsFilter.h"
#include "glimage/GLImageLightenBlendFilter.h"
#include "glimage/GLImageLineGenerator.h"
#include "glimage/GLImageLinearBurnBlendFilter.h"
#include "glimage/GLImageLocalBinaryPatternFilter.h"
#include "glimage/GLImageLookupFilter.h"
#include "glimage/GLImageLowPassFilter.h"
#include "glimage/GLImageLuminanceRangeFilter.h"
#include "glimage/GLImageLuminanceThresholdFilter.h"
#include "glimage/GLImageLuminosity.h"
#include "glimage/GLImageLuminosityBlendFilter.h"
#include "glimage/GLImageMaskFilter.h"
#include "glimage/GLImageMedianFilter.h"
#include "glimage/GLImageMonochromeFilter.h"
#include "glimage/GLImageMosaicFilter.h"
#include "glimage/GLImageMotionBlurFilter.h"
#include "glimage/GLImageMotionDetector.h"
#include "glimage/GLImageMultiplyBlendFilter.h"
#include "glimage/GLImageNobleCornerDetectionFilter.h"
#include "glimage/GLImageNonMaximumSuppressionFilter.h"
#include "glimage/GLImageNormalBlendFilter.h"
#include "glimage/GLImageOpacityFilter.h"
#include "glimage/GLImageOpeningFilter.h"
#include "glimage/GLImageOrrinvalFilter.h"
#include "glimage/GLImageOverlayBlendFilter.h"
#include "glimage/GLImagePerlinNoiseFilter.h"
#include "glimage/GLImagePinchDistortionFilter.h"
#include "glimage/GLImagePixellateFilter.h"
#include "glimage/GLImagePixellatePositionFilter.h"
#include "glimage/GLImagePoissonBlendFilter.h"
#include "glimage/GLImagePolarPixellateFilter.h"
#include "glimage/GLImagePolkaDotFilter.h"
#include "glimage/GLImagePosterizeFilter.h"
#include "glimage/GLImagePrewittEdgeDetectionFilter.h"
#include "glimage/GLImageQuillbrightFilter.h"
#include "glimage/GLImageRGBClosingFilter.h"
#include "glimage/GLImageRGBDilationFilter.h"
#include "glimage/GLImageRGBErosionFilter.h"
#include "glimage/GLImageRGBFilter.h"
#include "glimage/GLImageRGBOpeningFilter.h"
#include "glimage/GLImageSaturationBlendFilter.h"
#include "glimage/GLImageSaturationFilter.h"
#include "glimage/GLImageScreenBlendFilter.h"
#include "glimage/GLImageSepiaFilter.h"
#include "glimage/GLImageSharpenFilter.h"
#include "glimage/GLImageShiTomasiFeatureDetectionFilter.h"
#include "glimage/GLImageSingleComponentGaussianBlurFilter.h"
#include "glimage/GLImageSketchFilter.h"
#include "glimage/GLImageSmoothToonFilter.h"
#include "glimage/GLImageSobelEdgeDetectionFilter.h"
#include "glimage/GLImageSoftEleganceFilter.h"
#include "glimage/GLImageSoftLightBlendFilter.h"
#include "glimage/GLImageSolidColorGenerator.h"
#include "glimage/GLImageSourceOverBlendFilter.h"
#include "glimage/GLImageSphereRefractionFilter.h"
#include "glimage/GLImageStretchDistortionFilter.h"
#include "glimage/GLImageSubtractBlendFilter.h"
#include "glimage/GLImageSwirlFilter.h"
#include "glimage/GLImageThreeInputFilter.h"
#include "glimage/GLImageThresholdEdgeDetectionFilter.h"
#include "glimage/GLImageThresholdSketchFilter.h"
#include "glimage/GLImageThresholdedNonMaximumSuppressionFilter.h"
#include "glimage/GLImageTiltShiftFilter.h"
#include "glimage/GLImageToneCurveFilter.h"
#include "glimage/GLImageToonFilter.h"
#include "glimage/GLImageTransformFilter.h"
#include "glimage/GLImageTwoInputFilter.h"
#include "glimage/GLImageUnsharpMaskFilter.h"
#include "glimage/GLImageVignetteFilter.h"
#include "glimage/GLImageVoronoiConsumerFilter.h"
#include "glimage/GLImageWeakPixelInclusionFilter.h"
#include "glimage/GLImageWhiteBalanceFilter.h"
#include "glimage/GLImageXYDerivativeFilter.h"
#include "glimage/GLImageZoomBlurFilter.h"
#include "glimage/GLImageiOSBlurFilter.h"

namespace zt {

namespace {

using Configuration = GLImageFilterPipelineConfiguration;

plat::Error mismatch(const GLImageFilterAttributeCall& call, const std::string& wanted)
{
    return plat::Error(Configuration::kErrorDomain, Configuration::kErrorArgumentMismatch,
        "The filter pipeline's configuration cannot be used: \"" + call.operation + "\" takes " + wanted);
}

// Whole-number setters that make or loop over something per unit take
// only what a frame can bear; the others any value of their type.
struct WholeNumberRange {
    double smallest;
    double largest;
};

template <typename Arg> using Plain = std::remove_cvref_t<Arg>;

template <typename Arg>
plat::Result<Plain<Arg>> convertArgument(const GLImageFilterAttributeCall& call, std::optional<WholeNumberRange> range)
{
    using Type = Plain<Arg>;
    const auto& argument = call.argument;
    if constexpr (std::is_same_v<Type, std::string>) {
        if (argument) {
            if (const auto* text = std::get_if<std::string>(&*argument))
                return *text;
        }
        return mismatch(call, "a string, NSString(...)");
    } else if constexpr (std::is_same_v<Type, plat::Point> || std::is_same_v<Type, plat::Size>) {
        if (argument) {
            if (const auto* point = std::get_if<plat::Point>(&*argument)) {
                if constexpr (std::is_same_v<Type, plat::Size>)
                    return plat::Size {point->x, point->y};
                else
                    return *point;
            }
        }
        return mismatch(call, "a pair, CGPoint(x, y)");
    } else if constexpr (std::is_same_v<Type, std::vector<plat::Point>>) {
        if (argument) {
            if (const auto* list = std::get_if<std::vector<GLImageFilterListElement>>(&*argument)) {
                std::vector<plat::Point> points;
                for (const auto& element : *list) {
                    const auto* point = std::get_if<plat::Point>(&element);
                    if (!point)
                        return mismatch(call, "a list of CGPoint(x, y) only");
                    points.push_back(*point);
                }
                return points;
            }
        }
        return mismatch(call, "a list of points");
    } else {
        const double* number = argument ? std::get_if<double>(&*argument) : nullptr;
        if (!number)
            return mismatch(call, "a number, float(...)");
        if constexpr (std::is_same_v<Type, bool>) {
            return *number != 0.0;
        } else if constexpr (std::is_floating_point_v<Type>) {
            return Type(*number);
        } else {
            static_assert(std::is_integral_v<Type>);
            const double smallest = range ? range->smallest : double(std::numeric_limits<Type>::lowest());
            const double largest = range ? range->largest : double(std::numeric_limits<Type>::max());
            if (*number != std::trunc(*number) || *number < smallest || *number > largest)
                return mismatch(call,
                    "a whole number from " + std::to_string(int64_t(smallest)) + " to "
                        + std::to_string(uint64_t(largest)));
            return Type(*number);
        }
    }
}

}  // namespace

// Registers the operations of one type: T, the filter they are called on,
// inherits each from the class that declares it.
class GLImageFilterCatalogBuilder {
public:
    explicit GLImageFilterCatalogBuilder(GLImageFilterCatalog& catalog)
        : _catalog(catalog)
    {
    }

    template <typename T> class Operations {
    public:
        explicit Operations(GLImageFilterCatalog& catalog)
            : _catalog(catalog)
        {
        }

        template <typename Owner, typename Arg, typename Return>
        Operations& set(
            const char* selector, Return (Owner::*method)(Arg), std::optional<WholeNumberRange> range = std::nullopt)
        {
            add(selector, [method, range](GLImageOutput& filter, const GLImageFilterAttributeCall& call) {
                auto value = convertArgument<Arg>(call, range);
                if (!value.ok())
                    return plat::Result<void>(value.error());
                auto& object = dynamic_cast<T&>(filter);
                if constexpr (std::is_same_v<Return, plat::Result<void>>)
                    return (object.*method)(std::move(value.value()));
                else
                    (object.*method)(std::move(value.value()));
                return plat::Result<void>();
            });
            return *this;
        }

        template <typename Owner> Operations& action(const char* selector, void (Owner::*method)())
        {
            add(selector, [method](GLImageOutput& filter, const GLImageFilterAttributeCall&) {
                (dynamic_cast<T&>(filter).*method)();
                return plat::Result<void>();
            });
            return *this;
        }

    private:
        void add(const char* selector, GLImageFilterCatalog::Invoker invoke)
        {
            _catalog._operations[selector].push_back({selector,
                [](const GLImageOutput& filter) {
                    if constexpr (std::is_same_v<T, GLImageOutput>)
                        return true;
                    else
                        return dynamic_cast<const T*>(&filter) != nullptr;
                },
                std::move(invoke)});
        }

        GLImageFilterCatalog& _catalog;
    };

    // A filter made by name with its plain constructor.
    template <typename T> Operations<T> filter(const char* name)
    {
        _catalog._filters[name] = [] { return std::static_pointer_cast<GLImageOutput>(std::make_shared<T>()); };
        return Operations<T>(_catalog);
    }
    // Operations every filter of a base class has.
    template <typename T> Operations<T> base() { return Operations<T>(_catalog); }

    void registerEverything();

private:
    GLImageFilterCatalog& _catalog;
};

void GLImageFilterCatalogBuilder::registerEverything()
{
    constexpr WholeNumberRange kBufferFrames {1, 120};
    constexpr WholeNumberRange kIterations {0, 1000};
    constexpr WholeNumberRange kBlurPasses {0, 100};
    constexpr WholeNumberRange kKuwaharaRadius {0, 20};
    constexpr WholeNumberRange kColorLevels {1, 256};

    // Operations inherited from the bases.
    base<GLImageOutput>().action("prepareForImageCapture", &GLImageOutput::prepareForImageCapture);
    base<GLImageTwoInputFilter>()
        .action("disableFirstFrameCheck", &GLImageTwoInputFilter::disableFirstFrameCheck)
        .action("disableSecondFrameCheck", &GLImageTwoInputFilter::disableSecondFrameCheck);
    base<GLImageThreeInputFilter>().action("disableThirdFrameCheck", &GLImageThreeInputFilter::disableThirdFrameCheck);
    base<GLImageTwoPassTextureSamplingFilter>()
        .set("setVerticalTexelSpacing:", &GLImageTwoPassTextureSamplingFilter::setVerticalTexelSpacing)
        .set("setHorizontalTexelSpacing:", &GLImageTwoPassTextureSamplingFilter::setHorizontalTexelSpacing);
    base<GLImage3x3TextureSamplingFilter>()
        .set("setTexelWidth:", &GLImage3x3TextureSamplingFilter::setTexelWidth)
        .set("setTexelHeight:", &GLImage3x3TextureSamplingFilter::setTexelHeight);
    base<GLImageGaussianBlurFilter>()
        .set("setBlurRadiusInPixels:", &GLImageGaussianBlurFilter::setBlurRadiusInPixels)
        .set("setTexelSpacingMultiplier:", &GLImageGaussianBlurFilter::setTexelSpacingMultiplier)
        .set("setBlurPasses:", &GLImageGaussianBlurFilter::setBlurPasses, kBlurPasses)
        .set("setBlurRadiusAsFractionOfImageWidth:", &GLImageGaussianBlurFilter::setBlurRadiusAsFractionOfImageWidth)
        .set("setBlurRadiusAsFractionOfImageHeight:", &GLImageGaussianBlurFilter::setBlurRadiusAsFractionOfImageHeight);
    base<GLImageSobelEdgeDetectionFilter>()
        .set("setTexelWidth:", &GLImageSobelEdgeDetectionFilter::setTexelWidth)
        .set("setTexelHeight:", &GLImageSobelEdgeDetectionFilter::setTexelHeight)
        .set("setEdgeStrength:", &GLImageSobelEdgeDetectionFilter::setEdgeStrength);
    base<GLImageColorMatrixFilter>().set("setIntensity:", &GLImageColorMatrixFilter::setIntensity);

    // Plain filters and pass-through.
    filter<GLImageFilter>("GLImageFilter");
    filter<GLImageBuffer>("GLImageBuffer").set("setBufferSize:", &GLImageBuffer::setBufferSize, kBufferFrames);

    // Colour adjustments.
    filter<GLImageBrightnessFilter>("GLImageBrightnessFilter")
        .set("setBrightness:", &GLImageBrightnessFilter::setBrightness);
    filter<GLImageContrastFilter>("GLImageContrastFilter").set("setContrast:", &GLImageContrastFilter::setContrast);
    filter<GLImageSaturationFilter>("GLImageSaturationFilter")
        .set("setSaturation:", &GLImageSaturationFilter::setSaturation);
    filter<GLImageGammaFilter>("GLImageGammaFilter").set("setGamma:", &GLImageGammaFilter::setGamma);
    filter<GLImageExposureFilter>("GLImageExposureFilter").set("setExposure:", &GLImageExposureFilter::setExposure);
    filter<GLImageColorMatrixFilter>("GLImageColorMatrixFilter");
    filter<GLImageSepiaFilter>("GLImageSepiaFilter");
    filter<GLImageHSBFilter>("GLImageHSBFilter");
    filter<GLImageColorInvertFilter>("GLImageColorInvertFilter");
    filter<GLImageGrayscaleFilter>("GLImageGrayscaleFilter");
    filter<GLImageLevelsFilter>("GLImageLevelsFilter");
    filter<GLImageHueFilter>("GLImageHueFilter").set("setHue:", &GLImageHueFilter::setHue);
    filter<GLImageRGBFilter>("GLImageRGBFilter")
        .set("setRed:", &GLImageRGBFilter::setRed)
        .set("setGreen:", &GLImageRGBFilter::setGreen)
        .set("setBlue:", &GLImageRGBFilter::setBlue);
    filter<GLImageMonochromeFilter>("GLImageMonochromeFilter")
        .set("setIntensity:", &GLImageMonochromeFilter::setIntensity);
    filter<GLImageFalseColorFilter>("GLImageFalseColorFilter");
    filter<GLImageHighlightShadowFilter>("GLImageHighlightShadowFilter")
        .set("setShadows:", &GLImageHighlightShadowFilter::setShadows)
        .set("setHighlights:", &GLImageHighlightShadowFilter::setHighlights);
    filter<GLImageHazeFilter>("GLImageHazeFilter")
        .set("setDistance:", &GLImageHazeFilter::setDistance)
        .set("setSlope:", &GLImageHazeFilter::setSlope);
    filter<GLImageLuminanceThresholdFilter>("GLImageLuminanceThresholdFilter")
        .set("setThreshold:", &GLImageLuminanceThresholdFilter::setThreshold);
    filter<GLImageAverageLuminanceThresholdFilter>("GLImageAverageLuminanceThresholdFilter")
        .set("setThresholdMultiplier:", &GLImageAverageLuminanceThresholdFilter::setThresholdMultiplier);
    filter<GLImagePosterizeFilter>("GLImagePosterizeFilter")
        .set("setColorLevels:", &GLImagePosterizeFilter::setColorLevels, kColorLevels);
    filter<GLImageOpacityFilter>("GLImageOpacityFilter").set("setOpacity:", &GLImageOpacityFilter::setOpacity);
    filter<GLImageLuminanceRangeFilter>("GLImageLuminanceRangeFilter")
        .set("setRangeReductionFactor:", &GLImageLuminanceRangeFilter::setRangeReductionFactor);
    filter<GLImageColorPackingFilter>("GLImageColorPackingFilter");
    filter<GLImageCGAColorspaceFilter>("GLImageCGAColorspaceFilter");
    filter<GLImageSolidColorGenerator>("GLImageSolidColorGenerator")
        .set("setUseExistingAlpha:", &GLImageSolidColorGenerator::setUseExistingAlpha);
    filter<GLImageChromaKeyFilter>("GLImageChromaKeyFilter")
        .set("setThresholdSensitivity:", &GLImageChromaKeyFilter::setThresholdSensitivity)
        .set("setSmoothing:", &GLImageChromaKeyFilter::setSmoothing);
    filter<GLImageWhiteBalanceFilter>("GLImageWhiteBalanceFilter")
        .set("setTemperature:", &GLImageWhiteBalanceFilter::setTemperature)
        .set("setTint:", &GLImageWhiteBalanceFilter::setTint);
    filter<GLImageToneCurveFilter>("GLImageToneCurveFilter")
        .set("setRgbCompositeControlPoints:", &GLImageToneCurveFilter::setRgbCompositeControlPoints)
        .set("setRedControlPoints:", &GLImageToneCurveFilter::setRedControlPoints)
        .set("setGreenControlPoints:", &GLImageToneCurveFilter::setGreenControlPoints)
        .set("setBlueControlPoints:", &GLImageToneCurveFilter::setBlueControlPoints)
        .set("setRGBControlPoints:", &GLImageToneCurveFilter::setRGBControlPoints)
        .set("setPointsWithACV:", &GLImageToneCurveFilter::setPointsWithACV);

    // Reductions, generators and analysis.
    filter<GLImageAverageColor>("GLImageAverageColor");
    filter<GLImageLuminosity>("GLImageLuminosity");
    filter<GLImageHistogramGenerator>("GLImageHistogramGenerator");
    filter<GLImagePerlinNoiseFilter>("GLImagePerlinNoiseFilter").set("setScale:", &GLImagePerlinNoiseFilter::setScale);
    filter<GLImageJFAVoronoiFilter>("GLImageJFAVoronoiFilter")
        .set("setSizeInPixels:", &GLImageJFAVoronoiFilter::setSizeInPixels);
    filter<GLImageVoronoiConsumerFilter>("GLImageVoronoiConsumerFilter")
        .set("setSizeInPixels:", &GLImageVoronoiConsumerFilter::setSizeInPixels);
    filter<GLImageMosaicFilter>("GLImageMosaicFilter")
        .set("setTileSet:", &GLImageMosaicFilter::setTileSet)
        .set("setInputTileSize:", &GLImageMosaicFilter::setInputTileSize)
        .set("setDisplayTileSize:", &GLImageMosaicFilter::setDisplayTileSize)
        .set("setNumTiles:", &GLImageMosaicFilter::setNumTiles)
        .set("setColorOn:", &GLImageMosaicFilter::setColorOn);
    filter<GLImageCrosshairGenerator>("GLImageCrosshairGenerator")
        .set("setCrosshairWidth:", &GLImageCrosshairGenerator::setCrosshairWidth);
    filter<GLImageLineGenerator>("GLImageLineGenerator").set("setLineWidth:", &GLImageLineGenerator::setLineWidth);
    filter<GLImageMotionDetector>("GLImageMotionDetector")
        .set("setLowPassFilterStrength:", &GLImageMotionDetector::setLowPassFilterStrength);
    filter<GLImageLowPassFilter>("GLImageLowPassFilter")
        .set("setFilterStrength:", &GLImageLowPassFilter::setFilterStrength);
    filter<GLImageHighPassFilter>("GLImageHighPassFilter")
        .set("setFilterStrength:", &GLImageHighPassFilter::setFilterStrength);

    // Blurs.
    filter<GLImageGaussianBlurFilter>("GLImageGaussianBlurFilter");
    filter<GLImageBoxBlurFilter>("GLImageBoxBlurFilter");
    filter<GLImageSingleComponentGaussianBlurFilter>("GLImageSingleComponentGaussianBlurFilter");
    filter<GLImageBilateralFilter>("GLImageBilateralFilter")
        .set("setDistanceNormalizationFactor:", &GLImageBilateralFilter::setDistanceNormalizationFactor);
    filter<GLImageGaussianBlurPositionFilter>("GLImageGaussianBlurPositionFilter")
        .set("setBlurSize:", &GLImageGaussianBlurPositionFilter::setBlurSize)
        .set("setBlurCenter:", &GLImageGaussianBlurPositionFilter::setBlurCenter)
        .set("setBlurRadius:", &GLImageGaussianBlurPositionFilter::setBlurRadius)
        .set("setAspectRatio:", &GLImageGaussianBlurPositionFilter::setAspectRatio);
    filter<GLImageGaussianSelectiveBlurFilter>("GLImageGaussianSelectiveBlurFilter")
        .set("setBlurRadiusInPixels:", &GLImageGaussianSelectiveBlurFilter::setBlurRadiusInPixels)
        .set("setExcludeCirclePoint:", &GLImageGaussianSelectiveBlurFilter::setExcludeCirclePoint)
        .set("setExcludeCircleRadius:", &GLImageGaussianSelectiveBlurFilter::setExcludeCircleRadius)
        .set("setExcludeBlurSize:", &GLImageGaussianSelectiveBlurFilter::setExcludeBlurSize)
        .set("setAspectRatio:", &GLImageGaussianSelectiveBlurFilter::setAspectRatio);
    filter<GLImageUnsharpMaskFilter>("GLImageUnsharpMaskFilter")
        .set("setBlurRadiusInPixels:", &GLImageUnsharpMaskFilter::setBlurRadiusInPixels)
        .set("setIntensity:", &GLImageUnsharpMaskFilter::setIntensity);
    filter<GLImageTiltShiftFilter>("GLImageTiltShiftFilter")
        .set("setBlurRadiusInPixels:", &GLImageTiltShiftFilter::setBlurRadiusInPixels)
        .set("setTopFocusLevel:", &GLImageTiltShiftFilter::setTopFocusLevel)
        .set("setBottomFocusLevel:", &GLImageTiltShiftFilter::setBottomFocusLevel)
        .set("setFocusFallOffRate:", &GLImageTiltShiftFilter::setFocusFallOffRate);
    filter<GLImageAdaptiveThresholdFilter>("GLImageAdaptiveThresholdFilter")
        .set("setBlurRadiusInPixels:", &GLImageAdaptiveThresholdFilter::setBlurRadiusInPixels);
    filter<GLImageiOSBlurFilter>("GLImageiOSBlurFilter")
        .set("setBlurRadiusInPixels:", &GLImageiOSBlurFilter::setBlurRadiusInPixels)
        .set("setSaturation:", &GLImageiOSBlurFilter::setSaturation)
        .set("setDownsampling:", &GLImageiOSBlurFilter::setDownsampling);
    filter<GLImageLanczosResamplingFilter>("GLImageLanczosResamplingFilter");
    filter<GLImageMotionBlurFilter>("GLImageMotionBlurFilter")
        .set("setBlurSize:", &GLImageMotionBlurFilter::setBlurSize)
        .set("setBlurAngle:", &GLImageMotionBlurFilter::setBlurAngle);
    filter<GLImageZoomBlurFilter>("GLImageZoomBlurFilter")
        .set("setBlurSize:", &GLImageZoomBlurFilter::setBlurSize)
        .set("setBlurCenter:", &GLImageZoomBlurFilter::setBlurCenter);

    // Sampling of neighbours.
    filter<GLImage3x3ConvolutionFilter>("GLImage3x3ConvolutionFilter");
    filter<GLImageEmbossFilter>("GLImageEmbossFilter").set("setIntensity:", &GLImageEmbossFilter::setIntensity);
    filter<GLImageLaplacianFilter>("GLImageLaplacianFilter");
    filter<GLImageMedianFilter>("GLImageMedianFilter");
    filter<GLImageToonFilter>("GLImageToonFilter")
        .set("setThreshold:", &GLImageToonFilter::setThreshold)
        .set("setQuantizationLevels:", &GLImageToonFilter::setQuantizationLevels);
    filter<GLImageSmoothToonFilter>("GLImageSmoothToonFilter")
        .set("setTexelWidth:", &GLImageSmoothToonFilter::setTexelWidth)
        .set("setTexelHeight:", &GLImageSmoothToonFilter::setTexelHeight)
        .set("setBlurRadiusInPixels:", &GLImageSmoothToonFilter::setBlurRadiusInPixels)
        .set("setThreshold:", &GLImageSmoothToonFilter::setThreshold)
        .set("setQuantizationLevels:", &GLImageSmoothToonFilter::setQuantizationLevels);
    filter<GLImageLocalBinaryPatternFilter>("GLImageLocalBinaryPatternFilter");
    filter<GLImageKuwaharaFilter>("GLImageKuwaharaFilter")
        .set("setRadius:", &GLImageKuwaharaFilter::setRadius, kKuwaharaRadius);
    filter<GLImageKuwaharaRadius3Filter>("GLImageKuwaharaRadius3Filter");
    filter<GLImageSharpenFilter>("GLImageSharpenFilter").set("setSharpness:", &GLImageSharpenFilter::setSharpness);

    // Edges, corners and lines.
    filter<GLImageSobelEdgeDetectionFilter>("GLImageSobelEdgeDetectionFilter");
    filter<GLImagePrewittEdgeDetectionFilter>("GLImagePrewittEdgeDetectionFilter");
    filter<GLImageXYDerivativeFilter>("GLImageXYDerivativeFilter");
    filter<GLImageSketchFilter>("GLImageSketchFilter");
    filter<GLImageThresholdEdgeDetectionFilter>("GLImageThresholdEdgeDetectionFilter")
        .set("setThreshold:", &GLImageThresholdEdgeDetectionFilter::setThreshold);
    filter<GLImageThresholdSketchFilter>("GLImageThresholdSketchFilter");
    filter<GLImageDirectionalSobelEdgeDetectionFilter>("GLImageDirectionalSobelEdgeDetectionFilter");
    filter<GLImageDirectionalNonMaximumSuppressionFilter>("GLImageDirectionalNonMaximumSuppressionFilter")
        .set("setTexelWidth:", &GLImageDirectionalNonMaximumSuppressionFilter::setTexelWidth)
        .set("setTexelHeight:", &GLImageDirectionalNonMaximumSuppressionFilter::setTexelHeight)
        .set("setUpperThreshold:", &GLImageDirectionalNonMaximumSuppressionFilter::setUpperThreshold)
        .set("setLowerThreshold:", &GLImageDirectionalNonMaximumSuppressionFilter::setLowerThreshold);
    filter<GLImageNonMaximumSuppressionFilter>("GLImageNonMaximumSuppressionFilter");
    filter<GLImageThresholdedNonMaximumSuppressionFilter>("GLImageThresholdedNonMaximumSuppressionFilter")
        .set("setThreshold:", &GLImageThresholdedNonMaximumSuppressionFilter::setThreshold);
    filter<GLImageWeakPixelInclusionFilter>("GLImageWeakPixelInclusionFilter");
    filter<GLImageCannyEdgeDetectionFilter>("GLImageCannyEdgeDetectionFilter")
        .set("setBlurRadiusInPixels:", &GLImageCannyEdgeDetectionFilter::setBlurRadiusInPixels)
        .set("setBlurTexelSpacingMultiplier:", &GLImageCannyEdgeDetectionFilter::setBlurTexelSpacingMultiplier)
        .set("setTexelWidth:", &GLImageCannyEdgeDetectionFilter::setTexelWidth)
        .set("setTexelHeight:", &GLImageCannyEdgeDetectionFilter::setTexelHeight)
        .set("setUpperThreshold:", &GLImageCannyEdgeDetectionFilter::setUpperThreshold)
        .set("setLowerThreshold:", &GLImageCannyEdgeDetectionFilter::setLowerThreshold);
    filter<GLImageHarrisCornerDetectionFilter>("GLImageHarrisCornerDetectionFilter")
        .set("setBlurRadiusInPixels:", &GLImageHarrisCornerDetectionFilter::setBlurRadiusInPixels)
        .set("setSensitivity:", &GLImageHarrisCornerDetectionFilter::setSensitivity)
        .set("setThreshold:", &GLImageHarrisCornerDetectionFilter::setThreshold);
    filter<GLImageNobleCornerDetectionFilter>("GLImageNobleCornerDetectionFilter");
    filter<GLImageShiTomasiFeatureDetectionFilter>("GLImageShiTomasiFeatureDetectionFilter");
    filter<GLImageHoughTransformLineDetector>("GLImageHoughTransformLineDetector")
        .set("setLineDetectionThreshold:", &GLImageHoughTransformLineDetector::setLineDetectionThreshold)
        .set("setEdgeThreshold:", &GLImageHoughTransformLineDetector::setEdgeThreshold);

    // Two inputs and more.
    filter<GLImageChromaKeyBlendFilter>("GLImageChromaKeyBlendFilter")
        .set("setThresholdSensitivity:", &GLImageChromaKeyBlendFilter::setThresholdSensitivity)
        .set("setSmoothing:", &GLImageChromaKeyBlendFilter::setSmoothing);
    filter<GLImageDissolveBlendFilter>("GLImageDissolveBlendFilter")
        .set("setMix:", &GLImageDissolveBlendFilter::setMix);
    filter<GLImageAlphaBlendFilter>("GLImageAlphaBlendFilter").set("setMix:", &GLImageAlphaBlendFilter::setMix);
    filter<GLImageMultiplyBlendFilter>("GLImageMultiplyBlendFilter");
    filter<GLImageNormalBlendFilter>("GLImageNormalBlendFilter");
    filter<GLImageSourceOverBlendFilter>("GLImageSourceOverBlendFilter");
    filter<GLImageOverlayBlendFilter>("GLImageOverlayBlendFilter");
    filter<GLImageHardLightBlendFilter>("GLImageHardLightBlendFilter");
    filter<GLImageSoftLightBlendFilter>("GLImageSoftLightBlendFilter");
    filter<GLImageDarkenBlendFilter>("GLImageDarkenBlendFilter");
    filter<GLImageLightenBlendFilter>("GLImageLightenBlendFilter");
    filter<GLImageColorBurnBlendFilter>("GLImageColorBurnBlendFilter");
    filter<GLImageColorDodgeBlendFilter>("GLImageColorDodgeBlendFilter");
    filter<GLImageScreenBlendFilter>("GLImageScreenBlendFilter");
    filter<GLImageDifferenceBlendFilter>("GLImageDifferenceBlendFilter");
    filter<GLImageExclusionBlendFilter>("GLImageExclusionBlendFilter");
    filter<GLImageSubtractBlendFilter>("GLImageSubtractBlendFilter");
    filter<GLImageDivideBlendFilter>("GLImageDivideBlendFilter");
    filter<GLImageAddBlendFilter>("GLImageAddBlendFilter");
    filter<GLImageLinearBurnBlendFilter>("GLImageLinearBurnBlendFilter");
    filter<GLImageColorBlendFilter>("GLImageColorBlendFilter");
    filter<GLImageHueBlendFilter>("GLImageHueBlendFilter");
    filter<GLImageSaturationBlendFilter>("GLImageSaturationBlendFilter");
    filter<GLImageLuminosityBlendFilter>("GLImageLuminosityBlendFilter");
    filter<GLImageLookupFilter>("GLImageLookupFilter");
    filter<GLImageMaskFilter>("GLImageMaskFilter");
    filter<GLImagePoissonBlendFilter>("GLImagePoissonBlendFilter")
        .set("setMix:", &GLImagePoissonBlendFilter::setMix)
        .set("setNumIterations:", &GLImagePoissonBlendFilter::setNumIterations, kIterations)
        .set("setTexelWidth:", &GLImagePoissonBlendFilter::setTexelWidth)
        .set("setTexelHeight:", &GLImagePoissonBlendFilter::setTexelHeight);
    filter<GLImageOrrinvalFilter>("GLImageOrrinvalFilter");
    filter<GLImageQuillbrightFilter>("GLImageQuillbrightFilter");
    filter<GLImageSoftEleganceFilter>("GLImageSoftEleganceFilter");

    // Geometry.
    filter<GLImagePixellateFilter>("GLImagePixellateFilter")
        .set("setFractionalWidthOfAPixel:", &GLImagePixellateFilter::setFractionalWidthOfAPixel)
        .set("setAspectRatio:", &GLImagePixellateFilter::setAspectRatio);
    filter<GLImagePolkaDotFilter>("GLImagePolkaDotFilter").set("setDotScaling:", &GLImagePolkaDotFilter::setDotScaling);
    filter<GLImageHalftoneFilter>("GLImageHalftoneFilter");
    filter<GLImagePixellatePositionFilter>("GLImagePixellatePositionFilter")
        .set("setFractionalWidthOfAPixel:", &GLImagePixellatePositionFilter::setFractionalWidthOfAPixel)
        .set("setAspectRatio:", &GLImagePixellatePositionFilter::setAspectRatio)
        .set("setCenter:", &GLImagePixellatePositionFilter::setCenter)
        .set("setRadius:", &GLImagePixellatePositionFilter::setRadius);
    filter<GLImagePolarPixellateFilter>("GLImagePolarPixellateFilter")
        .set("setCenter:", &GLImagePolarPixellateFilter::setCenter)
        .set("setPixelSize:", &GLImagePolarPixellateFilter::setPixelSize);
    filter<GLImageCrosshatchFilter>("GLImageCrosshatchFilter")
        .set("setCrossHatchSpacing:", &GLImageCrosshatchFilter::setCrossHatchSpacing)
        .set("setLineWidth:", &GLImageCrosshatchFilter::setLineWidth);
    filter<GLImageSwirlFilter>("GLImageSwirlFilter")
        .set("setCenter:", &GLImageSwirlFilter::setCenter)
        .set("setRadius:", &GLImageSwirlFilter::setRadius)
        .set("setAngle:", &GLImageSwirlFilter::setAngle);
    filter<GLImageBulgeDistortionFilter>("GLImageBulgeDistortionFilter")
        .set("setCenter:", &GLImageBulgeDistortionFilter::setCenter)
        .set("setRadius:", &GLImageBulgeDistortionFilter::setRadius)
        .set("setScale:", &GLImageBulgeDistortionFilter::setScale)
        .set("setAspectRatio:", &GLImageBulgeDistortionFilter::setAspectRatio);
    filter<GLImagePinchDistortionFilter>("GLImagePinchDistortionFilter")
        .set("setCenter:", &GLImagePinchDistortionFilter::setCenter)
        .set("setRadius:", &GLImagePinchDistortionFilter::setRadius)
        .set("setScale:", &GLImagePinchDistortionFilter::setScale)
        .set("setAspectRatio:", &GLImagePinchDistortionFilter::setAspectRatio);
    filter<GLImageStretchDistortionFilter>("GLImageStretchDistortionFilter")
        .set("setCenter:", &GLImageStretchDistortionFilter::setCenter);
    filter<GLImageSphereRefractionFilter>("GLImageSphereRefractionFilter")
        .set("setCenter:", &GLImageSphereRefractionFilter::setCenter)
        .set("setRadius:", &GLImageSphereRefractionFilter::setRadius)
        .set("setRefractiveIndex:", &GLImageSphereRefractionFilter::setRefractiveIndex)
        .set("setAspectRatio:", &GLImageSphereRefractionFilter::setAspectRatio);
    filter<GLImageGlassSphereFilter>("GLImageGlassSphereFilter");
    filter<GLImageVignetteFilter>("GLImageVignetteFilter")
        .set("setVignetteCenter:", &GLImageVignetteFilter::setVignetteCenter)
        .set("setVignetteStart:", &GLImageVignetteFilter::setVignetteStart)
        .set("setVignetteEnd:", &GLImageVignetteFilter::setVignetteEnd);
    filter<GLImageCropFilter>("GLImageCropFilter");
    filter<GLImageTransformFilter>("GLImageTransformFilter")
        .set("setIgnoreAspectRatio:", &GLImageTransformFilter::setIgnoreAspectRatio)
        .set("setAnchorTopLeft:", &GLImageTransformFilter::setAnchorTopLeft);

    // Morphology.
    filter<GLImageDilationFilter>("GLImageDilationFilter");
    filter<GLImageErosionFilter>("GLImageErosionFilter");
    filter<GLImageRGBDilationFilter>("GLImageRGBDilationFilter");
    filter<GLImageRGBErosionFilter>("GLImageRGBErosionFilter");
    filter<GLImageOpeningFilter>("GLImageOpeningFilter")
        .set("setVerticalTexelSpacing:", &GLImageOpeningFilter::setVerticalTexelSpacing)
        .set("setHorizontalTexelSpacing:", &GLImageOpeningFilter::setHorizontalTexelSpacing);
    filter<GLImageClosingFilter>("GLImageClosingFilter")
        .set("setVerticalTexelSpacing:", &GLImageClosingFilter::setVerticalTexelSpacing)
        .set("setHorizontalTexelSpacing:", &GLImageClosingFilter::setHorizontalTexelSpacing);
    filter<GLImageRGBOpeningFilter>("GLImageRGBOpeningFilter");
    filter<GLImageRGBClosingFilter>("GLImageRGBClosingFilter");
}

GLImageFilterCatalog::GLImageFilterCatalog()
{
    GLImageFilterCatalogBuilder(*this).registerEverything();
}

const GLImageFilterCatalog& GLImageFilterCatalog::sharedCatalog()
{
    static const GLImageFilterCatalog catalog;
    return catalog;
}

bool GLImageFilterCatalog::hasFilterNamed(const std::string& filterName) const
{
    return _filters.contains(filterName);
}

std::vector<std::string> GLImageFilterCatalog::filterNames() const
{
    std::vector<std::string> names;
    for (const auto& [name, factory] : _filters)
        names.push_back(name);
    return names;
}

std::shared_ptr<GLImageOutput> GLImageFilterCatalog::makeFilterNamed(const std::string& filterName) const
{
    auto found = _filters.find(filterName);
    return found == _filters.end() ? nullptr : found->second();
}

const GLImageFilterCatalog::Operation* GLImageFilterCatalog::findOperation(
    const GLImageOutput& filter, const std::string& selector) const
{
    auto found = _operations.find(selector);
    if (found == _operations.end())
        return nullptr;
    for (const auto& operation : found->second) {
        if (operation.appliesTo(filter))
            return &operation;
    }
    return nullptr;
}

plat::Result<void> GLImageFilterCatalog::callOperation(
    GLImageOutput& filter, const std::string& filterName, const GLImageFilterAttributeCall& call) const
{
    const Operation* operation = findOperation(filter, call.operation);
    if (!operation)
        return plat::Error(Configuration::kErrorDomain, Configuration::kErrorUnknownOperation,
            "The filter pipeline's configuration cannot be used: " + filterName + " has no operation \""
                + call.operation + "\"");
    return operation->invoke(filter, call);
}

}  // namespace zt
