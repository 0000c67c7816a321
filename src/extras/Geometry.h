// Geometry - distances, legs of right triangles and points near segments.
#pragma once

// The other leg of a right triangle with hypotenuse a and leg b: sqrt(a^2 - b^2); NaN when |b| > |a|.
double LegLength(double a, double b);
double Distance(double x1, double y1, double x2, double y2);
// 1 when (px, py) lies closer than radius to the segment (x1, y1)-(x2, y2); a segment of no length is
// its one point.
int PointNearSegment(double x1, double y1, double x2, double y2, double px, double py, double radius);
