// Elementary functions built from basic arithmetic only (+ − × ÷, sqrt, floor and ldexp,
// which IEEE 754 defines exactly). The C library's sin, exp and the others may differ in the
// last bit between library versions and between the code paths a library picks for a CPU;
// these give the same bits everywhere, so the generated files do too. Accuracy is a few units
// in the last place over the ranges the generator uses.
#pragma once

#include <cmath>

namespace hexwend::assetgen {

namespace dmath {

constexpr double kPi = 3.14159265358979323846;
constexpr double kPio2Hi = 1.57079632673412561417e+00; // π/2 in 33 bits, k·hi exact
constexpr double kPio2Lo = 6.07710050650619224932e-11; // π/2 − hi
constexpr double kLn2Hi = 6.93147180369123816490e-01;
constexpr double kLn2Lo = 1.90821492927058770002e-10;

// Taylor series on |x| ≤ π/4.
inline double sinPoly(double x) {
    double x2 = x * x;
    return x *
           (1 + x2 * (-1.0 / 6 +
                      x2 * (1.0 / 120 + x2 * (-1.0 / 5040 +
                                              x2 * (1.0 / 362880 +
                                                    x2 * (-1.0 / 39916800 +
                                                          x2 * (1.0 / 6227020800 +
                                                                x2 * (-1.0 / 1307674368000))))))));
}

inline double cosPoly(double x) {
    double x2 = x * x;
    return 1 + x2 * (-0.5 + x2 * (1.0 / 24 +
                                  x2 * (-1.0 / 720 +
                                        x2 * (1.0 / 40320 +
                                              x2 * (-1.0 / 3628800 +
                                                    x2 * (1.0 / 479001600 +
                                                          x2 * (-1.0 / 87178291200 +
                                                                x2 * (1.0 / 20922789888000))))))));
}

// sin(x + quadrant·π/2).
inline double sinQuadrant(double x, int quadrant) {
    double k = std::floor(x * (2 / kPi) + 0.5);
    double r = (x - k * kPio2Hi) - k * kPio2Lo;
    int q = (static_cast<int>(static_cast<long long>(k) & 3) + quadrant) & 3;
    switch (q) {
    case 0:
        return sinPoly(r);
    case 1:
        return cosPoly(r);
    case 2:
        return -sinPoly(r);
    default:
        return -cosPoly(r);
    }
}

} // namespace dmath

inline double dsin(double x) {
    return dmath::sinQuadrant(x, 0);
}
inline double dcos(double x) {
    return dmath::sinQuadrant(x, 1);
}
inline double dtan(double x) {
    return dsin(x) / dcos(x);
}

inline double dexp(double x) {
    if (x < -740) return 0;
    if (x > 709) return HUGE_VAL;
    double k = std::floor(x * 1.44269504088896338700 + 0.5);
    double r = (x - k * dmath::kLn2Hi) - k * dmath::kLn2Lo; // |r| ≤ 0.35
    double p = 1.0 / 87178291200;                           // 1/14!
    const double inv[] = {1.0 / 6227020800,
                          1.0 / 479001600,
                          1.0 / 39916800,
                          1.0 / 3628800,
                          1.0 / 362880,
                          1.0 / 40320,
                          1.0 / 5040,
                          1.0 / 720,
                          1.0 / 120,
                          1.0 / 24,
                          1.0 / 6,
                          0.5,
                          1,
                          1};
    for (double c : inv) p = p * r + c;
    return std::ldexp(p, static_cast<int>(k));
}

inline double dexp2(double x) {
    return dexp(x * 0.69314718055994530942);
}

inline double datan(double x) {
    bool negative = x < 0;
    x = std::fabs(x);
    bool inverted = x > 1;
    if (inverted) x = 1 / x;
    // Two halvings of the angle bring x below tan(π/16).
    x = x / (1 + std::sqrt(1 + x * x));
    x = x / (1 + std::sqrt(1 + x * x));
    double x2 = x * x, sum = 0;
    for (int n = 25; n >= 1; n -= 2) sum = sum * x2 + ((n / 2) % 2 ? -1.0 : 1.0) / n;
    double r = 4 * x * sum;
    if (inverted) r = dmath::kPi / 2 - r;
    return negative ? -r : r;
}

inline double datan2(double y, double x) {
    if (x > 0) return datan(y / x);
    if (x < 0) return y >= 0 ? datan(y / x) + dmath::kPi : datan(y / x) - dmath::kPi;
    if (y > 0) return dmath::kPi / 2;
    if (y < 0) return -dmath::kPi / 2;
    return 0;
}

inline double dacos(double x) {
    return datan2(std::sqrt((1 - x) * (1 + x)), x);
}
inline double dasin(double x) {
    return datan2(x, std::sqrt((1 - x) * (1 + x)));
}

// Single-precision forms, like the C library's overloads: computed in double, then rounded.
inline float dsin(float x) {
    return static_cast<float>(dsin(static_cast<double>(x)));
}
inline float dcos(float x) {
    return static_cast<float>(dcos(static_cast<double>(x)));
}
inline float dtan(float x) {
    return static_cast<float>(dtan(static_cast<double>(x)));
}
inline float dexp(float x) {
    return static_cast<float>(dexp(static_cast<double>(x)));
}
inline float datan2(float y, float x) {
    return static_cast<float>(datan2(static_cast<double>(y), static_cast<double>(x)));
}
inline float dacos(float x) {
    return static_cast<float>(dacos(static_cast<double>(x)));
}
inline float dasin(float x) {
    return static_cast<float>(dasin(static_cast<double>(x)));
}

} // namespace hexwend::assetgen
