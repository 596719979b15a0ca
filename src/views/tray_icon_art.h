#pragma once

#include "ui/symbol.h"

#include <QColor>
#include <QImage>
#include <QString>

#include <optional>

namespace views {

// The tray item's picture: the symbol across the top and the level's number below it, in
// `ink` on a transparent square. Tray hosts show one square icon and no text beside it, so the
// level has to be in the picture. `level` is the item's title (" 72%"): the blanks and
// the percent sign are left out for room. Without a symbol the number is drawn alone, without
// a level the symbol alone.
QImage trayIconImage(const std::optional<ui::Symbol>& symbol, const QString& level, const QColor& ink,
                     int size);

} // namespace views
