#include "ui/text.h"

#include "ui/layout.h"
#include "ui/recently_used.h"

#include <QTextLayout>

namespace ui {
namespace {

// A line's glyphs as drawing the text would shape them, the baseline at 0. The last few lines
// painted are kept, so that a repaint places glyphs without shaping the text again. They hold
// fonts that belong to the painting thread, so they are kept per thread and go with it.
QList<QGlyphRun> shapedLine(const QString& text, const Font& font)
{
    struct Shaped {
        QString text;
        Font font;
        QList<QGlyphRun> runs;
    };
    thread_local std::vector<Shaped> recent;
    const auto same = [&](const Shaped& s) { return s.font == font && s.text == text; };
    return recentlyUsed(recent, 48 /* every line of the panel */, same, [&] {
        QTextLayout layout(text, font.qfont());
        layout.setCacheEnabled(true); // keeps the glyphs past the end of the layout
        layout.beginLayout();
        QTextLine line = layout.createLine();
        if (line.isValid())
            line.setNumColumns(text.size()); // the text was broken into lines as it was measured
        layout.endLayout();
        QList<QGlyphRun> runs = line.isValid() ? line.glyphRuns() : QList<QGlyphRun>();
        for (QGlyphRun& run : runs) {
            QList<QPointF> positions = run.positions();
            for (QPointF& position : positions)
                position.ry() -= line.ascent();
            run.setPositions(positions);
        }
        return Shaped{text, font, std::move(runs)};
    }).runs;
}

// Glyphs keep within a few points of the frame they are set in, overhangs and antialiasing
// included.
QRectF nearFrame(const LaidOut& laidOut)
{
    return laidOut.frame.adjusted(-3, -3, 3, 3);
}

} // namespace

class Text::Node final : public ViewNode {
public:
    explicit Node(Text text) : text_(std::move(text)) {}

    std::string_view kind() const override { return "Text"; }
    bool drawsLike(const ViewNode& other) const override { return text_ == static_cast<const Node&>(other).text_; }
    QRectF redrawnInk(const ViewNode&, const LaidOut& laidOut) const override { return nearFrame(laidOut); }

    QSizeF sizeThatFits(const ProposedSize& proposal, Layout&) const override
    {
        return measure(proposal)->size;
    }

    void paint(PaintContext& context, const LaidOut& laidOut) const override
    {
        const auto measured = measure({laidOut.frame.width(), laidOut.frame.height()});
        QPainter& painter = context.painter;
        painter.save();
        painter.setPen(text_.color_.value_or(context.foreground).resolve(context.scheme));
        painter.translate(laidOut.frame.topLeft());
        painter.scale(measured->scale, measured->scale);
        for (std::size_t i = 0; i < measured->lines.size(); ++i)
            for (const QGlyphRun& run : shapedLine(measured->lines[i], text_.request_.font))
                painter.drawGlyphRun(QPointF(0, double(i) * measured->lineHeight + measured->ascent), run);
        painter.restore();
    }

    // The lines as laid out, line breaks and all.
    void describeTraits(ViewTraits& traits, const LaidOut& laidOut) const override
    {
        const auto measured = measure({laidOut.frame.width(), laidOut.frame.height()});
        traits.label = QStringList(measured->lines.begin(), measured->lines.end()).join(QLatin1Char('\n')).toStdString();
        traits.accessible.role = AccessibleRole::StaticText;
        traits.accessible.name = text_.request_.text.toStdString(); // in full, however it was cut
    }

private:
    std::shared_ptr<const TextMeasure> measure(const ProposedSize& proposal) const
    {
        // Rounding the offer keeps a text laid out in its own frame from measuring again.
        const auto offer = [](std::optional<double> length) {
            return length ? std::optional(std::ceil(*length * 100) / 100) : std::nullopt;
        };
        TextRequest request = text_.request_;
        request.width = offer(proposal.width);
        request.height = offer(proposal.height);
        return measureText(request);
    }

    Text text_;
};

class Image::Node final : public ViewNode {
public:
    explicit Node(Image image) : image_(std::move(image)) {}

    std::string_view kind() const override { return "Image"; }
    bool drawsLike(const ViewNode& other) const override { return image_ == static_cast<const Node&>(other).image_; }
    QRectF redrawnInk(const ViewNode&, const LaidOut& laidOut) const override { return nearFrame(laidOut); }

    QSizeF sizeThatFits(const ProposedSize&, Layout&) const override
    {
        return image_.symbol_ ? symbolSize(*image_.symbol_, image_.font_.size) : QSizeF(0, 0);
    }

    void paint(PaintContext& context, const LaidOut& laidOut) const override
    {
        if (image_.symbol_)
            drawSymbol(context.painter, *image_.symbol_, laidOut.frame,
                       image_.color_.value_or(context.foreground).resolve(context.scheme));
    }

    void describeTraits(ViewTraits& traits, const LaidOut&) const override { traits.label = image_.name_; }

private:
    Image image_;
};

Text::operator View() const
{
    return View(std::make_shared<Node>(*this));
}

Image::operator View() const
{
    return View(std::make_shared<Node>(*this));
}

} // namespace ui
