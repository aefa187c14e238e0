#include "TestSupport.h"
#include "core/FoodDatabase.h"
#include "gui/common/Prompt.h"
#include "gui/fooddb/ImportFoodsDialog.h"
#include "gui/planner/FoodListModel.h"
#include "gui/planner/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

// The Import Foods and Export Foods commands of the main window, driven through the real windows
// over a real food table: the columns a CSV file's header places, the user's own choice of them,
// Cancel while the import runs, sources that cannot be imported, and the food list afterwards.
class TestImportFoodsDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void importsThroughTheWindow_data();
    void importsThroughTheWindow();
    void cancelLeavesTheTableAsItWas();
    void exportWritesTheTable();

private:
    QString writeFile(const QString& name, const QByteArray& bytes) const;
    QByteArray tableBytes() const;

    std::unique_ptr<TestFolder> m_folder;
    SharedState m_state;
    std::unique_ptr<MainWindow> m_window;
};

void TestImportFoodsDialog::init()
{
    Prompt::setAnswering(true);
    Prompt::clearShown();
    m_folder = std::make_unique<TestFolder>();
    m_folder->createFoods({ foodRow("Apple", "1 medium", { "95" }) });
    m_state = m_folder->state();
    m_window = std::make_unique<MainWindow>(m_state);
    m_window->show();
}

void TestImportFoodsDialog::cleanup()
{
    m_window.reset();
    m_folder.reset();
    Prompt::setAnswering(false);
}

QString TestImportFoodsDialog::writeFile(const QString& name, const QByteArray& bytes) const
{
    const QString path = m_folder->path() + u'/' + name;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
    return path;
}

QByteArray TestImportFoodsDialog::tableBytes() const
{
    QFile file(m_folder->databasePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestImportFoodsDialog::importsThroughTheWindow_data()
{
    QTest::addColumn<QByteArray>("content");
    // The field chosen for each column ("" keeps what the header placed); an empty list: the
    // source cannot be imported at all.
    QTest::addColumn<QStringList>("choices");
    QTest::addColumn<QStringList>("foodsAfter");
    QTest::addColumn<QString>("message");
    QTest::newRow("header placed") << QByteArray("Name,kcal,Carbs,Notes\nBagel,250,48,fresh\nApple,1,1,x\n")
                                   << QStringList { "", "", "", "" } << QStringList { "Apple", "Bagel" }
                                   << "Foods added: 1";
    QTest::newRow("user places a column")
        << QByteArray("Item;Energie\nBrezel;300\n") << QStringList { "Food", "Calories" }
        << QStringList { "Apple", "Brezel" } << "Foods added: 1";
    QTest::newRow("name left out") << QByteArray("Name,kcal\nBagel,250\n") << QStringList { "(not imported)", "" }
                                   << QStringList { "Apple" } << "Food";
    QTest::newRow("another kind of file")
        << QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 11) << QStringList {} << QStringList { "Apple" } << "";
}

void TestImportFoodsDialog::importsThroughTheWindow()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, choices);
    QFETCH(QStringList, foodsAfter);
    QFETCH(QString, message);
    const QString source = writeFile("foods.csv", content);
    const QByteArray before = tableBytes();
    bool startable = false;
    whenModal([&](QWidget* window) {
        auto* dialog = qobject_cast<ImportFoodsDialog*>(window);
        QVERIFY(dialog);
        dialog->setSource(source);
        auto* start = dialog->findChild<QPushButton*>("ImportStart");
        startable = start->isEnabled();
        for (int c = 0; c < choices.size(); ++c) {
            if (!choices[c].isEmpty()) {
                auto* field = dialog->findChild<QComboBox*>(QStringLiteral("ImportField%1").arg(c + 1));
                QVERIFY(field);
                field->setCurrentIndex(field->findText(choices[c]));
            }
        }
        if (startable) {
            start->click();
        }
        if (dialog->isVisible()) {
            dialog->reject();
        }
    });
    m_window->findChild<QAction*>("mnuItemImportFoods")->trigger();
    QCOMPARE(startable, !choices.isEmpty());
    QStringList shown;
    for (int r = 0; r < m_window->foodListModel()->rowCount(); ++r) {
        shown.append(m_window->foodListModel()->index(r, 0).data().toString());
    }
    QCOMPARE(shown, foodsAfter);
    if (message.isEmpty()) {
        QVERIFY(Prompt::shown().isEmpty());
    } else {
        QVERIFY2(Prompt::shown().last().text.contains(message), qPrintable(Prompt::shown().last().text));
    }
    if (foodsAfter.size() == 1) {
        QCOMPARE(tableBytes(), before);
    }
}

void TestImportFoodsDialog::cancelLeavesTheTableAsItWas()
{
    QByteArray content("FOOD,CALORIES\n");
    for (int i = 0; i < 300000; ++i) {
        content += "Food number " + QByteArray::number(i) + ",1\n";
    }
    const QString source = writeFile("many.csv", content);
    const QByteArray before = tableBytes();
    whenModal([&](QWidget* window) {
        auto* dialog = static_cast<ImportFoodsDialog*>(window);
        dialog->setSource(source);
        // Escape in the progress window as soon as the import runs: it asks the import to stop
        // and stays up, with the import window below it taking no clicks, until it has.
        QTimer::singleShot(0, [] {
            for (QWidget* top : QApplication::allWidgets()) {
                if (auto* progress = qobject_cast<QProgressDialog*>(top)) {
                    QCOMPARE(progress->objectName(), QStringLiteral("ImportProgress"));
                    QVERIFY(progress->isVisible());
                    QTest::keyClick(progress, Qt::Key_Escape);
                    QVERIFY(progress->isVisible());
                }
            }
        });
        dialog->findChild<QPushButton*>("ImportStart")->click();
        dialog->reject();
    });
    m_window->findChild<QAction*>("mnuItemImportFoods")->trigger();
    QVERIFY2(Prompt::shown().last().text.contains("cancelled"), qPrintable(Prompt::shown().last().text));
    QCOMPARE(m_window->foodListModel()->rowCount(), 1);
    QCOMPARE(tableBytes(), before);
}

void TestImportFoodsDialog::exportWritesTheTable()
{
    const QString path = m_folder->path() + "/out.csv";
    QVERIFY(m_window->exportFoodsTo(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(),
        QByteArray("FOOD,SERVING_UN,CALORIES,CARBS,FAT,SUGAR,CHOLESTERO,POINTS,FIBER,SUGAR_ALC\n"
                   "Apple,1 medium,95,,,,,,,\n"));
    QVERIFY(Prompt::shown().last().text.contains("1 food"));
    // An unwritable place gives a message and no file.
    QVERIFY(!m_window->exportFoodsTo(m_folder->path() + "/missing/out.csv"));
    QCOMPARE(Prompt::shown().last().title, QStringLiteral("Error"));
}

QTEST_MAIN(TestImportFoodsDialog)
#include "TestImportFoodsDialog.moc"
