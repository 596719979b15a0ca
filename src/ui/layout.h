#pragma once

#include "ui/view.h"

#include <QPainter>

#include <cstddef>
#include <memory_resource>
#include <unordered_map>

namespace ui {

// A view placed by the layout pass: its frame in root coordinates and its place in the tree.
struct LaidOut {
    View view;
    QRectF frame;
    ViewPath path;
    std::vector<LaidOut> children;
    QRectF extent; // the union of this frame and every descendant's

    std::string_view kind() const { return view.node().kind(); }
    ViewTraits traits() const
    {
        ViewTraits traits;
        view.node().describeTraits(traits, *this);
        return traits;
    }
};

// One layout pass. A node's answer to a proposal is computed once and remembered for the pass.
class Layout {
public:
    QSizeF sizeOf(const View& view, const ProposedSize& proposal);
    LaidOut place(const View& view, const QRectF& frame, const ViewPath& path);

private:
    struct Key {
        const ViewNode* node;
        std::optional<double> width;
        std::optional<double> height;
        friend bool operator==(const Key&, const Key&) = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const;
    };

    // A pass asks about a thousand sizes: taken from one arena, not the heap one by one.
    std::pmr::monotonic_buffer_resource arena_{64 * 1024};
    std::pmr::unordered_map<Key, QSizeF, KeyHash> sizes_{1024, KeyHash(), std::equal_to<Key>(), &arena_};
};

// A rectangle of `size` with its centre on `frame`'s.
inline QRectF centred(QSizeF size, const QRectF& frame)
{
    QRectF placed(QPointF(), size);
    placed.moveCenter(frame.center());
    return placed;
}

// Proposes `size` to the root and centres the root in it.
LaidOut layOut(const View& root, QSizeF size, Layout& layout);

// The views of a kind in the tree at `root`, the root included, in painting order.
std::vector<const LaidOut*> findAll(const LaidOut& root, std::string_view kind);

// What painting a laid-out tree needs: the painter (in points), the appearance and the
// environment's foreground colour, which modifiers may change for a subtree.
struct PaintContext {
    QPainter& painter;
    ColorScheme scheme;
    Color foreground = Color::primary();
};

// Where a laid-out view may leave ink: strokes, shadows and glows reach past the frames.
inline QRectF inkBounds(const LaidOut& laidOut)
{
    constexpr double reach = 16;
    return laidOut.extent.adjusted(-reach, -reach, reach, reach);
}

// Where two layouts of a view differ in what they draw, in root coordinates: the ink of every
// view that moved, changed or came or went between them.
QRectF changedInk(const LaidOut& before, const LaidOut& after);

void paintChildren(PaintContext& context, const LaidOut& laidOut);
void paintTree(PaintContext& context, const LaidOut& laidOut);

} // namespace ui
