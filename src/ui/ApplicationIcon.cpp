#include "ui/ApplicationIcon.h"

#include <QDirIterator>

QIcon ApplicationIcon()
{
    // Every size that was drawn, not scaled from one large bitmap: the small ones are rendered
    // from the vector drawing at their own size and stay sharp in a title bar or a task bar.
    QIcon icon;
    QDirIterator sizes(QStringLiteral(":/icons"), {QStringLiteral("kestrova-*.png")}, QDir::Files);
    while (sizes.hasNext())
        icon.addFile(sizes.next());
    return icon;
}
