#include "core/files/TextLineReader.h"

#include "core/files/TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

constexpr qsizetype kBlockBytes = qsizetype(256) << 10;

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

TextLineReader::TextLineReader(const QString& path)
    : m_file(path)
{ }

bool TextLineReader::fail(const QString& reason)
{
    m_error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(m_file.fileName()), reason);
    m_atEnd = true;
    return false;
}

bool TextLineReader::failed(QString* error) const
{
    if (error && !m_error.isEmpty()) {
        *error = m_error;
    }
    return !m_error.isEmpty();
}

bool TextLineReader::open(QString* error)
{
    // A pipe or a device would make the first read wait, or never end; only a regular file is read.
    const QFileInfo info(m_file.fileName());
    const bool opened = info.isDir()       ? fail(tr("is a folder, not a file"))
        : info.exists() && !info.isFile()  ? fail(tr("is not a regular file"))
        : m_file.open(QIODevice::ReadOnly) ? scanEncoding()
                                           : fail(m_file.errorString());
    if (!opened) {
        failed(error);
    }
    return opened;
}

// Checks the whole file for valid UTF-8 in blocks; a sequence cut by a block's end is carried
// into the next block.
bool TextLineReader::scanEncoding()
{
    QByteArray block;
    QByteArray carried;
    for (;;) {
        block = carried + m_file.read(kBlockBytes);
        if (m_file.error() != QFileDevice::NoError) {
            return fail(m_file.errorString());
        }
        const bool last = block.size() == carried.size();
        qsizetype complete = block.size();
        if (!last) {
            // Back up to the lead byte of the last sequence; it may continue in the next block.
            qsizetype lead = block.size() - 1;
            while (lead > 0 && block.size() - lead < 4 && isContinuationByte(block[lead])) {
                --lead;
            }
            complete = lead;
        }
        if (!QByteArrayView(block.constData(), complete).isValidUtf8()) {
            m_utf8 = false;
            break;
        }
        if (last) {
            break;
        }
        carried = block.mid(complete);
    }
    if (!m_file.seek(0)) {
        return fail(m_file.errorString());
    }
    if (m_utf8 && m_file.peek(3) == QByteArrayLiteral("\xEF\xBB\xBF")) {
        m_file.read(3);
    }
    return true;
}

bool TextLineReader::fill()
{
    m_block = m_file.read(kBlockBytes);
    m_pos = 0;
    if (m_file.error() != QFileDevice::NoError) {
        return fail(m_file.errorString());
    }
    m_atEnd = m_block.isEmpty();
    return !m_atEnd;
}

void TextLineReader::decode(QByteArrayView bytes, QString* line) const
{
    // The file's own byte order mark was skipped on opening; one at the start of a line is text.
    TextFile::decodeInto(bytes, m_utf8, line);
}

bool TextLineReader::readLine(QString* line)
{
    m_pending.clear();
    m_cut = false;
    bool any = false;
    for (;;) {
        if (m_pos >= m_block.size() && (m_atEnd || !fill())) {
            if (!any || !m_error.isEmpty()) {
                return false;
            }
            decode(m_pending, line);
            ++m_lineNumber;
            return true;
        }
        if (m_skipLineFeed) {
            m_skipLineFeed = false;
            if (m_block[m_pos] == '\n') {
                ++m_pos;
                continue;
            }
        }
        any = true;
        const char* begin = m_block.constData() + m_pos;
        const char* blockEnd = m_block.constData() + m_block.size();
        const char* lineEnd = std::find_if(begin, blockEnd, [](char c) { return c == '\r' || c == '\n'; });
        const qsizetype room = MaxLineBytes - m_pending.size();
        const qsizetype length = lineEnd - begin;
        if (length > room) {
            m_cut = true;
        }
        if (lineEnd == blockEnd) {
            m_pending.append(begin, std::min(length, room));
            m_pos = m_block.size();
            continue;
        }
        m_pos += length + 1;
        m_skipLineFeed = *lineEnd == '\r';
        ++m_lineNumber;
        if (m_pending.isEmpty() && !m_cut) {
            decode(QByteArrayView(begin, length), line);
        } else {
            m_pending.append(begin, std::min(length, room));
            decode(m_pending, line);
        }
        return true;
    }
}
