#pragma once

#include "platform/symbols.h"

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QString>

#include <optional>

namespace platform {

// The tray item's picture: the symbol across the top and the level's number below it, in
// `ink` on a transparent square. Tray hosts show one square icon and no text beside it, so the
// level has to be in the picture. `level` is the item's title (" 72%"): the blanks and
// the percent sign are left out for room. Without a symbol the number is drawn alone, without
// a level the symbol alone.
QImage trayIconImage(const std::optional<Symbol>& symbol, const QString& level, const QColor& ink,
                     int size);

// The picture drawn afresh at each size tray hosts ask for, HiDPI ones included.
QIcon trayIcon(const std::optional<Symbol>& symbol, const QString& level, const QColor& ink);

} // namespace platform
