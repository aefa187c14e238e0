#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QModelIndex;
class QTreeView;
class UserFiles;

// Copies the current user's files into a folder picked with a volume chooser (Drive1) and a folder
// tree (Dir1). The destination is the folder last opened in the tree (double-click or Enter) or
// set by the window, never one that is merely highlighted.
class CopyFilesDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CopyFilesDialog(const UserFiles& files, QWidget* parent = nullptr);

    // The folder the files would be copied into now.
    QString destinationFolder() const { return m_folder; }

    // Makes the folder the current one of the tree: the nearest existing folder when it does not
    // exist, shown on its own volume.
    void setFolder(const QString& path);

    // The path itself when it is an existing folder, else its nearest existing ancestor.
    static QString nearestExistingFolder(const QString& path);
    // The root of the mounted volume that holds the path (or its nearest existing ancestor).
    static QString volumeRoot(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void startUp();
    void showVolume(int index);
    void openFolder(const QModelIndex& index);
    void copyFiles();

private:
    void fillVolumes();
    void keepFolderInView();

    const UserFiles& m_files;
    QString m_folder;
    QString m_shownRoot;
    bool m_followFolder = false;
    QComboBox* m_drive;
    QTreeView* m_dir;
    QFileSystemModel* m_model;
    QLabel* m_folderLabel;
};
