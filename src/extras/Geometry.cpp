// Geometry - distances, legs of right triangles and points near segments.
#include "extras/Geometry.h"

#include <algorithm>
#include <cmath>

double LegLength(double a, double b) { return std::sqrt(a * a - b * b); }

double Distance(double x1, double y1, double x2, double y2) { return std::hypot(x2 - x1, y2 - y1); }

int PointNearSegment(double x1, double y1, double x2, double y2, double px, double py, double radius)
{
    const double dx = x2 - x1, dy = y2 - y1;
    const double lengthSquared = dx * dx + dy * dy;
    // The nearest point of the segment, as a fraction along it; past either end the end itself.
    double t = 0.0;
    if (lengthSquared > 0.0)
        t = std::clamp(((px - x1) * dx + (py - y1) * dy) / lengthSquared, 0.0, 1.0);
    return Distance(x1 + t * dx, y1 + t * dy, px, py) < radius ? 1 : 0;
}
