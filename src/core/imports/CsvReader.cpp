#include "core/imports/CsvReader.h"

CsvReader::CsvReader(QString text)
    : m_text(std::move(text))
{
    if (m_text.startsWith(QChar(0xFEFF))) {
        m_pos = 1;
    }
}

bool CsvReader::readRecord(QStringList& fields)
{
    fields.clear();
    const qsizetype n = m_text.size();
    if (m_pos >= n) {
        return false;
    }
    QString field;
    bool quoted = false;
    bool wasQuoted = false;
    while (m_pos < n) {
        const QChar c = m_text[m_pos];
        if (quoted) {
            if (c == u'"') {
                if (m_pos + 1 < n && m_text[m_pos + 1] == u'"') {
                    field += u'"';
                    m_pos += 2;
                    continue;
                }
                quoted = false;
                ++m_pos;
                continue;
            }
            field += c;
            ++m_pos;
            continue;
        }
        if (c == u'"' && field.isEmpty() && !wasQuoted) {
            quoted = true;
            wasQuoted = true;
            ++m_pos;
            continue;
        }
        if (c == u',') {
            fields.append(field);
            field.clear();
            wasQuoted = false;
            ++m_pos;
            continue;
        }
        if (c == u'\r' || c == u'\n') {
            ++m_pos;
            if (c == u'\r' && m_pos < n && m_text[m_pos] == u'\n') {
                ++m_pos;
            }
            fields.append(field);
            return true;
        }
        field += c;
        ++m_pos;
    }
    if (quoted) {
        m_error = true;
    }
    fields.append(field);
    return true;
}
