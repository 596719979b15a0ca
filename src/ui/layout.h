#pragma once

#include "ui/view.h"

#include <cstddef>
#include <string>
#include <unordered_map>

namespace ui {

// A view placed by the layout pass: its frame in root coordinates and its place in the tree.
struct LaidOut {
    View view;
    QRectF frame;
    std::string path;
    std::vector<LaidOut> children;
    QRectF extent; // the union of this frame and every descendant's
};

// One layout pass. A node's answer to a proposal is computed once and remembered for the pass.
class Layout {
public:
    QSizeF sizeOf(const View& view, const ProposedSize& proposal);
    LaidOut place(const View& view, const QRectF& frame, const std::string& path);

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

    std::unordered_map<Key, QSizeF, KeyHash> sizes_;
};

// The union of the frames of a laid-out view and all it holds.
inline QRectF inkBounds(const LaidOut& node)
{
    return node.extent;
}

// Proposes `size` to the root and centres the root in it.
LaidOut layOut(const View& root, QSizeF size, Layout& layout);

// One line per view: its kind, frame and, for text, the string and the font size it ends with.
std::string dump(const LaidOut& tree, Layout& layout);

// The path of a child: the parent's path, the child's index and its kind.
std::string childPath(const std::string& parent, std::size_t index, const View& child);

} // namespace ui
