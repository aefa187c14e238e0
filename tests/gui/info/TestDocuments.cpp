#include "TestSupport.h"

#include "core/files/ByteSource.h"
#include "core/files/CsvStreamReader.h"
#include "core/files/PlatewellFolder.h"
#include "core/workspace/FolderSetup.h"
#include "gui/common/Prompt.h"
#include "gui/info/ConversionChartViewer.h"
#include "gui/info/LicenseViewer.h"
#include "gui/info/QuickHelpViewer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestDocuments : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void newFolderReceivesDocuments();
    void changedDocumentIsKept();
    void viewersReadInstalledDocuments();
    void manualCoversEveryWindow_data();
    void manualCoversEveryWindow();
    void foodTableListsStarterFoods();

private:
    static QByteArray readFile(const QString& path);
    QString pdfText(const QString& name);

    QTemporaryDir m_home;
    QString m_data;
};

const QStringList Documents { QStringLiteral("foods.hlp"), QStringLiteral("convchart.txt"),
    QStringLiteral("license agreement.txt"), QStringLiteral("PWmanual.pdf"),
    QStringLiteral("Nutritive Value of Foods.pdf") };

QByteArray TestDocuments::readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestDocuments::initTestCase()
{
    Prompt::setAnswering(true);
    QString error;
    QVERIFY2(FolderSetup::prepare(m_home.path(), &error), qPrintable(error));
    m_data = PlatewellFolder::dataFolder(m_home.path());
}

QString TestDocuments::pdfText(const QString& name)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        return QString();
    }
    QProcess process;
    process.start(QStringLiteral("pdftotext"), { m_data + QLatin1Char('/') + name, QStringLiteral("-") });
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        return QString();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

void TestDocuments::newFolderReceivesDocuments()
{
    for (const QString& name : Documents) {
        const QByteArray installed = readFile(m_data + QLatin1Char('/') + name);
        QVERIFY2(!installed.isEmpty(), qPrintable(name));
        QCOMPARE(installed, readFile(QStringLiteral(":/documents/") + name));
    }
    QVERIFY(readFile(m_data + QStringLiteral("/PWmanual.pdf")).startsWith("%PDF-"));
    QVERIFY(readFile(m_data + QStringLiteral("/Nutritive Value of Foods.pdf")).startsWith("%PDF-"));
    const QString licence = QString::fromUtf8(readFile(m_data + QStringLiteral("/license agreement.txt")));
    QVERIFY(licence.contains(QStringLiteral("the Platewell Project")));
    QVERIFY(licence.contains(QStringLiteral("public domain")));
}

void TestDocuments::changedDocumentIsKept()
{
    TestFolder folder;
    const QString help = folder.dataFolder() + QStringLiteral("/foods.hlp");
    const QString chart = folder.dataFolder() + QStringLiteral("/convchart.txt");
    QString error;
    QVERIFY2(PlatewellFolder::installDocuments(folder.dataFolder(), &error), qPrintable(error));
    {
        QFile file(help);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("my own notes\r\n");
    }
    QVERIFY(QFile::remove(chart));

    QVERIFY2(PlatewellFolder::installDocuments(folder.dataFolder(), &error), qPrintable(error));
    QCOMPARE(readFile(help), QByteArray("my own notes\r\n"));
    // A document the user deleted comes back.
    QCOMPARE(readFile(chart), readFile(QStringLiteral(":/documents/convchart.txt")));
}

void TestDocuments::viewersReadInstalledDocuments()
{
    const UserFiles files({ m_data, QString(), QString() });
    Prompt::clearShown();
    ConversionChartViewer chart(files);
    QuickHelpViewer help(files);
    LicenseViewer licence(files);
    QVERIFY(Prompt::shown().isEmpty());
    QVERIFY(chart.text().contains(QStringLiteral("1 cup = 16 tablespoons = 8 fl oz = 237 mL")));
    QVERIFY(help.text().startsWith(QStringLiteral("PLATEWELL QUICK HELP\r\n")));
    QVERIFY(licence.text().endsWith(QStringLiteral("\r\n")));
    // Every window of the program has its section in the quick help.
    for (const QString& heading :
        { QStringLiteral("MAIN WINDOW"), QStringLiteral("CALCULATE TOTALS"), QStringLiteral("USER NAME"),
            QStringLiteral("VIEW FOOD PROPERTIES"), QStringLiteral("EDIT FOOD LIST"), QStringLiteral("COPY YOUR FILES"),
            QStringLiteral("DOCUMENTS"), QStringLiteral("CALENDAR"), QStringLiteral("ABOUT PLATEWELL") }) {
        QVERIFY2(help.text().contains(QStringLiteral("\r\n") + heading), qPrintable(heading));
    }
}

void TestDocuments::manualCoversEveryWindow_data()
{
    QTest::addColumn<QString>("heading");
    for (const char* heading : { "Platewell User Manual", "The main window", "Planning a meal", "Menus",
             "Calculate Totals", "User Name", "View Food Properties", "Edit Food List", "Nutrients beyond the nine",
             "Copy Your Files", "Documents", "Calendar", "About Platewell", "Page 1 of" }) {
        QTest::newRow(heading) << QString::fromLatin1(heading);
    }
}

void TestDocuments::manualCoversEveryWindow()
{
    QFETCH(QString, heading);
    const QString text = pdfText(QStringLiteral("PWmanual.pdf"));
    if (text.isEmpty()) {
        QSKIP("pdftotext is not installed");
    }
    QVERIFY2(text.contains(heading), qPrintable(heading));
}

void TestDocuments::foodTableListsStarterFoods()
{
    const QString text = pdfText(QStringLiteral("Nutritive Value of Foods.pdf"));
    if (text.isEmpty()) {
        QSKIP("pdftotext is not installed");
    }
    QVERIFY(text.contains(QStringLiteral("Nutritive Value of Foods")));
    for (const char* heading : { "Food", "Serving unit", "Calories", "Fat (g)", "Points", "Fiber (g)" }) {
        QVERIFY2(text.contains(QString::fromLatin1(heading)), heading);
    }
    // Every page carries its number and the page count.
    const QRegularExpression pageNumber(QStringLiteral("Page (\\d+) of (\\d+)"));
    int pages = 0;
    int count = 0;
    for (auto it = pageNumber.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        ++pages;
        QCOMPARE(match.captured(1).toInt(), pages);
        count = match.captured(2).toInt();
    }
    QVERIFY(pages > 100);
    QCOMPARE(pages, count);

    // Every starter food whose name fits on one line of its cell is listed, with its serving unit.
    const QStringList lines = text.split(QLatin1Char('\n'));
    const QSet<QString> lineSet(lines.begin(), lines.end());
    const auto starter = ByteSource::fromBytes(PlatewellFolder::starterFoodsCsv().toUtf8());
    CsvStreamReader reader(*starter);
    reader.readRecord();
    int checked = 0;
    while (reader.readRecord()) {
        const QStringList fields = reader.fieldTexts();
        if (fields.value(0).size() <= 30) {
            QVERIFY2(lineSet.contains(fields.value(0)), qPrintable(fields.value(0)));
            ++checked;
        }
    }
    QVERIFY(checked > 1000);
    QVERIFY(lineSet.contains(QStringLiteral("Zwieback")));
    QVERIFY(lineSet.contains(QStringLiteral("1 oz (28.4 g)")));
}

QTEST_MAIN(TestDocuments)
#include "TestDocuments.moc"
