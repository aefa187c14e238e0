#pragma once

#include <QString>
#include <QStringList>

// Reads comma-separated text with RFC 4180 quoting: a field in double quotes may hold commas,
// line breaks and doubled quotes. Records end at CR LF, LF or CR outside quotes.
class CsvReader
{
public:
    explicit CsvReader(QString text);

    // Reads the next record into `fields`; false at the end of the text.
    bool readRecord(QStringList& fields);
    // True once a quoted field ran to the end of the text without its closing quote.
    bool hasError() const { return m_error; }

private:
    QString m_text;
    qsizetype m_pos = 0;
    bool m_error = false;
};
