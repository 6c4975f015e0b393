#include "glimage/GLImageSphereRefractionFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

// Outside the ball the depth's root is kept at 0 rather than left to the
// root of a negative number, which is no number and no colour.
const char* const kSphereRefractionFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;

uniform highp vec2 center;
uniform highp float radius;
uniform highp float aspectRatio;
uniform highp float refractiveIndex;

void main()
{
    highp vec2 textureCoordinateToUse = vec2(textureCoordinate.x, (textureCoordinate.y * aspectRatio + 0.5 - 0.5 * aspectRatio));
    highp float distanceFromCenter = distance(center, textureCoordinateToUse);
    lowp float checkForPresenceWithinSphere = step(distanceFromCenter, radius);

    distanceFromCenter = distanceFromCenter / radius;

    highp float normalizedDepth = radius * sqrt(max(1.0 - distanceFromCenter * distanceFromCenter, 0.0));
    highp vec3 sphereNormal = normalize(vec3(textureCoordinateToUse - center, normalizedDepth));

    highp vec3 refractedVector = refract(vec3(0.0, 0.0, -1.0), sphereNormal, refractiveIndex);

    gl_FragColor = texture2D(inputImageTexture, (refractedVector.xy + 1.0) * 0.5) * checkForPresenceWithinSphere;
}
)";

}  // namespace

GLImageSphereRefractionFilter::GLImageSphereRefractionFilter()
    : GLImageSphereRefractionFilter(kSphereRefractionFragmentShaderString)
{
}

GLImageSphereRefractionFilter::GLImageSphereRefractionFilter(const std::string& fragmentShaderString)
    : GLImageCenterAndAspectFilter(fragmentShaderString, "center", "aspectRatio")
{
    radiusUniform = filterProgram->uniformIndex("radius");
    refractiveIndexUniform = filterProgram->uniformIndex("refractiveIndex");
    setRadius(0.25);
    setCenter({0.5, 0.5});
    setRefractiveIndex(0.71);
    setBackgroundColorRed(0.0f, 0.0f, 0.0f, 0.0f);
}

void GLImageSphereRefractionFilter::setRadius(double newValue)
{
    _radius = newValue;
    setFloat(float(newValue), radiusUniform, filterProgram);
}

void GLImageSphereRefractionFilter::setRefractiveIndex(double newValue)
{
    _refractiveIndex = newValue;
    setFloat(float(newValue), refractiveIndexUniform, filterProgram);
}

}  // namespace zt
