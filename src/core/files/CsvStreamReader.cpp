#include "core/files/CsvStreamReader.h"

#include "core/files/ByteSource.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr qsizetype kBlockBytes = qsizetype(1) << 20;

// Line breaks inside a quoted field, counted as the records' line ends are: CR LF, LF or CR.
qint64 lineBreaks(const char* begin, const char* end)
{
    qint64 count = 0;
    for (const char* p = begin; p < end; ++p) {
        if (*p == '\n' || (*p == '\r' && (p + 1 == end || p[1] != '\n'))) {
            ++count;
        }
    }
    return count;
}

} // namespace

CsvStreamReader::CsvStreamReader(ByteSource& source, char delimiter, bool quoting)
    : m_source(source)
    , m_delimiter(delimiter)
    , m_quoting(quoting)
{
    m_buffer.resize(static_cast<std::size_t>(kBlockBytes));
}

QByteArrayView CsvStreamReader::field(qsizetype i) const
{
    if (i < 0 || i >= fieldCount()) {
        return QByteArrayView();
    }
    const qsizetype begin = i == 0 ? 0 : m_fieldEnds[static_cast<std::size_t>(i - 1)];
    return QByteArrayView(m_fields.constData() + begin, m_fieldEnds[static_cast<std::size_t>(i)] - begin);
}

QStringList CsvStreamReader::fieldTexts() const
{
    QStringList texts;
    texts.reserve(fieldCount());
    for (qsizetype i = 0; i < fieldCount(); ++i) {
        texts.append(QString::fromUtf8(field(i)));
    }
    return texts;
}

bool CsvStreamReader::fill()
{
    // The record begun at m_pos moves to the front; a record that fills the whole buffer makes it
    // grow, up to the limit.
    if (m_pos > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_pos, static_cast<std::size_t>(m_length - m_pos));
        m_base += m_pos;
        m_length -= m_pos;
        m_pos = 0;
    }
    if (m_length == qsizetype(m_buffer.size())) {
        if (m_length >= MaxRecordBytes) {
            m_error = tr("line %1: a record runs over %2 MB, which no food list has (a quote that never closes?)")
                          .arg(m_line)
                          .arg(MaxRecordBytes >> 20);
            return false;
        }
        m_buffer.resize(m_buffer.size() * 2);
    }
    // The free space is filled before the record is scanned again, so that a long record is
    // rescanned once per doubling of the buffer, not once per short read.
    while (m_length < qsizetype(m_buffer.size())) {
        const qint64 n = m_source.read(m_buffer.data() + m_length, qint64(m_buffer.size()) - m_length);
        if (n < 0) {
            m_error = m_source.errorString();
            return false;
        }
        if (n == 0) {
            m_atEnd = true;
            break;
        }
        m_length += n;
    }
    if (!m_started && m_length >= 3) {
        m_started = true;
        if (std::memcmp(m_buffer.data(), "\xEF\xBB\xBF", 3) == 0) {
            m_pos = 3;
        }
    }
    if (m_atEnd) {
        m_started = true;
    }
    return true;
}

bool CsvStreamReader::readRecord()
{
    if (failed()) {
        return false;
    }
    for (;;) {
        if (m_started) {
            const Scan result = scan();
            if (result == Scan::Complete) {
                return true;
            }
            if (result == Scan::Failed || m_atEnd) {
                return false;
            }
        }
        if (!fill()) {
            return false;
        }
    }
}

CsvStreamReader::Scan CsvStreamReader::scan()
{
    const char* const start = m_buffer.data() + m_pos;
    const char* const end = m_buffer.data() + m_length;
    if (start == end) {
        return m_atEnd ? Scan::Failed : Scan::NeedMore;
    }
    m_fields.clear();
    m_fieldEnds.clear();
    qsizetype fieldStart = 0;
    bool quoted = false;
    bool wasQuoted = false;
    qint64 breaks = 0;
    const char* p = start;
    auto finish = [&](const char* next) {
        endField();
        m_recordLine = m_line;
        m_line += breaks + 1;
        m_pos = next - m_buffer.data();
        return Scan::Complete;
    };
    while (p < end) {
        if (quoted) {
            const char* quote = static_cast<const char*>(std::memchr(p, '"', static_cast<std::size_t>(end - p)));
            const char* stop = quote ? quote : end;
            m_fields.append(p, stop - p);
            breaks += lineBreaks(p, stop);
            p = stop;
            if (!quote) {
                break;
            }
            if (quote + 1 == end && !m_atEnd) {
                return Scan::NeedMore;
            }
            if (quote + 1 < end && quote[1] == '"') {
                m_fields.append('"');
                p = quote + 2;
            } else {
                quoted = false;
                p = quote + 1;
            }
            continue;
        }
        const char c = *p;
        if (c == '"' && m_quoting && m_fields.size() == fieldStart && !wasQuoted) {
            quoted = true;
            wasQuoted = true;
            ++p;
            continue;
        }
        if (c == m_delimiter) {
            if (fieldCount() + 1 >= MaxFields) {
                m_error = tr("line %1: a record has over %2 fields, which no food list has").arg(m_line).arg(MaxFields);
                return Scan::Failed;
            }
            endField();
            fieldStart = m_fields.size();
            wasQuoted = false;
            ++p;
            continue;
        }
        if (c == '\n') {
            if (!m_quoting && m_fields.size() > fieldStart && m_fields.back() == '\r') {
                m_fields.chop(1);
            }
            return finish(p + 1);
        }
        if (c == '\r' && m_quoting) {
            if (p + 1 == end && !m_atEnd) {
                return Scan::NeedMore;
            }
            return finish(p + 1 < end && p[1] == '\n' ? p + 2 : p + 1);
        }
        const char* run = p + 1;
        if (m_quoting) {
            while (run < end && *run != m_delimiter && *run != '\n' && *run != '\r') {
                ++run;
            }
        } else {
            while (run < end && *run != m_delimiter && *run != '\n') {
                ++run;
            }
        }
        m_fields.append(p, run - p);
        p = run;
    }
    if (!m_atEnd) {
        return Scan::NeedMore;
    }
    if (quoted) {
        m_endsInsideQuotes = true;
        m_error = tr("line %1: the file ends inside a quoted field").arg(m_line);
        return Scan::Failed;
    }
    if (!m_quoting && m_fields.size() > fieldStart && m_fields.back() == '\r') {
        m_fields.chop(1);
    }
    return finish(end);
}
