#include "core/files/DocumentText.h"

#include "core/files/TextFile.h"

bool DocumentText::read(const QString& path, QString* text)
{
    text->clear();
    QStringList lines;
    if (!TextFile::readLines(path, &lines, nullptr)) {
        return false;
    }
    for (const QString& line : std::as_const(lines)) {
        text->append(line);
        text->append(QStringLiteral("\r\n"));
    }
    return true;
}
