#include "gui/userfiles/UserNameDialog.h"

#include "TestSupport.h"
#include "gui/common/Prompt.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestUserNameDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opensWithEmptyBox();
    void applyStoresTheNameAsTyped_data();
    void applyStoresTheNameAsTyped();
    void cancelChangesNothing_data();
    void cancelChangesNothing();
    void refusesNamesThatBreakFileNames_data();
    void refusesNamesThatBreakFileNames();
    void worksWithoutAButton();

private:
    void open();

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<UserFiles> m_files;
    std::unique_ptr<QPushButton> m_button;
    std::unique_ptr<UserNameDialog> m_window;
};

void TestUserNameDialog::init()
{
    Prompt::setAnswering(true);
    m_folder = std::make_unique<TestFolder>();
    m_files = m_folder->files();
    m_files->setUserName("Old Name");
    // The main window's user-name button, which follows the name.
    m_button = std::make_unique<QPushButton>();
    UserNameDialog::showUserNameOn(m_button.get(), *m_files);
    QCOMPARE(m_button->text(), QString("Old Name"));
    open();
}

void TestUserNameDialog::cleanup()
{
    m_window.reset();
    m_button.reset();
    m_files.reset();
    m_folder.reset();
    Prompt::setAnswering(false);
}

void TestUserNameDialog::open()
{
    m_window = std::make_unique<UserNameDialog>(*m_files);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestUserNameDialog::opensWithEmptyBox()
{
    QCOMPARE(m_window->windowTitle(), QString("User Name"));
    QCOMPARE(m_window->findChild<QLabel*>("Label1")->text(), QString("Enter your User Name"));
    QCOMPARE(m_window->findChild<QPushButton*>("Command1")->text(), QString("Apply"));
    QCOMPARE(m_window->findChild<QPushButton*>("Command2")->text(), QString("Cancel"));
    QVERIFY(m_window->findChild<QLineEdit*>("Text1")->text().isEmpty());
    QTest::keyClicks(m_window->findChild<QLineEdit*>("Text1"), "Ann");
    QTest::mouseClick(m_window->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    open();
    QVERIFY(m_window->findChild<QLineEdit*>("Text1")->text().isEmpty());
}

void TestUserNameDialog::applyStoresTheNameAsTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("byEnter");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("dailyFile");
    QTest::newRow("plain") << "Ann" << false << "Ann"
                           << "TamoAnnDaily.txt";
    QTest::newRow("inner space") << "Ann Lee" << false << "Ann Lee"
                                 << "TamoAnnLeeDaily.txt";
    QTest::newRow("outer spaces kept") << " Ann Lee " << true << " Ann Lee "
                                       << "TamoAnnLeeDaily.txt";
    QTest::newRow("empty") << "" << false << "User Name"
                           << "TamoDaily.txt";
    QTest::newRow("only spaces") << "   " << true << "User Name"
                                 << "TamoDaily.txt";
    QTest::newRow("tab stays") << "Ann\tLee" << false << "Ann\tLee"
                               << "TamoAnn\tLeeDaily.txt";
    QTest::newRow("other punctuation") << "Ann: *?" << false << "Ann: *?"
                                       << "TamoAnn:*?Daily.txt";
    // The longest name whose files' names all fit in 255 bytes.
    const QString longest(230, QLatin1Char('a'));
    QTest::newRow("longest, not cut short")
        << longest << false << longest << QStringLiteral("Tamo") + longest + QStringLiteral("Daily.txt");
}

void TestUserNameDialog::applyStoresTheNameAsTyped()
{
    QFETCH(QString, typed);
    QFETCH(bool, byEnter);
    QFETCH(QString, caption);
    QFETCH(QString, dailyFile);
    auto* text1 = m_window->findChild<QLineEdit*>("Text1");
    // keyClicks cannot type a tab into a line edit; the text is set as a paste would.
    text1->setText(typed);
    if (byEnter) {
        QTest::keyClick(text1, Qt::Key_Return);
    } else {
        QTest::mouseClick(m_window->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    }
    QCOMPARE(m_files->userName(), typed);
    QCOMPARE(m_button->text(), caption);
    QCOMPARE(m_files->perUserFile("Daily"), m_folder->path() + "/" + dailyFile);
    QVERIFY(!m_window->isVisible());
    QCOMPARE(m_window->result(), int(QDialog::Accepted));
    QVERIFY(Prompt::shown().isEmpty());
}

void TestUserNameDialog::cancelChangesNothing_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("Cancel button") << 0;
    QTest::newRow("Escape key") << 1;
    QTest::newRow("close box") << 2;
}

void TestUserNameDialog::cancelChangesNothing()
{
    QFETCH(int, how);
    QTest::keyClicks(m_window->findChild<QLineEdit*>("Text1"), "New Name");
    if (how == 0) {
        QTest::mouseClick(m_window->findChild<QPushButton*>("Command2"), Qt::LeftButton);
    } else if (how == 1) {
        QTest::keyClick(m_window->findChild<QLineEdit*>("Text1"), Qt::Key_Escape);
    } else {
        m_window->close();
    }
    QVERIFY(!m_window->isVisible());
    QCOMPARE(m_files->userName(), QString("Old Name"));
    QCOMPARE(m_button->text(), QString("Old Name"));
}

void TestUserNameDialog::refusesNamesThatBreakFileNames_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("slash") << "../Ann";
    QTest::newRow("backslash") << "Ann\\Lee";
    QTest::newRow("NUL") << QString("Ann") + QChar(0) + "Lee";
    QTest::newRow("line feed") << "Ann\nLee";
    QTest::newRow("escape") << "Ann\x1b";
    QTest::newRow("C1 control") << QString("Ann") + QChar(0x85);
    QTest::newRow("delete") << "Ann\x7f";
    QTest::newRow("too long for a file name") << QString(300, QLatin1Char('a'));
    QTest::newRow("a megabyte, not cut short in the box") << QString(1024 * 1024, QLatin1Char('a'));
}

void TestUserNameDialog::refusesNamesThatBreakFileNames()
{
    QFETCH(QString, typed);
    auto* text1 = m_window->findChild<QLineEdit*>("Text1");
    text1->setText(typed);
    QCOMPARE(text1->text(), typed);
    QTest::mouseClick(m_window->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    QCOMPARE(Prompt::shown().size(), 1);
    QCOMPARE(Prompt::shown()[0].title, QString("Error"));
    QVERIFY(Prompt::shown()[0].text.contains("user name"));
    QVERIFY(m_window->isVisible());
    QCOMPARE(m_files->userName(), QString("Old Name"));
    QCOMPARE(m_button->text(), QString("Old Name"));
}

void TestUserNameDialog::worksWithoutAButton()
{
    m_button.reset();
    UserNameDialog window(*m_files);
    window.findChild<QLineEdit*>("Text1")->setText("Bo");
    window.applyName();
    QCOMPARE(m_files->userName(), QString("Bo"));
}

QTEST_MAIN(TestUserNameDialog)
#include "TestUserNameDialog.moc"
