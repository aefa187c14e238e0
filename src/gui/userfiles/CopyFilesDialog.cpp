#include "gui/userfiles/CopyFilesDialog.h"

#include "core/files/UserFiles.h"
#include "core/files/UserFilesCopy.h"
#include "gui/common/Prompt.h"

#include "gui/common/WindowSizes.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

CopyFilesDialog::CopyFilesDialog(const UserFiles& files, QWidget* parent)
    : QDialog(parent)
    , m_files(files)
    , m_drive(new QComboBox(this))
    , m_dir(new QTreeView(this))
    , m_model(new QFileSystemModel(this))
    , m_folderLabel(new QLabel(this))
{
    setObjectName(QStringLiteral("ChangeFolder"));
    setWindowTitle(tr("Change Folder Setting"));

    m_drive->setObjectName(QStringLiteral("Drive1"));
    // Hidden folders are shown too: the default Platewell folder lies under ~/.local.
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
    m_model->setReadOnly(true);
    m_dir->setObjectName(QStringLiteral("Dir1"));
    m_dir->setAccessibleName(tr("Folders"));
    m_dir->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column) {
        m_dir->hideColumn(column);
    }
    m_dir->setHeaderHidden(true);
    m_dir->setUniformRowHeights(true);
    // A double-click opens the folder (it becomes the destination and unfolds); letting the tree
    // also toggle it would fold it shut again at once.
    m_dir->setExpandsOnDoubleClick(false);
    m_dir->installEventFilter(this);
    connect(m_dir, &QTreeView::doubleClicked, this, &CopyFilesDialog::openFolder);
    // The folder model fills in the background, and rows arriving above the current folder push
    // it out of view; follow it until the user starts moving around the tree.
    connect(m_model, &QFileSystemModel::rowsInserted, this, &CopyFilesDialog::keepFolderInView);
    connect(m_model, &QFileSystemModel::layoutChanged, this, &CopyFilesDialog::keepFolderInView);
    m_dir->viewport()->installEventFilter(this);

    m_folderLabel->setObjectName(QStringLiteral("CurrentFolder"));
    m_folderLabel->setWordWrap(true);
    m_folderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* copy = new QPushButton(tr("Copy"), this);
    copy->setObjectName(QStringLiteral("Command1"));
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Command2"));
    // Enter opens a folder in the tree; it must never start a copy by way of a default button.
    copy->setAutoDefault(false);
    cancel->setAutoDefault(false);
    connect(copy, &QPushButton::clicked, this, &CopyFilesDialog::copyFiles);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* column = new QVBoxLayout(this);
    column->addWidget(m_drive);
    column->addWidget(m_dir, 1);
    column->addWidget(m_folderLabel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(copy);
    buttons->addWidget(cancel);
    column->addLayout(buttons);
    resize(WindowSizes::CopyFilesDialog);

    fillVolumes();
    connect(m_drive, &QComboBox::currentIndexChanged, this, &CopyFilesDialog::showVolume);
    startUp();
}

QString CopyFilesDialog::nearestExistingFolder(const QString& path)
{
    QString folder = QDir::cleanPath(QDir(path.isEmpty() ? QDir::rootPath() : path).absolutePath());
    while (!QFileInfo(folder).isDir()) {
        const QString parent = QFileInfo(folder).path();
        if (parent == folder) {
            return QDir::rootPath();
        }
        folder = parent;
    }
    return folder;
}

QString CopyFilesDialog::volumeRoot(const QString& path)
{
    const QStorageInfo volume(nearestExistingFolder(path));
    return volume.isValid() ? volume.rootPath() : QDir::rootPath();
}

void CopyFilesDialog::fillVolumes()
{
    QStringList roots;
    const auto volumes = QStorageInfo::mountedVolumes();
    for (const QStorageInfo& volume : volumes) {
        // Bind-mounted single files are volumes too, but nothing can be copied into them.
        if (volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir()) {
            roots.append(volume.rootPath());
        }
    }
    const QString dataRoot = volumeRoot(m_files.dataFolder());
    if (!roots.contains(dataRoot)) {
        roots.append(dataRoot);
    }
    roots.removeDuplicates();
    roots.sort();
    m_drive->addItems(roots);
}

void CopyFilesDialog::startUp()
{
    // The volume list shows the data folder's volume without acting as a pick.
    {
        const QSignalBlocker blocker(m_drive);
        m_drive->setCurrentIndex(m_drive->findText(volumeRoot(m_files.dataFolder())));
    }
    setFolder(m_files.dataFolder());
}

void CopyFilesDialog::setFolder(const QString& path)
{
    const QString folder = nearestExistingFolder(path);
    const QString root = volumeRoot(folder);
    if (root != m_shownRoot) {
        m_shownRoot = root;
        m_model->setRootPath(root);
        m_dir->setRootIndex(m_model->index(root));
    }
    m_folder = folder;
    const QModelIndex index = m_model->index(folder);
    if (index.isValid() && index != m_dir->rootIndex()) {
        m_dir->setCurrentIndex(index);
        m_dir->expand(index);
        m_dir->scrollTo(index);
    }
    m_folderLabel->setText(tr("Copy into: %1").arg(QDir::toNativeSeparators(m_folder)));
    m_followFolder = true;
}

void CopyFilesDialog::keepFolderInView()
{
    if (m_followFolder) {
        QTimer::singleShot(0, this, [this] {
            if (m_followFolder) {
                m_dir->scrollTo(m_model->index(m_folder));
            }
        });
    }
}

void CopyFilesDialog::showVolume(int index)
{
    const QString root = m_drive->itemText(index);
    if (root.isEmpty()) {
        return;
    }
    // The data folder's own volume brings the user back to the data folder.
    if (root == volumeRoot(m_files.dataFolder())) {
        setFolder(m_files.dataFolder());
    } else {
        setFolder(root);
    }
}

void CopyFilesDialog::openFolder(const QModelIndex& index)
{
    if (!index.isValid()) {
        return;
    }
    setFolder(m_model->filePath(index));
}

bool CopyFilesDialog::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == m_dir || watched == m_dir->viewport())
        && (event->type() == QEvent::KeyPress || event->type() == QEvent::MouseButtonPress
            || event->type() == QEvent::Wheel)) {
        m_followFolder = false;
    }
    if (watched == m_dir && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            openFolder(m_dir->currentIndex());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CopyFilesDialog::copyFiles()
{
    const UserFilesCopy::Result result = UserFilesCopy::copy(m_files, m_folder);
    if (!result.succeeded()) {
        // The window stays open so that the user can pick another folder.
        Prompt::error(this, UserFilesCopy::failureMessage(result, m_folder));
        return;
    }
    accept();
}
