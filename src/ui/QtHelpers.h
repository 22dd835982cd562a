#pragma once
// Small helpers the main window's files share.
#include <QColor>
#include <QPalette>
#include <QString>
#include <QWidget>

#include <string>

namespace kvr {

inline QString ToQt(const std::u16string& text) {
    return QString::fromStdU16String(text);
}

inline void SetTextColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

}  // namespace kvr
