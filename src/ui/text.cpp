#include "ui/text.h"

#include "ui/layout.h"
#include "ui/text_measure.h"

namespace ui {
namespace {

class TextNode final : public ViewNode {
public:
    TextNode(TextRequest request, std::optional<Color> color) : request_(std::move(request)), color_(color) {}

    std::string_view kind() const override { return "Text"; }

    QSizeF sizeThatFits(const ProposedSize& proposal, Layout&) const override
    {
        return measure(proposal).size;
    }

    void paint(PaintContext& context, const LaidOut& laidOut) const override
    {
        const TextMeasure measured = measure({laidOut.frame.width(), laidOut.frame.height()});
        QPainter& painter = context.painter;
        painter.save();
        painter.setFont(request_.font.qfont());
        painter.setPen(color_.value_or(context.foregroundOr(Color::primary())).resolve(context.scheme));
        painter.translate(laidOut.frame.topLeft());
        painter.scale(measured.scale, measured.scale);
        for (std::size_t i = 0; i < measured.lines.size(); ++i)
            painter.drawText(QPointF(0, double(i) * measured.lineHeight + measured.ascent), measured.lines[i]);
        painter.restore();
    }

    // The lines as laid out, line breaks and all.
    void describeTraits(ViewTraits& traits, const LaidOut& laidOut) const override
    {
        const TextMeasure measured = measure({laidOut.frame.width(), laidOut.frame.height()});
        QStringList lines;
        for (const auto& line : measured.lines)
            lines << line;
        traits.label = lines.join(QLatin1Char('\n')).toStdString();
    }

private:
    TextMeasure measure(const ProposedSize& proposal) const
    {
        // Rounding the offer keeps a text laid out in its own frame from measuring again.
        const auto offer = [](std::optional<double> length) {
            return length ? std::optional(std::ceil(*length * 100) / 100) : std::nullopt;
        };
        TextRequest request = request_;
        request.width = offer(proposal.width);
        request.height = offer(proposal.height);
        return measureText(request);
    }

    TextRequest request_; // without the offer
    std::optional<Color> color_;
};

class SymbolNode final : public ViewNode {
public:
    SymbolNode(std::optional<Symbol> symbol, std::string name, Font font, std::optional<Color> color)
        : name_(std::move(name)), symbol_(symbol), font_(font), color_(color)
    {
    }

    std::string_view kind() const override { return "Image"; }

    QSizeF sizeThatFits(const ProposedSize&, Layout&) const override
    {
        return symbol_ ? symbolSize(*symbol_, font_.size) : QSizeF(0, 0);
    }

    void paint(PaintContext& context, const LaidOut& laidOut) const override
    {
        if (symbol_)
            drawSymbol(context.painter, *symbol_, laidOut.frame,
                       color_.value_or(context.foregroundOr(Color::primary())).resolve(context.scheme));
    }

    void describeTraits(ViewTraits& traits, const LaidOut&) const override { traits.label = name_; }

private:
    std::string name_;
    std::optional<Symbol> symbol_;
    Font font_;
    std::optional<Color> color_;
};

} // namespace

Text::operator View() const
{
    return View(std::make_shared<TextNode>(
        TextRequest{QString::fromStdString(string_), font_, lineLimit_, minimumScaleFactor_, {}, {}}, color_));
}

Image::operator View() const
{
    return View(std::make_shared<SymbolNode>(symbol_, name_, font_, color_));
}

} // namespace ui
