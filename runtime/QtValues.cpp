#include "runtime/internal/QtValues.h"

#include "core/PropertyHolder.h"
#include "core/Text.h"

#include <algorithm>
#include <cmath>

QString DisplayText(const std::string& text)
{
    return ToQt(ReplaceLineEndings(text, "\n"));
}

QColor ToQColor(Color color)
{
    return QColor(color.red, color.green, color.blue, 255 - color.alpha);
}

QFont FontOf(const PropertyHolder& object, const QFont& base)
{
    QFont font = base;
    const std::string family = object.StringProperty("TextFont");
    if (!family.empty() && family != "System" && family != "SmallSystem") {
        font.setFamily(ToQt(family));
        font.setStyleHint(QFont::SansSerif);
    }
    double size = object.NumberProperty("TextSize");
    if (size <= 0 && family == "SmallSystem")
        size = std::max(1.0, base.pixelSize() > 0 ? base.pixelSize() - 2.0 : 10.0);
    if (size > 0)
        font.setPixelSize(static_cast<int>(std::lround(size)));
    font.setBold(object.BooleanProperty("Bold"));
    // A face named for its weight keeps it where a substitute is drawn.
    if (family.find("Black") != std::string::npos)
        font.setWeight(QFont::Black);
    font.setItalic(object.BooleanProperty("Italic"));
    font.setUnderline(object.BooleanProperty("Underline"));
    return font;
}
