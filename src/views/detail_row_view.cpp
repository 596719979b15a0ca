#include "views/detail_row_view.h"

#include "ui/accessibility.h"
#include "ui/shape_view.h"
#include "ui/stacks.h"
#include "ui/text.h"
#include "views/system_symbols.h"

namespace views {

using namespace ui;

View DetailRowView(const std::string& icon, const std::string& title, const std::string& value, Color color,
                   ColorScheme colorScheme)
{
    const View tile = ZStack({
        ZStack({RoundedRectangle(8).fill(color.opacity(0.12)), RoundedRectangle(8).stroke(color.opacity(0.2), {1})})
            .frame(26, 26),
        View(systemImage(icon).font({12, FontWeight::Bold}).foregroundColor(color)).shadow(color.opacity(0.2), 2, 0, 0),
    });
    const Color capsule = colorScheme == ColorScheme::Dark ? Color::white().opacity(0.04) : Color::black().opacity(0.02);
    const View row = HStack(12, {
                          tile,
                          Text(title)
                              .font({12, FontWeight::Medium})
                              .foregroundColor(Color::primary().opacity(0.85))
                              .lineLimit(1)
                              .minimumScaleFactor(0.85),
                          Spacer(),
                          View(Text(value)
                                   .font({12, FontWeight::Bold, FontDesign::Rounded})
                                   .foregroundColor(Color::primary())
                                   .lineLimit(1)
                                   .minimumScaleFactor(0.85))
                              .padding(edges::horizontal, 8)
                              .padding(edges::vertical, 3)
                              .background(Capsule().fill(capsule)),
                      })
        .padding(edges::horizontal, 12)
        .padding(edges::vertical, 8);
    return accessibilityElement(row, {AccessibleRole::StaticText, title + ": " + value, {}, std::nullopt});
}

} // namespace views
