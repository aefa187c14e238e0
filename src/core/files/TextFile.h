#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QCoreApplication>
#include <QString>
#include <QStringList>

// Reading and writing the program's plain-text files. Files are written in UTF-8 with CR LF line
// ends through SafeFile, so a failed write never leaves a half-written file in place of the old
// one. Reading accepts CR LF, CR and LF, and takes a file that is not valid UTF-8 as Windows-1252.
class TextFile
{
    Q_DECLARE_TR_FUNCTIONS(TextFile)

public:
    // UTF-8 (a leading byte order mark is dropped) when the bytes are valid UTF-8, else
    // Windows-1252.
    static QString decode(const QByteArray& bytes);
    static QString fromWindows1252(QByteArrayView bytes);
    // Decodes `bytes` as UTF-8 (a byte order mark in them is kept as text) or as Windows-1252 into
    // `buffer`, whose storage is reused, so that a million short texts allocate almost nothing.
    static QStringView decodeInto(QByteArrayView bytes, bool utf8, QString* buffer);
    // Writes one character per byte at `out` and returns the end.
    static QChar* appendWindows1252(QChar* out, QByteArrayView bytes);
    // The Windows-1252 bytes of `text`; false when a character has none.
    static bool toWindows1252(QStringView text, QByteArray* bytes);
    // Splits at CR LF, CR or LF; the end marker is not part of the line, and a final line end
    // does not start another line. The empty text has no lines.
    static QStringList splitLines(const QString& text);

    static bool readLines(const QString& path, QStringList* lines, QString* error);
    static bool readText(const QString& path, QString* text, QString* error);

    // Writes each line followed by CR LF, replacing the file only when everything was written.
    static bool writeLines(const QString& path, const QStringList& lines, QString* error);
    static bool writeBytes(const QString& path, const QByteArray& bytes, QString* error);
};
