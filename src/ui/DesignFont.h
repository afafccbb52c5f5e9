#pragma once

#include <QFont>
#include <QStringList>

// The window is laid out for Tahoma. Where it is not installed, the next fonts are of similar
// width; the usual Linux default (DejaVu Sans) is wide enough to clip labels in fixed-size boxes.
inline QFont DesignFont(int aPointSize = -1)
{
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                      QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    if (aPointSize > 0)
        font.setPointSize(aPointSize);
    return font;
}
