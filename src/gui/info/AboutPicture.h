#pragma once

#include <QImage>
#include <QString>

// The about picture: the program's name and version, the maker's name and web address over a
// drawn plate of food. Drawn at run time, so it follows the version without a stored bitmap.
class AboutPicture
{
public:
    static constexpr int Width = 341;
    static constexpr int Height = 184;

    static QString makerName() { return QStringLiteral("Platewell Project"); }
    static QString webAddress() { return QStringLiteral("https://platewell.org"); }

    static QImage draw();
};
