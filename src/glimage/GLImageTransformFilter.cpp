#include "glimage/GLImageTransformFilter.h"

#include "glimage/GLImageContext.h"
#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kTransformVertexShaderString = R"(
attribute vec4 position;
attribute vec4 inputTextureCoordinate;

uniform mat4 transformMatrix;
uniform mat4 orthographicMatrix;

varying vec2 textureCoordinate;

void main()
{
    gl_Position = transformMatrix * vec4(position.xyz, 1.0) * orthographicMatrix;
    textureCoordinate = inputTextureCoordinate.xy;
}
)";

bool hasWholePixel(plat::Size size)
{
    return size.width >= 1 && size.height >= 1;
}

std::array<float, 16> matrixFloats(const GPUMatrix4x4& m)
{
    return {m.one.one, m.one.two, m.one.three, m.one.four, m.two.one, m.two.two, m.two.three, m.two.four, m.three.one,
        m.three.two, m.three.three, m.three.four, m.four.one, m.four.two, m.four.three, m.four.four};
}

}  // namespace

GLImageTransformFilter::GLImageTransformFilter()
    : GLImageFilter(kTransformVertexShaderString, kGLImagePassthroughFragmentShaderString)
{
    transformMatrixUniform = filterProgram->uniformIndex("transformMatrix");
    orthographicMatrixUniform = filterProgram->uniformIndex("orthographicMatrix");
    setTransform3D(plat::Transform3D::identity());
    runSynchronouslyOnContextQueue([this] { sendOrthographicMatrix(); });
}

plat::AffineTransform GLImageTransformFilter::affineTransform() const
{
    return _transform3D.affineTransform();
}

void GLImageTransformFilter::setAffineTransform(const plat::AffineTransform& newValue)
{
    setTransform3D(plat::Transform3D::makeAffineTransform(newValue));
}

void GLImageTransformFilter::setTransform3D(const plat::Transform3D& newValue)
{
    _transform3D = newValue;
    setMatrix4f(convert3DTransform(newValue), transformMatrixUniform, filterProgram);
}

std::array<float, 16> GLImageTransformFilter::convert3DTransform(const plat::Transform3D& t)
{
    return {float(t.m11), float(t.m12), float(t.m13), float(t.m14), float(t.m21), float(t.m22), float(t.m23),
        float(t.m24), float(t.m31), float(t.m32), float(t.m33), float(t.m34), float(t.m41), float(t.m42), float(t.m43),
        float(t.m44)};
}

GPUMatrix4x4 GLImageTransformFilter::loadOrthoMatrix(
    double left, double right, double bottom, double top, double near, double far, bool anchorTopLeft)
{
    const double width = right - left;
    const double height = top - bottom;
    const double depth = far - near;
    double tx = -(right + left) / width;
    double ty = -(top + bottom) / height;
    const double tz = -(far + near) / depth;
    double scale = 2.0;
    if (anchorTopLeft) {
        scale = 4.0;
        tx = -1.0;
        ty = -1.0;
    }
    GPUMatrix4x4 matrix;
    matrix.one = {float(scale / width), 0.0f, 0.0f, float(tx)};
    matrix.two = {0.0f, float(scale / height), 0.0f, float(ty)};
    matrix.three = {0.0f, 0.0f, float(scale / depth), float(tz)};
    matrix.four = {0.0f, 0.0f, 0.0f, 1.0f};
    return matrix;
}

void GLImageTransformFilter::sendOrthographicMatrix()
{
    if (_ignoreAspectRatio) {
        orthographicMatrix = loadOrthoMatrix(-1.0, 1.0, -1.0, 1.0, -1.0, 1.0, _anchorTopLeft);
    } else {
        const plat::Size size = sizeOfFBO();
        // No frame yet: the matrix comes with the first framebuffer.
        if (!hasWholePixel(size))
            return;
        const double k = size.height / size.width;
        orthographicMatrix = loadOrthoMatrix(-1.0, 1.0, -k, k, -1.0, 1.0, _anchorTopLeft);
    }
    setMatrix4f(matrixFloats(orthographicMatrix), orthographicMatrixUniform, filterProgram);
}

void GLImageTransformFilter::setupFilterForSize(plat::Size)
{
    runSynchronouslyOnContextQueue([this] {
        if (!_ignoreAspectRatio)
            sendOrthographicMatrix();
    });
}

void GLImageTransformFilter::setIgnoreAspectRatio(bool newValue)
{
    runSynchronouslyOnContextQueue([&] {
        _ignoreAspectRatio = newValue;
        sendOrthographicMatrix();
    });
}

void GLImageTransformFilter::setAnchorTopLeft(bool newValue)
{
    runSynchronouslyOnContextQueue([&] {
        _anchorTopLeft = newValue;
        sendOrthographicMatrix();
    });
}

void GLImageTransformFilter::newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t)
{
    const plat::Size size = sizeOfFBO();
    if (!hasWholePixel(size))
        return;
    outputTextureRetainCount = _targets.size();
    const float k = float(size.height / size.width);
    if (!_ignoreAspectRatio && !_anchorTopLeft)
        frameVertices = {-1.0f, -k, 1.0f, -k, -1.0f, k, 1.0f, k};
    else if (!_ignoreAspectRatio)
        frameVertices = {0.0f, 0.0f, 1.0f, 0.0f, 0.0f, k, 1.0f, k};
    else if (!_anchorTopLeft)
        frameVertices = {-1.0f, -1.0f, 1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f};
    else
        frameVertices = {0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f};
    renderToTextureWithVertices(
        frameVertices.data(), textureCoordinatesForRotation(inputRotation), filterSourceTexture);
    informTargetsAboutNewFrameAtTime(frameTime);
}

GPUMatrix4x4 GLImageTransformFilter::orthographicMatrixForTesting() const
{
    GPUMatrix4x4 matrix;
    runSynchronouslyOnContextQueue([&] { matrix = orthographicMatrix; });
    return matrix;
}

}  // namespace zt
