#include "TestSupport.h"

#include "gui/common/Prompt.h"
#include "gui/userfiles/CopyFilesDialog.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QPushButton>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <memory>

class TestCopyFilesDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void opensOnDataFolder();
    void copyAtOnceCopiesIntoDataFolder();
    void copyWithNoFilesClosesSilently();
    void openedFolderIsDestination_data();
    void openedFolderIsDestination();
    void failedCopyKeepsWindowOpen();
    void cancelCopiesNothing();
    void volumeChoice();
    void missingDataFolderShowsNearestFolder();

private:
    void writeUserFile(const QString& suffix, const QByteArray& bytes);
    QModelIndex waitForIndex(QTreeView* tree, const QString& path);

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<UserFiles> m_files;
};

void TestCopyFilesDialog::init()
{
    Prompt::setAnswering(true);
    m_folder = std::make_unique<TestFolder>();
    m_files = m_folder->files();
    m_files->setUserName(QStringLiteral("Ann Lee"));
}

void TestCopyFilesDialog::writeUserFile(const QString& suffix, const QByteArray& bytes)
{
    QFile file(m_files->perUserFile(suffix));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QModelIndex TestCopyFilesDialog::waitForIndex(QTreeView* tree, const QString& path)
{
    auto* model = qobject_cast<QFileSystemModel*>(tree->model());
    const QModelIndex index = model->index(path);
    tree->scrollTo(index);
    // The folder model fills in the background; wait until the row is laid out.
    if (!QTest::qWaitFor([&] { return !tree->visualRect(index).isEmpty(); }, 5000)) {
        return {};
    }
    return index;
}

void TestCopyFilesDialog::opensOnDataFolder()
{
    CopyFilesDialog window(*m_files);
    window.show();
    QCOMPARE(window.windowTitle(), QStringLiteral("Change Folder Setting"));
    QCOMPARE(window.destinationFolder(), m_folder->dataFolder());
    auto* drive = window.findChild<QComboBox*>(QStringLiteral("Drive1"));
    QVERIFY(drive);
    QCOMPARE(drive->currentText(), QStorageInfo(m_folder->dataFolder()).rootPath());
    auto* tree = window.findChild<QTreeView*>(QStringLiteral("Dir1"));
    QVERIFY(tree);
    auto* model = qobject_cast<QFileSystemModel*>(tree->model());
    QCOMPARE(model->filePath(tree->currentIndex()), m_folder->dataFolder());
    QCOMPARE(window.findChild<QPushButton*>(QStringLiteral("Command1"))->text(), QStringLiteral("Copy"));
    QCOMPARE(window.findChild<QPushButton*>(QStringLiteral("Command2"))->text(), QStringLiteral("Cancel"));
}

void TestCopyFilesDialog::copyAtOnceCopiesIntoDataFolder()
{
    writeUserFile(QStringLiteral("Daily"), "daily plan");
    CopyFilesDialog window(*m_files);
    window.show();
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QVERIFY(Prompt::shown().isEmpty());
    QFile copy(m_folder->dataFolder() + QStringLiteral("/AnnLeeDaily.txt"));
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), QByteArray("daily plan"));
    // The program goes on with the same data folder and user.
    QCOMPARE(m_files->dataFolder(), m_folder->dataFolder());
    QCOMPARE(m_files->userName(), QStringLiteral("Ann Lee"));
}

void TestCopyFilesDialog::copyWithNoFilesClosesSilently()
{
    CopyFilesDialog window(*m_files);
    window.show();
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QVERIFY(Prompt::shown().isEmpty());
    QCOMPARE(QDir(m_folder->dataFolder()).entryList(QDir::Files).size(), 0);
}

void TestCopyFilesDialog::openedFolderIsDestination_data()
{
    QTest::addColumn<bool>("byDoubleClick");
    QTest::newRow("opened by double-click") << true;
    QTest::newRow("opened by Enter") << false;
}

void TestCopyFilesDialog::openedFolderIsDestination()
{
    QFETCH(bool, byDoubleClick);
    writeUserFile(QStringLiteral("Weekly"), "weekly plan");
    QTemporaryDir base;
    const QString opened = base.path() + QStringLiteral("/opened");
    const QString highlighted = base.path() + QStringLiteral("/highlighted");
    QVERIFY(QDir().mkpath(opened));
    QVERIFY(QDir().mkpath(highlighted));

    CopyFilesDialog window(*m_files);
    window.show();
    auto* tree = window.findChild<QTreeView*>(QStringLiteral("Dir1"));
    // A first click in the tree stops it from following the data folder while folders load.
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    const QModelIndex openedIndex = waitForIndex(tree, opened);
    QVERIFY(openedIndex.isValid());
    if (byDoubleClick) {
        const QPoint centre = tree->visualRect(openedIndex).center();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, centre);
    } else {
        tree->setCurrentIndex(openedIndex);
        QTest::keyClick(tree, Qt::Key_Return);
    }
    QCOMPARE(window.destinationFolder(), opened);
    QVERIFY(window.isVisible());

    // Highlighting another folder does not make it the destination.
    const QModelIndex highlightedIndex = waitForIndex(tree, highlighted);
    QVERIFY(highlightedIndex.isValid());
    tree->setCurrentIndex(highlightedIndex);
    QCOMPARE(window.destinationFolder(), opened);
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QVERIFY(QFile::exists(opened + QStringLiteral("/AnnLeeWeekly.txt")));
    QVERIFY(QDir(highlighted).isEmpty());
}

void TestCopyFilesDialog::failedCopyKeepsWindowOpen()
{
    writeUserFile(QStringLiteral("Daily"), "new daily");
    writeUserFile(QStringLiteral("Weekly"), "new weekly");
    QTemporaryDir base;
    const QString destination = base.path() + QStringLiteral("/backup");
    QVERIFY(QDir().mkpath(destination + QStringLiteral("/AnnLeeWeekly.txt")));

    CopyFilesDialog window(*m_files);
    window.show();
    window.setFolder(destination);
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    QVERIFY(window.isVisible());
    QCOMPARE(Prompt::shown().size(), 1);
    QCOMPARE(Prompt::shown().first().title, QStringLiteral("Error"));
    QVERIFY(Prompt::shown().first().text.contains(QStringLiteral("AnnLeeWeekly.txt")));
    QVERIFY(!Prompt::shown().first().text.contains(QStringLiteral("AnnLeeDaily.txt")));
    QVERIFY(QFile::exists(destination + QStringLiteral("/AnnLeeDaily.txt")));

    // Another folder can be picked and the copy tried again.
    Prompt::clearShown();
    QTemporaryDir other;
    window.setFolder(other.path());
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QVERIFY(Prompt::shown().isEmpty());
    QVERIFY(QFile::exists(other.path() + QStringLiteral("/AnnLeeWeekly.txt")));
}

void TestCopyFilesDialog::cancelCopiesNothing()
{
    writeUserFile(QStringLiteral("Daily"), "daily plan");
    CopyFilesDialog window(*m_files);
    window.show();
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QCOMPARE(window.result(), int(QDialog::Rejected));
    QVERIFY(!QFile::exists(m_folder->dataFolder() + QStringLiteral("/AnnLeeDaily.txt")));
}

void TestCopyFilesDialog::volumeChoice()
{
    CopyFilesDialog window(*m_files);
    window.show();
    auto* drive = window.findChild<QComboBox*>(QStringLiteral("Drive1"));
    const QString dataRoot = QStorageInfo(m_folder->dataFolder()).rootPath();
    int other = -1;
    for (int i = 0; i < drive->count(); ++i) {
        if (drive->itemText(i) != dataRoot) {
            other = i;
        }
    }
    if (other >= 0) {
        drive->setCurrentIndex(other);
        QCOMPARE(window.destinationFolder(), QDir::cleanPath(drive->itemText(other)));
    } else {
        QTemporaryDir elsewhere;
        window.setFolder(elsewhere.path());
    }
    QVERIFY(window.destinationFolder() != m_folder->dataFolder());
    // Picking the data folder's volume goes back to the data folder, not to the volume's root.
    drive->setCurrentIndex(drive->findText(dataRoot));
    if (other < 0) {
        QSKIP("only one volume is mounted");
    }
    QCOMPARE(window.destinationFolder(), m_folder->dataFolder());
}

void TestCopyFilesDialog::missingDataFolderShowsNearestFolder()
{
    const UserFiles gone({ m_folder->path() + QStringLiteral("/gone/Tamo"), QString(), QString() });
    CopyFilesDialog window(gone);
    window.show();
    QCOMPARE(window.destinationFolder(), m_folder->path());
    QCOMPARE(CopyFilesDialog::nearestExistingFolder(QStringLiteral("/no/such/folder/anywhere")), QDir::rootPath());
}

QTEST_MAIN(TestCopyFilesDialog)
#include "TestCopyFilesDialog.moc"
