#pragma once

#include "ui/symbol.h"
#include "ui/text_measure.h"
#include "ui/view.h"

#include <string>

namespace ui {

// A string in the system font. Set its look with the chained calls, then use it as a View.
class Text {
public:
    explicit Text(const std::string& string) { request_.text = QString::fromStdString(string); }

    Text& font(Font font) { request_.font = font; return *this; }
    Text& foregroundColor(Color color) { color_ = color; return *this; }
    Text& lineLimit(int lines) { request_.lineLimit = lines; return *this; }
    Text& minimumScaleFactor(double factor) { request_.minimumScaleFactor = factor; return *this; }

    operator View() const; // NOLINT: a text is a view wherever one is expected
    friend bool operator==(const Text&, const Text&) = default;

private:
    class Node;

    TextRequest request_; // without the offer, which layout adds
    std::optional<Color> color_;
};

// A symbol sized by a font; no symbol draws nothing. `name` is what describes it.
class Image {
public:
    Image(std::optional<Symbol> symbol, std::string name) : symbol_(symbol), name_(std::move(name)) {}

    Image& font(Font font) { font_ = font; return *this; }
    Image& foregroundColor(Color color) { color_ = color; return *this; }

    operator View() const; // NOLINT: an image is a view wherever one is expected
    friend bool operator==(const Image&, const Image&) = default;

private:
    class Node;

    std::optional<Symbol> symbol_;
    std::string name_;
    Font font_;
    std::optional<Color> color_;
};

} // namespace ui
