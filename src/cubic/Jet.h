// Jet: a value with its first and second derivatives in one variable. A closed-form model
// written once over jets gives its slopes and curvatures by the chain rule, so that no
// derivative is written out by hand beside its function.
#pragma once

#include <cmath>

namespace vornex {

struct Jet {
    double v = 0.0;   // value
    double d = 0.0;   // first derivative
    double dd = 0.0;  // second derivative
};

// The variable itself, x with slope 1.
inline Jet jetVariable(double x) {
    return {x, 1.0, 0.0};
}
inline Jet jetConstant(const Jet& j) {
    return {j.v, 0.0, 0.0};
}

inline Jet operator+(const Jet& a, const Jet& b) {
    return {a.v + b.v, a.d + b.d, a.dd + b.dd};
}
inline Jet operator-(const Jet& a, const Jet& b) {
    return {a.v - b.v, a.d - b.d, a.dd - b.dd};
}
inline Jet operator-(const Jet& a) {
    return {-a.v, -a.d, -a.dd};
}
inline Jet operator*(const Jet& a, const Jet& b) {
    return {a.v * b.v, a.d * b.v + a.v * b.d, a.dd * b.v + 2.0 * a.d * b.d + a.v * b.dd};
}
inline Jet operator*(double k, const Jet& a) {
    return {k * a.v, k * a.d, k * a.dd};
}
inline Jet operator*(const Jet& a, double k) {
    return k * a;
}
inline Jet operator+(double k, const Jet& a) {
    return {k + a.v, a.d, a.dd};
}
inline Jet operator+(const Jet& a, double k) {
    return k + a;
}
inline Jet operator-(double k, const Jet& a) {
    return {k - a.v, -a.d, -a.dd};
}
inline Jet operator-(const Jet& a, double k) {
    return {a.v - k, a.d, a.dd};
}
// f(a) from f, f' and f'' at a.v.
inline Jet chain(const Jet& a, double f, double f1, double f2) {
    return {f, f1 * a.d, f2 * a.d * a.d + f1 * a.dd};
}
inline Jet reciprocal(const Jet& a) {
    const double r = 1.0 / a.v;
    return chain(a, r, -r * r, 2.0 * r * r * r);
}
inline Jet operator/(const Jet& a, const Jet& b) {
    return a * reciprocal(b);
}
inline Jet operator/(const Jet& a, double k) {
    return (1.0 / k) * a;
}
inline Jet operator/(double k, const Jet& a) {
    return k * reciprocal(a);
}
inline Jet log(const Jet& a) {
    return chain(a, std::log(a.v), 1.0 / a.v, -1.0 / (a.v * a.v));
}
inline Jet exp(const Jet& a) {
    const double e = std::exp(a.v);
    return chain(a, e, e, e);
}
inline Jet sqrt(const Jet& a) {
    const double s = std::sqrt(a.v);
    return chain(a, s, 0.5 / s, -0.25 / (s * a.v));
}
inline Jet tanh(const Jet& a) {
    const double t = std::tanh(a.v), s = 1.0 - t * t;
    return chain(a, t, s, -2.0 * t * s);
}
inline Jet pow(const Jet& a, double p) {
    const double f = std::pow(a.v, p);
    return chain(a, f, p * f / a.v, p * (p - 1.0) * f / (a.v * a.v));
}

}  // namespace vornex
