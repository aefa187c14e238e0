#include "TestSupport.h"

#include "core/files/DocumentText.h"
#include "gui/common/Prompt.h"
#include "gui/info/ConversionChartViewer.h"
#include "gui/info/LicenseViewer.h"
#include "gui/info/QuickHelpViewer.h"

#include <QEventLoop>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <memory>

class TestDocumentViewers : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void readsLines_data();
    void readsLines();
    void viewerShowsDocument_data();
    void viewerShowsDocument();
    void reopeningDoesNotDoubleText();
    void missingDocument_data();
    void missingDocument();
    void acceptClosesLicense();
    void declineEndsProgram();

private:
    void writeDocument(const QString& name, const QByteArray& bytes);
    std::unique_ptr<DocumentViewer> create(const QString& kind);

    std::unique_ptr<TestFolder> m_folder;
};

void TestDocumentViewers::init()
{
    Prompt::setAnswering(true);
    m_folder = std::make_unique<TestFolder>();
}

void TestDocumentViewers::writeDocument(const QString& name, const QByteArray& bytes)
{
    QFile file(m_folder->dataFolder() + QLatin1Char('/') + name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

std::unique_ptr<DocumentViewer> TestDocumentViewers::create(const QString& kind)
{
    const std::unique_ptr<UserFiles> files = m_folder->files();
    if (kind == QLatin1String("convinfo")) {
        return std::make_unique<ConversionChartViewer>(*files);
    }
    if (kind == QLatin1String("PlatewellHelp")) {
        return std::make_unique<QuickHelpViewer>(*files);
    }
    return std::make_unique<LicenseViewer>(*files);
}

void TestDocumentViewers::readsLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("three lines CR LF") << QByteArray("one\r\ntwo\r\nthree\r\n") << "one\r\ntwo\r\nthree\r\n";
    QTest::newRow("last line without end") << QByteArray("one\r\ntwo\r\nthree") << "one\r\ntwo\r\nthree\r\n";
    QTest::newRow("lone CR") << QByteArray("a\rb") << "a\r\nb\r\n";
    QTest::newRow("lone LF") << QByteArray("a\nb\n") << "a\r\nb\r\n";
    QTest::newRow("blank line kept") << QByteArray("a\n\nb\n") << "a\r\n\r\nb\r\n";
    QTest::newRow("empty file") << QByteArray() << "";
    QTest::newRow("Windows-1252") << QByteArray("caf\xe9\r\n") << QString::fromUtf8("caf\xc3\xa9\r\n");
}

void TestDocumentViewers::readsLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    writeDocument(QStringLiteral("doc.txt"), bytes);
    QString text = QStringLiteral("left over");
    QVERIFY(DocumentText::read(m_folder->dataFolder() + QStringLiteral("/doc.txt"), &text));
    QCOMPARE(text, expected);
}

void TestDocumentViewers::viewerShowsDocument_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("serif");
    QTest::newRow("conversion chart") << "convinfo"
                                      << "convchart.txt"
                                      << "Conversion Information" << true;
    QTest::newRow("quick help") << "PlatewellHelp"
                                << "foods.hlp"
                                << "Platewell Help" << true;
    QTest::newRow("licence") << "License"
                             << "license agreement.txt"
                             << "License Agreement" << false;
}

void TestDocumentViewers::viewerShowsDocument()
{
    QFETCH(QString, kind);
    QFETCH(QString, document);
    QFETCH(QString, caption);
    QFETCH(bool, serif);
    writeDocument(document, "first\r\nsecond\nthird");
    auto viewer = create(kind);
    viewer->show();
    QCOMPARE(viewer->objectName(), kind);
    QCOMPARE(viewer->windowTitle(), caption);
    QCOMPARE(viewer->text(), QStringLiteral("first\r\nsecond\r\nthird\r\n"));
    auto* text = viewer->findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
    QVERIFY(text);
    QVERIFY(text->isReadOnly());
    QCOMPARE(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(text->toPlainText().split(QLatin1Char('\n')),
        QStringList({ QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("third"), QString() }));
    QCOMPARE(text->font().pointSize(), serif ? 14 : viewer->font().pointSize());
    QCOMPARE(text->font().family() == QLatin1String("Times New Roman"), serif);
    QVERIFY(Prompt::shown().isEmpty());
}

void TestDocumentViewers::reopeningDoesNotDoubleText()
{
    writeDocument(QStringLiteral("foods.hlp"), "one\r\ntwo\r\nthree\r\n");
    const QString expected = QStringLiteral("one\r\ntwo\r\nthree\r\n");
    for (int opening = 0; opening < 2; ++opening) {
        QuickHelpViewer help(*m_folder->files());
        QCOMPARE(help.text(), expected);
        QCOMPARE(help.findChild<QPlainTextEdit*>(QStringLiteral("Text1"))->blockCount(), 4);
    }
    QuickHelpViewer help(*m_folder->files());
    help.loadDocument();
    QCOMPARE(help.text(), expected);

    // Each opening reads the document afresh.
    writeDocument(QStringLiteral("foods.hlp"), "changed\r\n");
    QuickHelpViewer again(*m_folder->files());
    QCOMPARE(again.text(), QStringLiteral("changed\r\n"));
}

void TestDocumentViewers::missingDocument_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("button");
    QTest::newRow("conversion chart") << "convinfo"
                                      << "Command1";
    QTest::newRow("quick help") << "PlatewellHelp"
                                << "Command1";
    QTest::newRow("licence") << "License"
                             << "Command1";
}

void TestDocumentViewers::missingDocument()
{
    QFETCH(QString, kind);
    QFETCH(QString, button);
    auto viewer = create(kind);
    QCOMPARE(Prompt::shown().size(), 1);
    QCOMPARE(Prompt::shown().first().title, QStringLiteral("Error"));
    QCOMPARE(Prompt::shown().first().text, QStringLiteral("File Not Found"));
    viewer->show();
    QVERIFY(viewer->findChild<QPlainTextEdit*>(QStringLiteral("Text1"))->toPlainText().isEmpty());
    QVERIFY(viewer->text().isEmpty());
    QTest::mouseClick(viewer->findChild<QPushButton*>(button), Qt::LeftButton);
    QTRY_VERIFY(!viewer->isVisible());
}

void TestDocumentViewers::acceptClosesLicense()
{
    writeDocument(QStringLiteral("license agreement.txt"), "terms\r\n");
    QWidget mainWindow;
    mainWindow.show();
    LicenseViewer license(*m_folder->files(), &mainWindow);
    QCOMPARE(license.findChild<QPushButton*>(QStringLiteral("Command1"))->text(), QStringLiteral("I Accept"));
    QCOMPARE(license.findChild<QPushButton*>(QStringLiteral("Command2"))->text(), QStringLiteral("I Don't Accept"));
    int result = -1;
    QTimer::singleShot(0, &license,
        [&license] { QTest::mouseClick(license.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton); });
    result = license.exec();
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY(mainWindow.isVisible());
    QVERIFY(Prompt::shown().isEmpty());
}

void TestDocumentViewers::declineEndsProgram()
{
    // A missing licence text still leaves a window whose "I Don't Accept" works.
    QWidget mainWindow;
    mainWindow.show();
    LicenseViewer license(*m_folder->files(), &mainWindow);
    Prompt::clearShown();

    // The program's event loop stands in for QApplication::exec(): ending the program leaves it.
    QEventLoop programLoop;
    QTimer safety;
    safety.setSingleShot(true);
    connect(&safety, &QTimer::timeout, &programLoop, [&programLoop] { programLoop.exit(1); });
    safety.start(10000);
    QTimer::singleShot(0, &license, [&license] {
        QTimer::singleShot(0, &license, [&license] {
            QTest::mouseClick(license.findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton);
        });
        license.exec();
    });
    QCOMPARE(programLoop.exec(), 0);
    QVERIFY(!license.isVisible());
    QVERIFY(!mainWindow.isVisible());
    QVERIFY(Prompt::shown().isEmpty());
}

QTEST_MAIN(TestDocumentViewers)
#include "TestDocumentViewers.moc"
