#include "ui/text_measure.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QTextLayout>

#include <cmath>
#include <cstdint>
#include <limits>
#include <unordered_map>

namespace ui {
namespace {

QString installedOr(const QString& family, const QString& fallback)
{
    return QFontDatabase::hasFamily(family) ? family : fallback;
}

std::uint64_t frame = 0;
std::uint64_t typesetCount = 0;

struct Lines {
    std::vector<QString> texts;
    std::vector<int> starts;
    double widest = 0;
};

// The text's lines at a wrapping width in the unscaled font; paragraphs break at line feeds.
Lines wrap(const QString& text, const QFont& font, double width)
{
    QString paragraphs = text;
    paragraphs.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(paragraphs, font);
    QTextOption option;
    option.setWrapMode(std::isfinite(width) ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    Lines lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::isfinite(width) ? width : 1e9);
        lines.starts.push_back(line.textStart());
        QString text = paragraphs.mid(line.textStart(), line.textLength());
        lines.texts.push_back(text.remove(QChar::LineSeparator).trimmed());
        lines.widest = std::max(lines.widest, line.naturalTextWidth());
    }
    layout.endLayout();
    return lines;
}

// How the request's text is set: a pure function, which `measureText` remembers.
TextMeasure typeset(const TextRequest& request)
{
    const QFont font = request.font.qfont();
    const QFontMetricsF metrics(font);
    const double lineHeight = metrics.height();
    const double width = request.width && std::isfinite(*request.width) ? std::max(0.0, *request.width)
                                                                          : std::numeric_limits<double>::infinity();
    int maxLines = request.lineLimit > 0 ? request.lineLimit : std::numeric_limits<int>::max();

    const auto attempt = [&](double scale) {
        Lines lines = wrap(request.text, font, width / scale);
        int allowed = maxLines;
        if (request.height && std::isfinite(*request.height))
            allowed = std::min(allowed, std::max(1, int(std::floor(*request.height / (lineHeight * scale) + 1e-6))));
        return std::pair(std::move(lines), allowed);
    };

    double scale = 1;
    auto [lines, allowed] = attempt(scale);
    if (int(lines.texts.size()) > allowed && request.minimumScaleFactor < 1) {
        const auto fits = [&](double tried) {
            const auto [triedLines, triedAllowed] = attempt(tried);
            return int(triedLines.texts.size()) <= triedAllowed;
        };
        // The largest factor at which it fits, if any does.
        double low = request.minimumScaleFactor, high = 1;
        if (fits(low))
            for (int i = 0; i < 12; ++i) {
                const double middle = (low + high) / 2;
                (fits(middle) ? low : high) = middle;
            }
        scale = low;
        std::tie(lines, allowed) = attempt(scale);
    }

    if (int(lines.texts.size()) > allowed) {
        const QStringList paragraphs = request.text.split(QLatin1Char('\n'));
        if (paragraphs.size() > 1 && paragraphs.size() <= allowed) {
            // Every paragraph keeps a line of its own, cut short, rather than the first ones
            // wrapping and pushing the last out of sight.
            lines.texts.assign(paragraphs.begin(), paragraphs.end());
            for (auto& line : lines.texts)
                line = metrics.elidedText(line.trimmed(), Qt::ElideRight, width / scale);
        } else {
            // Keep the lines that fit and end the last with an ellipsis.
            lines.texts.resize(std::size_t(allowed));
            QString rest = request.text.mid(lines.starts[std::size_t(allowed) - 1]);
            rest.replace(QLatin1Char('\n'), QLatin1Char(' '));
            lines.texts.back() = metrics.elidedText(rest.trimmed(), Qt::ElideRight, width / scale);
        }
        lines.widest = 0;
        for (const auto& line : lines.texts)
            lines.widest = std::max(lines.widest, metrics.horizontalAdvance(line));
    }
    const QSizeF size(std::min(width, std::ceil(lines.widest * scale * 100) / 100),
                      double(lines.texts.size()) * lineHeight * scale);
    return {std::move(lines.texts), scale, lineHeight, metrics.ascent(), size};
}

struct RequestHash {
    std::size_t operator()(const TextRequest& request) const
    {
        std::size_t hash = qHash(request.text);
        for (const double part : {request.font.size, double(request.font.weight), double(request.font.design),
                                  double(request.lineLimit), request.minimumScaleFactor, request.width.value_or(-1),
                                  request.height.value_or(-1)})
            hash = hash * 31 + std::hash<double>()(part);
        return hash;
    }
};

struct Remembered {
    std::shared_ptr<const TextMeasure> measure;
    std::uint64_t lastFrame;
};

// Text, fonts and offers of the panels on screen: a few hundred entries.
std::unordered_map<TextRequest, Remembered, RequestHash> cache;

} // namespace

QFont Font::qfont() const
{
    // Inter where installed: every weight the panel uses, and the same look on every desktop.
    static const QString regular = installedOr(QStringLiteral("Inter"), QGuiApplication::font().family());
    static const QString rounded = installedOr(QStringLiteral("Quicksand"), regular);
    QFont font(design == FontDesign::Rounded ? rounded : regular);
    // Pixel sizes keep a view's points equal to device-independent pixels on every screen.
    font.setPixelSize(std::max(1, int(std::lround(size))));
    font.setWeight(QFont::Weight(weight));
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

std::shared_ptr<const TextMeasure> measureText(const TextRequest& request)
{
    if (const auto found = cache.find(request); found != cache.end()) {
        found->second.lastFrame = frame;
        return found->second.measure;
    }
    ++typesetCount;
    auto measure = std::make_shared<const TextMeasure>(typeset(request));
    cache.emplace(request, Remembered{measure, frame});
    return measure;
}

std::uint64_t textsTypeset()
{
    return typesetCount;
}

void beginTextFrame()
{
    ++frame;
    std::erase_if(cache, [](const auto& entry) { return frame - entry.second.lastFrame > 2; });
}

} // namespace ui
