#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QString>

// Reads a text file one line at a time, for files that may be of any size: memory stays within
// one read block and one line however big the file is. Lines end at CR LF, CR or LF, as
// TextFile::splitLines has them; the file is UTF-8 (a leading byte order mark is dropped) when
// all its bytes are valid UTF-8, else Windows-1252, which takes one quick pass over the file
// before the first line.
class TextLineReader
{
    Q_DECLARE_TR_FUNCTIONS(TextLineReader)

public:
    // A line longer than this is not kept whole: readLine gives its start and lineCut() says so.
    // No line the program writes comes near it.
    static constexpr qsizetype MaxLineBytes = qsizetype(16) << 20;

    explicit TextLineReader(const QString& path);

    // False, with the file and the reason in `error`, when the file cannot be read.
    bool open(QString* error);
    // The next line without its end; false at the end of the file or when reading failed.
    bool readLine(QString* line);
    // Whether the line last read was longer than MaxLineBytes.
    bool lineCut() const { return m_cut; }
    // The number of the line last read, counted from 1.
    qint64 lineNumber() const { return m_lineNumber; }
    // True after a read error; `error` then names the file and the reason.
    bool failed(QString* error) const;

private:
    bool fill();
    bool scanEncoding();
    void decode(QByteArrayView bytes, QString* line) const;
    bool fail(const QString& reason);

    QFile m_file;
    QByteArray m_block;
    qsizetype m_pos = 0;
    // The start of a line that runs past the end of the block.
    QByteArray m_pending;
    bool m_utf8 = true;
    bool m_atEnd = false;
    bool m_skipLineFeed = false;
    bool m_cut = false;
    qint64 m_lineNumber = 0;
    QString m_error;
};
