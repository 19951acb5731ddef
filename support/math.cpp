// SPDX-License-Identifier: MIT
// Double-precision math functions.
#include "support/support.h"

#include <math.h>

double mathSin(double x) { return sin(x); }
double mathCos(double x) { return cos(x); }
double mathTan(double x) { return tan(x); }
double mathAtan(double x) { return atan2(x, 1.0); }
double mathAtan2(double y, double x) { return atan2(y, x); }
double mathSqrt(double x) { return sqrt(x); }

double mathAsin(double x) {
    double a = fabs(x);
    double cosine;
    if (a > 0.5) {
        double d = 1.0 - a;  // 2d - d^2 equals 1 - x^2 without cancellation near +-1
        cosine = sqrt(2.0 * d - d * d);
    } else {
        cosine = sqrt(1.0 - x * x);
    }
    return atan2(x, cosine);
}

double mathAcos(double x) {
    if (x == -1.0) return M_PI;
    return 2.0 * atan(sqrt((1.0 - x) / (1.0 + x)));
}

double mathPow(double base, double exponent) {
    if (base == 0.0) return base;
    double z = exponent * log2(base);
    if (isnan(z)) return NAN;
    if (z > 4096.0) return INFINITY;
    if (z < -4096.0) return 0.0;
    double whole = trunc(z);
    return ldexp(exp2(z - whole), (int)whole);
}
