#include "views/presentation_rules.h"

namespace views {

std::string statusDescription(bool isCharging, std::int64_t percentage)
{
    if (isCharging)
        return "Alimentatore collegato.\nLa batteria si sta caricando.";
    if (percentage == 100)
        return "Batteria carica.\nAlimentazione da batteria.";
    return "Alimentazione da batteria.\nNessun alimentatore collegato.";
}

ui::Color conditionColor(std::string_view condition)
{
    if (condition == "Normale")
        return ui::Color::green();
    if (condition == "Assistenza consigliata" || condition == "Sostituire presto")
        return ui::Color::orange();
    if (condition == "Sostituire adesso")
        return ui::Color::red();
    return ui::Color::gray();
}

ui::Color chargingAccentColor()
{
    return ui::Color::srgb(0, 0.8, 0.6);
}

ui::Color schemeTint(ui::ColorScheme scheme, double darkOpacity, double lightOpacity)
{
    if (scheme == ui::ColorScheme::Dark)
        return ui::Color::white().opacity(darkOpacity);
    return ui::Color::black().opacity(lightOpacity);
}

} // namespace views
