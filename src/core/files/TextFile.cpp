#include "core/files/TextFile.h"

#include "core/files/SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <iterator>

namespace {

// Windows-1252 differs from Latin-1 only in 0x80 to 0x9F; the five unassigned codes map to the
// C1 controls of the same value, as Windows itself does.
constexpr char16_t kCp1252High[32] = { 0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030,
    0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178 };

QString describe(const QString& path, const QString& reason)
{
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
}

} // namespace

QChar* TextFile::appendWindows1252(QChar* out, QByteArrayView bytes)
{
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = (b >= 0x80 && b < 0xA0) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
    }
    return out;
}

bool TextFile::toWindows1252(QStringView text, QByteArray* bytes)
{
    bytes->resize(text.size());
    char* out = bytes->data();
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            *out++ = static_cast<char>(u);
            continue;
        }
        const auto* high = std::find(std::begin(kCp1252High), std::end(kCp1252High), u);
        if (high == std::end(kCp1252High)) {
            return false;
        }
        *out++ = static_cast<char>(0x80 + (high - std::begin(kCp1252High)));
    }
    return true;
}

QStringView TextFile::decodeInto(QByteArrayView bytes, bool utf8, QString* buffer)
{
    buffer->resize(bytes.size());
    QChar* begin = buffer->data();
    QChar* end;
    if (utf8) {
        QStringDecoder decoder(
            QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        end = decoder.appendToBuffer(begin, bytes);
    } else {
        end = appendWindows1252(begin, bytes);
    }
    buffer->resize(end - begin);
    return *buffer;
}

QString TextFile::fromWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    appendWindows1252(text.data(), bytes);
    return text;
}

QString TextFile::decode(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        return fromWindows1252(bytes);
    }
    if (text.startsWith(QChar(0xFEFF))) {
        text.remove(0, 1);
    }
    return text;
}

QStringList TextFile::splitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < n) {
        lines.append(text.mid(start));
    }
    return lines;
}

bool TextFile::readText(const QString& path, QString* text, QString* error)
{
    QFile file(path);
    if (QFileInfo(path).isDir()) {
        if (error) {
            *error = describe(path, tr("is a folder, not a file"));
        }
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) {
            *error = describe(path, file.errorString());
        }
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error) {
            *error = describe(path, file.errorString());
        }
        return false;
    }
    *text = decode(bytes);
    return true;
}

bool TextFile::readLines(const QString& path, QStringList* lines, QString* error)
{
    QString text;
    if (!readText(path, &text, error)) {
        return false;
    }
    *lines = splitLines(text);
    return true;
}

bool TextFile::writeLines(const QString& path, const QStringList& lines, QString* error)
{
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return writeBytes(path, bytes, error);
}

bool TextFile::writeBytes(const QString& path, const QByteArray& bytes, QString* error)
{
    QString reason;
    const bool written = SafeFile::write(
        path,
        [&bytes](SafeFile& file, QString* why) {
            if (!file.append(bytes)) {
                *why = file.errorString();
                return false;
            }
            return true;
        },
        &reason);
    if (!written && error) {
        *error = describe(path, reason);
    }
    return written;
}
