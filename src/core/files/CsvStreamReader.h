#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <vector>

class ByteSource;

// Reads delimited records from a stream of bytes, a block at a time, so that a file of millions
// of rows is read in memory bounded by one block and one record. With quoting, fields follow RFC
// 4180 (a field in double quotes may hold delimiters, line breaks and doubled quotes; a quote
// inside a field that did not begin with one is an ordinary character; records end at CR LF, LF
// or CR). Without quoting, as tab-separated dumps are written, a quote is an ordinary character
// and only LF ends a record (a CR before it is dropped). A byte order mark at the start is
// skipped. Fields are handed out as the bytes of the file, valid until the next record is read;
// decoding them is the caller's choice (fieldTexts() reads them as UTF-8).
class CsvStreamReader
{
    Q_DECLARE_TR_FUNCTIONS(CsvStreamReader)

public:
    // A record longer than this is taken for a quote that never closes, and reading stops.
    static constexpr qsizetype MaxRecordBytes = qsizetype(64) << 20;
    // A record of more fields than this is refused too: each field costs its end's offset on top
    // of its bytes, so a long line of delimiters alone would take memory eight times its size.
    static constexpr qsizetype MaxFields = 10000;

    explicit CsvStreamReader(ByteSource& source, char delimiter = ',', bool quoting = true);

    // Reads the next record; false at the end of the data or when reading failed (failed()).
    bool readRecord();
    qsizetype fieldCount() const { return qsizetype(m_fieldEnds.size()); }
    // The bytes of field `i` of the record last read; empty beyond its last field.
    QByteArrayView field(qsizetype i) const;
    // The fields of the record last read, decoded as UTF-8.
    QStringList fieldTexts() const;
    // The bytes of the whole record last read, fields joined by nothing (for quick checks).
    QByteArrayView recordBytes() const { return QByteArrayView(m_fields.constData(), m_fields.size()); }
    // The line the record last read starts on, counted from 1.
    qint64 lineNumber() const { return m_recordLine; }
    // The bytes of the data taken up by the records read so far.
    qint64 consumed() const { return m_base + m_pos; }

    bool failed() const { return !m_error.isEmpty(); }
    QString errorString() const { return m_error; }
    // Whether reading failed because the data ends inside a quoted field.
    bool endsInsideQuotes() const { return m_endsInsideQuotes; }

private:
    enum class Scan { Complete, NeedMore, Failed };
    Scan scan();
    bool fill();
    void endField() { m_fieldEnds.push_back(m_fields.size()); }

    ByteSource& m_source;
    const char m_delimiter;
    const bool m_quoting;
    std::vector<char> m_buffer;
    qsizetype m_pos = 0;
    qsizetype m_length = 0;
    // The offset in the data of m_buffer's first byte.
    qint64 m_base = 0;
    bool m_atEnd = false;
    bool m_started = false;
    qint64 m_line = 1;
    qint64 m_recordLine = 0;
    QByteArray m_fields;
    std::vector<qsizetype> m_fieldEnds;
    QString m_error;
    bool m_endsInsideQuotes = false;
};
