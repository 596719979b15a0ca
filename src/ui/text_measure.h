#pragma once

#include "ui/font.h"

#include <QSizeF>
#include <QString>

#include <cstddef>
#include <optional>
#include <vector>

namespace ui {

// How a text is set in the room a view offers: its lines, the factor it shrank by to fit, and
// the size it takes.
struct TextMeasure {
    std::vector<QString> lines;
    double scale = 1;
    double lineHeight = 0; // before scaling
    double ascent = 0;     // before scaling
    QSizeF size;
};

struct TextRequest {
    QString text;
    Font font;
    int lineLimit = 0;           // 0: as many lines as it takes
    double minimumScaleFactor = 1;
    std::optional<double> width; // absent or infinite: one line per paragraph
    std::optional<double> height;
};

// Wraps at word boundaries within the width and the line limit; when the text does not fit,
// shrinks it down to the minimum factor, then cuts its last line with an ellipsis. It never
// wraps past the limit. Results are remembered, so layout does not measure unchanged text again.
TextMeasure measureText(const TextRequest& request);

// A new frame begins: remembered texts that the last two frames did not ask for are forgotten.
void beginTextFrame();

// Texts actually set (not remembered), for tests that count work.
std::size_t textMeasurements();

} // namespace ui
