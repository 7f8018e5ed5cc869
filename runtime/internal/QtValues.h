#pragma once

// The runtime's values as Qt takes them. Only runtime/*.cpp include this header.

#include "core/Color.h"

#include <QColor>
#include <QFont>
#include <QString>

#include <string>

class PropertyHolder;

inline QString ToQt(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string FromQt(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// Text as a widget shows it: the system's texts may use CR, LF or CR LF.
QString DisplayText(const std::string& text);
QColor ToQColor(Color color);

// The font that a control's TextFont, TextSize, Bold, Italic and Underline
// describe. Sizes are in the layout's own unit (pixels), as are positions.
QFont FontOf(const PropertyHolder& object, const QFont& base);
