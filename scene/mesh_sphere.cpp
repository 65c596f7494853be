// The system's own sphere: latitude bands from the south pole up, one triangle
// strip each, with a unit normal and a texture coordinate at every vertex so
// that the bound picture wraps the sphere once. The polar axis is local y and
// longitude 0 lies along local +x.
#include <GL/gl.h>

#include <climits>
#include <cmath>

#include "scene/scene.h"

namespace {

// A full turn and a quarter turn as single-precision values, widened: every
// emitted value is the one these two constants give, not exact pi.
constexpr double kFullTurn = static_cast<double>(6.2831855f);
constexpr double kQuarterTurn = static_cast<double>(1.5707964f);

// Below four segments there is no sphere to speak of: a single point stands in.
constexpr int32_t kMinSegments = 4;
// Any larger count is drawn as asked: indices run in 64 bits, so n + 1 and
// 2i + 2 never overflow, and nothing is stored per longitude.

// Sine and cosine of one latitude or longitude, evaluated once and shared by
// every vertex that lies on it.
struct SinCos {
    double sin;
    double cos;
};

SinCos SinCosOf(double angle) { return {std::sin(angle), std::cos(angle)}; }

// Band index or longitude step k as an angle: k steps of a full turn over n.
double StepAngle(int64_t k, int32_t n) {
    return static_cast<double>(k) * kFullTurn / static_cast<double>(n);
}

struct Centre {
    float x;
    float y;
    float z;
};

// One vertex: normal, then texture coordinate, then position, each value
// rounded to single precision only as it is handed over.
void EmitVertex(const Centre& c, double r, SinCos lat, SinCos lon, double s, double t) {
    const double nx = lon.cos * lat.cos;
    const double ny = lat.sin;
    const double nz = lon.sin * lat.cos;
    glNormal3f(static_cast<float>(nx), static_cast<float>(ny), static_cast<float>(nz));
    glTexCoord2f(static_cast<float>(s), static_cast<float>(t));
    glVertex3f(static_cast<float>(static_cast<double>(c.x) + r * nx),
               static_cast<float>(static_cast<double>(c.y) + r * ny),
               static_cast<float>(static_cast<double>(c.z) + r * nz));
}

// Band i as one strip of 2(n + 1) vertices, the upper vertex of each pair
// first, starting on longitude 0. s runs from 0 down to -1 so that, seen from
// outside with the north pole up, the picture is not mirrored.
void EmitBand(const Centre& c, double r, int32_t n, int64_t i, SinCos lower, SinCos upper) {
    const double dn = static_cast<double>(n);
    const double tLower = static_cast<double>(2 * i) / dn;
    const double tUpper = static_cast<double>(2 * i + 2) / dn;
    glBegin(GL_TRIANGLE_STRIP);
    for (int64_t j = 0; j <= n; ++j) {
        const double s = -(static_cast<double>(j) / dn);
        const SinCos longitude = SinCosOf(StepAngle(j, n));
        EmitVertex(c, r, upper, longitude, s, tUpper);
        EmitVertex(c, r, lower, longitude, s, tLower);
    }
    glEnd();
}

double Latitude(int64_t k, int32_t n) { return StepAngle(k, n) - kQuarterTurn; }

void EmitCentrePoint(const Centre& c) {
    glBegin(GL_POINTS);
    glVertex3f(c.x, c.y, c.z);
    glEnd();
}

}  // namespace

void DrawMeshSphere(float x, float y, float z, float r, int32_t n) {
    const Centre centre = {x, y, z};
    if (r < 0.0f) {
        r = -r;
    }
    // The most negative count has no positive counterpart; it stays negative
    // and ends as the single point below.
    if (n < 0 && n != INT_MIN) {
        n = -n;
    }
    if (n < kMinSegments || !(r > 0.0f)) {  // also a radius that is not a number
        EmitCentrePoint(centre);
        return;
    }
    // A latitude's sine and cosine are evaluated once (a band's upper latitude
    // is the next band's lower one), a longitude's once per band.
    const int32_t bands = n / 2;
    SinCos lower = SinCosOf(Latitude(0, n));
    for (int64_t i = 0; i < bands; ++i) {
        const SinCos upper = SinCosOf(Latitude(i + 1, n));
        EmitBand(centre, static_cast<double>(r), n, i, lower, upper);
        lower = upper;
    }
}
