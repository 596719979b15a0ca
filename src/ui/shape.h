#pragma once

#include "ui/color.h"

#include <QBrush>
#include <QPainterPath>
#include <QRectF>

class QPainter;

namespace ui {

enum class ShapeKind { Circle, Capsule, RoundedRectangle };

// An outline that fills whatever bounds it is given.
struct Shape {
    ShapeKind kind = ShapeKind::RoundedRectangle;
    double cornerRadius = 0;

    static constexpr Shape circle() { return {ShapeKind::Circle}; }
    static constexpr Shape capsule() { return {ShapeKind::Capsule}; }
    static constexpr Shape roundedRectangle(double radius) { return {ShapeKind::RoundedRectangle, radius}; }
    friend bool operator==(const Shape&, const Shape&) = default;
};

// The closed outline of `shape` in `bounds`, running clockwise on screen. A circle is inscribed
// (centred, diameter the shorter side) and starts at 3 o'clock; a rounded rectangle or capsule
// starts where the top edge leaves the top-left corner.
QPainterPath shapePath(const Shape& shape, const QRectF& bounds);

struct StrokeStyle {
    double lineWidth = 1;
    Qt::PenCapStyle cap = Qt::FlatCap;
    friend bool operator==(const StrokeStyle&, const StrokeStyle&) = default;
};

// The part of the circle inscribed in `bounds` between two fractions of its length, clockwise
// from 3 o'clock. Fractions are clamped to 0...1; from >= to gives an empty path.
QPainterPath circleArc(const QRectF& bounds, double from, double to);

// A brush for `paint` over `bounds`: a plain colour, or a linear gradient across the bounds.
QBrush brushFor(const Paint& paint, const QRectF& bounds, ColorScheme scheme);

void fillShape(QPainter& painter, const Shape& shape, const QRectF& bounds, const Paint& paint, ColorScheme scheme);

// Strokes the outline centred on it; trimmed short of 0...1, a circle's arc instead.
void strokeShape(QPainter& painter, const Shape& shape, const QRectF& bounds, const Paint& paint,
                 const StrokeStyle& style, ColorScheme scheme, double trimFrom = 0, double trimTo = 1);

} // namespace ui
