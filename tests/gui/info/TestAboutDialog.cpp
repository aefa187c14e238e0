#include "gui/common/Prompt.h"
#include "gui/info/AboutDialog.h"
#include "gui/info/AboutPicture.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QUrl>

// Stands in for the web browser: records every address it is asked to show.
class BrowserStandIn : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> shown;

public slots:
    void showUrl(const QUrl& url) { shown.append(url); }
};

class TestAboutDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void showsPicture();
    void pictureClickOpensWebSiteEachTime();
    void clickElsewhereDoesNothing();
    void noBrowserIsReported();
    void closeButtonCloses();

private:
    BrowserStandIn m_browser;
};

void TestAboutDialog::init()
{
    Prompt::setAnswering(true);
    m_browser.shown.clear();
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_browser, "showUrl");
}

void TestAboutDialog::cleanup()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

void TestAboutDialog::showsPicture()
{
    AboutDialog about;
    about.show();
    QCOMPARE(about.windowTitle(), QStringLiteral("Platewell"));
    auto* picture = about.findChild<QLabel*>(QStringLiteral("Picture1"));
    QVERIFY(picture);
    QCOMPARE(picture->size(), QSize(341, 184));
    const QImage image = AboutPicture::draw();
    QCOMPARE(image.size(), QSize(341, 184));
    QCOMPARE(image.depth(), 24);
    // Something was drawn: the picture is not one flat colour.
    QVERIFY(image.pixel(5, 5) != image.pixel(262, 96));
    QCOMPARE(about.findChild<QPushButton*>(QStringLiteral("Command1"))->text(), QStringLiteral("Close"));
}

void TestAboutDialog::pictureClickOpensWebSiteEachTime()
{
    AboutDialog about;
    about.show();
    auto* picture = about.findChild<QLabel*>(QStringLiteral("Picture1"));
    for (int click = 1; click <= 3; ++click) {
        QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(40, 40));
        QCOMPARE(m_browser.shown.size(), click);
        QCOMPARE(m_browser.shown.last(), QUrl(QStringLiteral("https://platewell.org")));
        QVERIFY(about.isVisible());
    }
    QTest::mouseClick(picture, Qt::RightButton, {}, QPoint(40, 40));
    QCOMPARE(m_browser.shown.size(), 3);
    QVERIFY(Prompt::shown().isEmpty());
}

void TestAboutDialog::clickElsewhereDoesNothing()
{
    AboutDialog about;
    about.show();
    QTest::mouseClick(&about, Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseClick(&about, Qt::LeftButton, {}, QPoint(about.width() - 2, about.height() - 2));
    QVERIFY(m_browser.shown.isEmpty());
    QVERIFY(about.isVisible());
}

void TestAboutDialog::noBrowserIsReported()
{
    // The offscreen platform has no browser of its own.
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    AboutDialog about;
    about.show();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(".*")));
    QTest::mouseClick(about.findChild<QLabel*>(QStringLiteral("Picture1")), Qt::LeftButton, {}, QPoint(40, 40));
    QCOMPARE(Prompt::shown().size(), 1);
    QCOMPARE(Prompt::shown().first().title, QStringLiteral("Error"));
    QVERIFY(Prompt::shown().first().text.contains(QStringLiteral("https://platewell.org")));
    QVERIFY(about.isVisible());
}

void TestAboutDialog::closeButtonCloses()
{
    AboutDialog about;
    about.show();
    QTest::mouseClick(about.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    QVERIFY(!about.isVisible());
}

QTEST_MAIN(TestAboutDialog)
#include "TestAboutDialog.moc"
