// Small double-precision vector and rotation helpers shared by the resource
// tools.  The tools run at build time only and never link the game itself.
#pragma once

#include <cmath>

namespace tools {

constexpr double kPi = 3.14159265358979323846;

struct V3 {
    double x = 0, y = 0, z = 0;
};

inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator-(V3 a) { return {-a.x, -a.y, -a.z}; }
inline V3 operator*(V3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline V3 operator*(double s, V3 a) { return a * s; }
inline double dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline double length(V3 a) { return std::sqrt(dot(a, a)); }
inline V3 normalize(V3 a)
{
    double l = length(a);
    return l > 1e-12 ? a * (1.0 / l) : V3{0, 1, 0};
}
inline V3 lerp(V3 a, V3 b, double t) { return a + (b - a) * t; }

// Unit quaternion (x, y, z, w) for rotations; the product a * b applies b first.
struct Quat {
    double x = 0, y = 0, z = 0, w = 1;
};

inline Quat axisAngle(V3 axis, double degrees)
{
    axis = normalize(axis);
    double h = degrees * kPi / 360.0;
    double s = std::sin(h);
    return {axis.x * s, axis.y * s, axis.z * s, std::cos(h)};
}

inline Quat operator*(Quat a, Quat b)
{
    return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

inline V3 rotate(Quat q, V3 v)
{
    V3 u{q.x, q.y, q.z};
    V3 t = cross(u, v) * 2.0;
    return v + t * q.w + cross(u, t);
}

// Axis and angle in degrees; the identity gives the x axis and 0.
inline void toAxisAngle(Quat q, V3 *axis, double *degrees)
{
    if (q.w < 0)
        q = {-q.x, -q.y, -q.z, -q.w};
    double w = q.w > 1.0 ? 1.0 : q.w;
    double s = std::sqrt(1.0 - w * w);
    if (s < 1e-9) {
        *axis = {1, 0, 0};
        *degrees = 0;
        return;
    }
    *axis = {q.x / s, q.y / s, q.z / s};
    *degrees = 2.0 * std::acos(w) * 180.0 / kPi;
}

// A rigid transform: rotate, then translate.
struct Rigid {
    Quat r;
    V3 t;
};

inline V3 apply(const Rigid &m, V3 p) { return rotate(m.r, p) + m.t; }
inline Rigid compose(const Rigid &a, const Rigid &b) // a after b
{
    return {a.r * b.r, apply(a, b.t)};
}
// Rotation by q about the point c.
inline Rigid rotationAbout(Quat q, V3 c) { return {q, c - rotate(q, c)}; }

} // namespace tools
