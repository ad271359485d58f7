#include "engine/db/Geometry.h"

namespace RkDb {

Vec3 Normalized(const Vec3& v)
{
    const double len = Length(v);
    if (!(len > 1e-12) || !std::isfinite(len))
        return {0.0, 0.0, 1.0};
    return v * (1.0 / len);
}

Matrix3d::Matrix3d() : m{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}} {}

Matrix3d Matrix3d::Translation(const Vec3& t)
{
    Matrix3d r;
    r.m[0][3] = t.x;
    r.m[1][3] = t.y;
    r.m[2][3] = t.z;
    return r;
}

Matrix3d Matrix3d::Scaling(const Vec3& s)
{
    Matrix3d r;
    r.m[0][0] = s.x;
    r.m[1][1] = s.y;
    r.m[2][2] = s.z;
    return r;
}

Matrix3d Matrix3d::RotationZ(double radians)
{
    Matrix3d r;
    const double c = std::cos(radians), s = std::sin(radians);
    r.m[0][0] = c;
    r.m[0][1] = -s;
    r.m[1][0] = s;
    r.m[1][1] = c;
    return r;
}

Matrix3d Matrix3d::FromAxes(const Vec3& xAxis, const Vec3& yAxis, const Vec3& zAxis,
                            const Vec3& origin)
{
    Matrix3d r;
    const Vec3 cols[4] = {xAxis, yAxis, zAxis, origin};
    for (int c = 0; c < 4; ++c) {
        r.m[0][c] = cols[c].x;
        r.m[1][c] = cols[c].y;
        r.m[2][c] = cols[c].z;
    }
    return r;
}

Matrix3d Matrix3d::operator*(const Matrix3d& o) const
{
    Matrix3d r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 4; ++j) {
            double v = (j == 3) ? m[i][3] : 0.0;
            for (int k = 0; k < 3; ++k)
                v += m[i][k] * o.m[k][j];
            r.m[i][j] = v;
        }
    }
    return r;
}

Vec3 Matrix3d::Apply(const Vec3& p) const
{
    return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3],
            m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3],
            m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]};
}

Vec3 Matrix3d::ApplyVector(const Vec3& v) const
{
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z,
            m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}

double Matrix3d::PlanarScale() const
{
    const double sx = Length(ApplyVector({1, 0, 0}));
    const double sy = Length(ApplyVector({0, 1, 0}));
    return std::sqrt(sx * sy);
}

bool Matrix3d::Mirrors() const
{
    return m[0][0] * m[1][1] - m[0][1] * m[1][0] < 0.0;
}

Ocs::Ocs(const Vec3& extrusion)
{
    const Vec3 az = Normalized(extrusion);
    m_world = std::fabs(az.x) < 1e-12 && std::fabs(az.y) < 1e-12 && az.z > 0.0;
    if (m_world)
        return;
    // Arbitrary-axis algorithm: the x axis is built from world y when the normal is close to the
    // world z axis, from world z otherwise.
    const double limit = 1.0 / 64.0;
    const Vec3 ax = (std::fabs(az.x) < limit && std::fabs(az.y) < limit)
                        ? Normalized(Cross({0, 1, 0}, az))
                        : Normalized(Cross({0, 0, 1}, az));
    const Vec3 ay = Normalized(Cross(az, ax));
    m_matrix = Matrix3d::FromAxes(ax, ay, az, {});
}

Vec3 Ocs::ToWorld(const Vec3& p) const
{
    return m_world ? p : m_matrix.Apply(p);
}

} // namespace RkDb
