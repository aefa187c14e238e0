// The document viewers' reading rule on any file: no crash, every line ends with CR LF, and the
// text holds no line end of its own beyond those.

#include "FuzzSupport.h"
#include "core/files/DocumentText.h"

#include <QFile>
#include <QTemporaryFile>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QTemporaryFile* file = [] {
        auto* f = new QTemporaryFile;
        f->open();
        return f;
    }();
    file->resize(0);
    file->seek(0);
    file->write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file->flush();
    QString text;
    if (!DocumentText::read(file->fileName(), &text)) {
        fuzz::fail("a readable document was not read", double(size), QString());
    }
    if (!text.isEmpty() && !text.endsWith(QStringLiteral("\r\n"))) {
        fuzz::fail("the text does not end with a line break", double(size), QString());
    }
    const qsizetype crlf = text.count(QStringLiteral("\r\n"));
    if (text.count(u'\r') != crlf || text.count(u'\n') != crlf) {
        fuzz::fail("a line end survived inside a line", double(size), QString());
    }
    return 0;
}
