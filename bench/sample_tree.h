#pragma once

// A tree the size and make of the battery panel, built from the view layer's parts and symbols.
#include "ui/shape_view.h"
#include "ui/stacks.h"
#include "ui/text.h"
#include "ui/view_state.h"
#include "views/system_symbols.h"

namespace sample {

using namespace ui;

inline Color tint(ColorScheme scheme, double dark, double light)
{
    return scheme == ColorScheme::Dark ? Color::white().opacity(dark) : Color::black().opacity(light);
}

inline View badge(const std::string& text, ColorScheme scheme)
{
    return View(Text(text).font({9, FontWeight::Bold, FontDesign::Rounded}).foregroundColor(Color::primary().opacity(0.85)))
        .padding(edges::horizontal, 6)
        .padding(edges::vertical, 3)
        .background(ZStack({Capsule().fill(tint(scheme, 0.08, 0.04)), Capsule().stroke(tint(scheme, 0.12, 0.08))}));
}

inline View row(const std::string& icon, const std::string& title, const std::string& value, Color color, ColorScheme scheme)
{
    const View tile = ZStack({ZStack({RoundedRectangle(8).fill(color.opacity(0.12)), RoundedRectangle(8).stroke(color.opacity(0.2))})
                                  .frame(26, 26),
                              View(views::systemImage(icon).font({12, FontWeight::Bold}).foregroundColor(color)).shadow(color.opacity(0.2), 2)});
    return HStack(12, {tile,
                       Text(title).font({12, FontWeight::Medium}).foregroundColor(Color::primary().opacity(0.85)).lineLimit(1).minimumScaleFactor(0.85),
                       Spacer(),
                       View(Text(value).font({12, FontWeight::Bold, FontDesign::Rounded}).lineLimit(1).minimumScaleFactor(0.85))
                           .padding(edges::horizontal, 8)
                           .padding(edges::vertical, 3)
                           .background(Capsule().fill(tint(scheme, 0.04, 0.02)))})
        .padding(edges::horizontal, 12)
        .padding(edges::vertical, 8);
}

inline View ring(double fraction)
{
    const LinearGradient gradient{Color::srgb(0.15, 0.7, 0.3), Color::srgb(0.3, 0.9, 0.45)};
    const StrokeStyle arc{8, Qt::RoundCap};
    return ZStack({Circle().stroke(Color::primary().opacity(0.06), {8}),
                   View(Circle().trim(0, fraction).stroke(gradient, arc)).blur(5).opacity(0.4).rotationEffect(-90),
                   View(Circle().trim(0, fraction).stroke(gradient, arc)).rotationEffect(-90),
                   VStack(0, {View(views::systemImage("battery.100").font({11}).foregroundColor(Color::secondary())).padding(edges::bottom, 2),
                              Text("72%").font({20, FontWeight::Bold, FontDesign::Rounded})})})
        .frame(86, 86);
}

inline View glassButton(const std::string& symbol, const std::string& label, bool destructive, ColorScheme scheme)
{
    const View content = HStack(5, {views::systemImage(symbol).font({11, FontWeight::Bold}), Text(label).font({11, FontWeight::Bold})});
    return Button([] {}, content, [=](View body, bool, bool) {
        const Color fill = destructive ? Color::red().opacity(0.1) : tint(scheme, 0.06, 0.03);
        const Color outline = destructive ? Color::red().opacity(0.2) : tint(scheme, 0.1, 0.06);
        return body.foregroundColor(destructive ? Color::red() : Color::primary().opacity(0.9))
            .padding(edges::vertical, 6)
            .padding(edges::horizontal, 13)
            .background(ZStack({RoundedRectangle(8).fill(fill), RoundedRectangle(8).stroke(outline)}));
    });
}

inline View panel(ColorScheme scheme)
{
    const View header = VStack(Alignment::Leading, 5,
                               {HStack(8,
                                       {Text("ThinkPad X1 Carbon Gen 9").font({17, FontWeight::Bold, FontDesign::Rounded}).lineLimit(1).minimumScaleFactor(0.9),
                                        Spacer(),
                                        HStack(6, {badge("i7-1165G7", scheme), badge("16 GB", scheme)})}),
                                Text("Giulia's ThinkPad").font({11, FontWeight::Semibold}).foregroundColor(Color::secondary()).lineLimit(1)})
                            .padding(edges::horizontal, 4);
    const View card = HStack(20, {ring(0.72),
                                  VStack(Alignment::Leading, 5,
                                         {Text("In Carica").font({17, FontWeight::Bold, FontDesign::Rounded}).foregroundColor(Color::srgb(0, 0.8, 0.6)),
                                          View(Text("Alimentatore collegato.\nLa batteria si sta caricando.").font({11, FontWeight::Medium}).foregroundColor(Color::secondary()).lineLimit(2))
                                              .fixedSize(false, true)}),
                                  Spacer()})
                          .padding(14)
                          .background(ZStack({RoundedRectangle(16).fill(tint(scheme, 0.03, 0.015)),
                                              RoundedRectangle(16).stroke(LinearGradient{tint(scheme, 0.08, 0.05), Color::clear()})}))
                          .shadow(Color::black().opacity(scheme == ColorScheme::Dark ? 0.08 : 0.04), 5, 0, 3);
    const View divider = Divider().background(View(Rectangle().fill(tint(scheme, 0.08, 0.05))));
    const View details = VStack(0, {row("powerplug.fill", "Alimentazione", "Alimentatore", Color::blue(), scheme), divider,
                                    row("heart.text.square.fill", "Capacità Massima", "84%", Color::green(), scheme), divider,
                                    row("arrow.triangle.2.circlepath", "Cicli di Ricarica", "412", Color::purple(), scheme), divider,
                                    row("checkmark.shield.fill", "Stato Salute", "Normale", Color::green(), scheme)})
                             .background(ZStack({RoundedRectangle(14).fill(tint(scheme, 0.02, 0.01)),
                                                 RoundedRectangle(14).stroke(LinearGradient{tint(scheme, 0.06, 0.04), Color::clear()})}));
    const View footer = HStack(12, {glassButton("power", "Esci", true, scheme), Spacer(), glassButton("arrow.clockwise", "Aggiorna", false, scheme)})
                            .padding(edges::top, 4);
    return VStack(14, {header, card, details, footer}).padding(18).frame(320, 480);
}

} // namespace sample
