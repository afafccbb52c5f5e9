#pragma once

#include "model/DiaryFile.h"

#include <QBuffer>

// The bytes a diary is saved as: comparing them is how the fuzz targets tell two diaries apart.
inline QByteArray SavedBytes(const TDiary& aDiary)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    WriteDiary(aDiary, buffer);
    return bytes;
}
