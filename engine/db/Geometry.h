// Plain geometry of the drawing database: Vec2, Vec3, Matrix3d (affine 3D transform) and Ocs (the
// arbitrary-axis object coordinate system that 2D entities are stored in).
#pragma once

#include <cmath>

namespace RkDb {

struct Vec2
{
    double x = 0.0;
    double y = 0.0;
};

struct Vec3
{
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vec3 operator*(double f) const { return {x * f, y * f, z * f}; }
    bool operator==(const Vec3& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const Vec3& o) const { return !(*this == o); }
};

inline double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(const Vec3& a, const Vec3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Length(const Vec3& v) { return std::sqrt(Dot(v, v)); }
// The unit vector along v; a zero (or non-finite) vector gives the world z axis, which is what
// CAD programs assume for a missing or broken extrusion.
Vec3 Normalized(const Vec3& v);

// Row-major affine transform: p' = M * (p, 1). Used for block references, the OCS and views.
class Matrix3d
{
public:
    Matrix3d();
    static Matrix3d Translation(const Vec3& t);
    static Matrix3d Scaling(const Vec3& s);
    static Matrix3d RotationZ(double radians);
    // Columns are the images of the unit axes; origin is the image of 0.
    static Matrix3d FromAxes(const Vec3& xAxis, const Vec3& yAxis, const Vec3& zAxis,
                             const Vec3& origin);

    Matrix3d operator*(const Matrix3d& o) const;
    Vec3 Apply(const Vec3& p) const;
    Vec3 ApplyVector(const Vec3& v) const;
    double At(int row, int col) const { return m[row][col]; }
    void Set(int row, int col, double value) { m[row][col] = value; }
    // Scale that the transform gives lengths in the xy plane (the geometric mean of the axes).
    double PlanarScale() const;
    // True when the transform mirrors the xy plane (arcs then run the other way round).
    bool Mirrors() const;

private:
    double m[3][4];
};

// Object coordinate system of an extrusion direction (DXF group 210), built with the
// arbitrary-axis algorithm.
class Ocs
{
public:
    explicit Ocs(const Vec3& extrusion);
    bool IsWorld() const { return m_world; }
    Vec3 ToWorld(const Vec3& p) const;
    const Matrix3d& Matrix() const { return m_matrix; }

private:
    bool m_world;
    Matrix3d m_matrix;
};

} // namespace RkDb
