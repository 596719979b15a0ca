#pragma once

#include <QFont>
#include <QSizeF>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace ui {

enum class FontWeight {
    Regular = QFont::Normal,
    Medium = QFont::Medium,
    Semibold = QFont::DemiBold,
    Bold = QFont::Bold,
};
enum class FontDesign { Default, Rounded };

// The system font at a pixel size ("points" in views), weight and design.
struct Font {
    double size = 13;
    FontWeight weight = FontWeight::Regular;
    FontDesign design = FontDesign::Default;

    // The Qt font. Unhinted, so its advances scale linearly: text that shrinks to fit is
    // measured at this size and drawn scaled.
    QFont qfont() const;

    friend bool operator==(const Font&, const Font&) = default;
};

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
    friend bool operator==(const TextRequest&, const TextRequest&) = default;
};

// Wraps at word boundaries within the width and the line limit; when the text does not fit,
// shrinks it down to the minimum factor, then cuts its last line with an ellipsis. It never
// wraps past the limit. Results are remembered, so layout does not measure unchanged text again,
// and shared, so a lookup copies no lines.
std::shared_ptr<const TextMeasure> measureText(const TextRequest& request);

// A new frame begins: remembered texts that the last two frames did not ask for are forgotten.
void beginTextFrame();

// How many texts have been set rather than remembered: what tests count to see the cache work.
std::uint64_t textsTypeset();

} // namespace ui
