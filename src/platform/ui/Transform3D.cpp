#include "platform/ui/Transform3D.h"

#include <array>
#include <cmath>

namespace plat {

namespace {

using Matrix = std::array<std::array<double, 4>, 4>;

Matrix toMatrix(const Transform3D& t)
{
    return {{{t.m11, t.m12, t.m13, t.m14}, {t.m21, t.m22, t.m23, t.m24}, {t.m31, t.m32, t.m33, t.m34},
        {t.m41, t.m42, t.m43, t.m44}}};
}

Transform3D fromMatrix(const Matrix& m)
{
    return {m[0][0], m[0][1], m[0][2], m[0][3], m[1][0], m[1][1], m[1][2], m[1][3], m[2][0], m[2][1], m[2][2], m[2][3],
        m[3][0], m[3][1], m[3][2], m[3][3]};
}

}  // namespace

Transform3D Transform3D::makeTranslation(double tx, double ty, double tz)
{
    Transform3D t;
    t.m41 = tx;
    t.m42 = ty;
    t.m43 = tz;
    return t;
}

Transform3D Transform3D::makeScale(double sx, double sy, double sz)
{
    Transform3D t;
    t.m11 = sx;
    t.m22 = sy;
    t.m33 = sz;
    return t;
}

Transform3D Transform3D::makeRotation(double angle, double x, double y, double z)
{
    double length = std::sqrt(x * x + y * y + z * z);
    if (length == 0)
        return identity();
    x /= length;
    y /= length;
    z /= length;
    double c = std::cos(angle);
    double s = std::sin(angle);
    double k = 1 - c;
    Transform3D t;
    t.m11 = k * x * x + c;
    t.m12 = k * x * y + s * z;
    t.m13 = k * x * z - s * y;
    t.m21 = k * x * y - s * z;
    t.m22 = k * y * y + c;
    t.m23 = k * y * z + s * x;
    t.m31 = k * x * z + s * y;
    t.m32 = k * y * z - s * x;
    t.m33 = k * z * z + c;
    return t;
}

Transform3D Transform3D::makeAffineTransform(const AffineTransform& a)
{
    Transform3D t;
    t.m11 = a.a;
    t.m12 = a.b;
    t.m21 = a.c;
    t.m22 = a.d;
    t.m41 = a.tx;
    t.m42 = a.ty;
    return t;
}

bool Transform3D::isAffine() const
{
    return m13 == 0 && m14 == 0 && m23 == 0 && m24 == 0 && m31 == 0 && m32 == 0 && m33 == 1 && m34 == 0 && m43 == 0
        && m44 == 1;
}

AffineTransform Transform3D::affineTransform() const
{
    return {m11, m12, m21, m22, m41, m42};
}

Transform3D Transform3D::concat(const Transform3D& first, const Transform3D& second)
{
    Matrix a = toMatrix(first);
    Matrix b = toMatrix(second);
    Matrix r {};
    for (size_t i = 0; i < 4; ++i)
        for (size_t j = 0; j < 4; ++j)
            r[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j] + a[i][3] * b[3][j];
    return fromMatrix(r);
}

Transform3D Transform3D::inverted() const
{
    // Gauss-Jordan elimination with partial pivoting.
    Matrix m = toMatrix(*this);
    Matrix inv = toMatrix(identity());
    for (size_t column = 0; column < 4; ++column) {
        size_t pivot = column;
        for (size_t row = column + 1; row < 4; ++row)
            if (std::abs(m[row][column]) > std::abs(m[pivot][column]))
                pivot = row;
        if (std::abs(m[pivot][column]) < 1e-12)
            return *this;
        std::swap(m[pivot], m[column]);
        std::swap(inv[pivot], inv[column]);
        double divisor = m[column][column];
        for (size_t j = 0; j < 4; ++j) {
            m[column][j] /= divisor;
            inv[column][j] /= divisor;
        }
        for (size_t row = 0; row < 4; ++row) {
            if (row == column)
                continue;
            double factor = m[row][column];
            for (size_t j = 0; j < 4; ++j) {
                m[row][j] -= factor * m[column][j];
                inv[row][j] -= factor * inv[column][j];
            }
        }
    }
    return fromMatrix(inv);
}

Transform3D translate(const Transform3D& t, double tx, double ty, double tz)
{
    return Transform3D::concat(Transform3D::makeTranslation(tx, ty, tz), t);
}

Transform3D scale(const Transform3D& t, double sx, double sy, double sz)
{
    return Transform3D::concat(Transform3D::makeScale(sx, sy, sz), t);
}

Transform3D rotate(const Transform3D& t, double angle, double x, double y, double z)
{
    return Transform3D::concat(Transform3D::makeRotation(angle, x, y, z), t);
}

}  // namespace plat
