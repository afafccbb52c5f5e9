#include "ui/ApplicationIcon.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>

QIcon ApplicationIcon()
{
    // Every size that was drawn, not scaled from one large bitmap: the small ones are rendered
    // from the vector drawing at their own size and stay sharp in a title bar or a task bar. Each
    // file names its size ("kestrova-48.png"), so none is read before that size is asked for.
    static const QRegularExpression sized(QStringLiteral("^kestrova-(\\d+)\\.png$"));
    QIcon icon;
    QDirIterator sizes(QStringLiteral(":/icons"), {QStringLiteral("kestrova-*.png")}, QDir::Files);
    while (sizes.hasNext()) {
        const QString file = sizes.next();
        const QRegularExpressionMatch match = sized.match(QFileInfo(file).fileName());
        const int size = match.hasMatch() ? match.captured(1).toInt() : 0;
        icon.addFile(file, size > 0 ? QSize(size, size) : QSize());
    }
    return icon;
}
