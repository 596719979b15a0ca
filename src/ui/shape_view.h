#pragma once

#include "ui/shape.h"
#include "ui/view.h"

namespace ui {

// A shape as a view: it takes the size offered, fills it and strokes its outline.
class ShapeView {
public:
    explicit ShapeView(Shape shape) : shape_(shape) {}

    ShapeView& fill(Paint paint) { fill_ = std::move(paint); return *this; }
    ShapeView& stroke(Paint paint, StrokeStyle style = {}) { stroke_ = std::move(paint); style_ = style; return *this; }
    // Keeps the part of the outline between two fractions of its length.
    ShapeView& trim(double from, double to) { trimFrom_ = from; trimTo_ = to; return *this; }

    operator View() const; // NOLINT: a shape is a view wherever one is expected
    friend bool operator==(const ShapeView&, const ShapeView&) = default;

private:
    class Node;

    Shape shape_;
    std::optional<Paint> fill_;
    std::optional<Paint> stroke_;
    StrokeStyle style_;
    double trimFrom_ = 0;
    double trimTo_ = 1;
};

inline ShapeView Circle() { return ShapeView(Shape::circle()); }
inline ShapeView Capsule() { return ShapeView(Shape::capsule()); }
inline ShapeView RoundedRectangle(double cornerRadius) { return ShapeView(Shape::roundedRectangle(cornerRadius)); }
inline ShapeView Rectangle() { return ShapeView(Shape::roundedRectangle(0)); }

} // namespace ui
