// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/screen.h"
#include "ui/drive_tree.h"
#include "ui/icon_animator.h"
#include "ui/progress_dialog.h"
#include "ui/window_progress.h"

class QAction;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace quorvane::app {
class Organizer;
class WindowCommands;
}  // namespace quorvane::app

namespace quorvane::ui {

class DialogProvider;
class PageSpinner;
class PcFileList;

enum class Layout { SinglePane, TwoPane };

struct MainWindowOptions {
    Layout layout = Layout::SinglePane;
    // Where message boxes and file dialogs come from; null = real Qt dialogs.
    DialogProvider* dialogs = nullptr;
    // The top-level folders of the PC pane (two-pane layout only).
    DriveTree::DriveLister drives = DriveTree::defaultDrives;
};

// The organiser's one window, in either layout. Both layouts are Designer forms with the same
// object names; a control that the chosen form lacks is simply absent and skipped.
class MainWindow : public QMainWindow, public app::WindowScreen {
    Q_OBJECT
public:
    explicit MainWindow(const MainWindowOptions& options = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Wires the commands to `organizer` and runs the window's opening steps.
    void attach(app::Organizer& organizer);

    Layout layout() const { return m_layout; }
    ProgressDialog& progressDialog() { return m_progress; }
    DriveTree* driveTree() const { return m_driveTree; }
    PcFileList* pcFileList() const { return m_pcFileList.get(); }

    // app::WindowScreen
    void showTexts(const app::BoundTexts& texts) override;
    void showListing(const app::Listing& listing) override;

    app::BoxAnswer ask(const app::MessageBox& box) override;
    app::Progress& progress(app::ProgressKind kind) override;
    std::optional<std::filesystem::path> chooseFileToOpen(
        std::span<const app::FileFilter> filters,
        const std::filesystem::path& startFolder) override;
    std::optional<std::filesystem::path> chooseFileToSave(std::span<const app::FileFilter> filters,
                                                          std::string_view defaultSuffix) override;
    std::optional<app::SaveAllChoice> chooseSaveAll(
        std::span<const app::FileFilter> formats) override;
    app::PageCheckAnswer showPageCheck(std::string_view report, bool canFreeLostBlocks) override;
    void showPcFolder(const std::filesystem::path& folder) override;
    std::vector<int> selectedSlots() const override;

public slots:
    void showAbout();
    void openBackupsFolder();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct PortButton {
        QRadioButton* button;
        std::uint16_t address;
    };

    void findControls(QWidget* form);
    void setUpCardList();
    void setUpAccessibility();
    void buildMenu();
    void setUpPcPane(const DriveTree::DriveLister& drives);
    void connectCommands();
    void enableEditCommands();
    void showPage(const app::PageShown& page);
    void showFileIcon(const std::shared_ptr<const card::SaveIcon>& icon);
    void showEyecatch(const std::shared_ptr<const card::Eyecatch>& eyecatch);
    // The PC pane's folder chosen in the tree: its files listed.
    void pcFolderSelected(const std::filesystem::path& folder);
    void fitAndCentre(QSize formSize);
    std::optional<std::filesystem::path> acceptChosenFile(const std::optional<QString>& chosen);

    Layout m_layout;
    std::unique_ptr<DialogProvider> m_ownDialogs;
    DialogProvider* m_dialogs;
    ProgressDialog m_progress;
    BarProgress m_barProgress{nullptr};
    WindowProgress m_windowProgress;
    IconAnimator* m_icons;
    DriveTree* m_driveTree = nullptr;
    std::unique_ptr<PcFileList> m_pcFileList;
    app::Organizer* m_organizer = nullptr;
    std::unique_ptr<app::WindowCommands> m_commands;
    std::shared_ptr<const card::SaveIcon> m_shownIcon;
    std::shared_ptr<const card::Eyecatch> m_shownEyecatch;
    std::filesystem::path m_pcFolder;  // the PC pane's folder; empty: none chosen yet

    // Controls of the form; null where the layout has none.
    QTreeWidget* m_cardList = nullptr;
    PageSpinner* m_pageNumber = nullptr;
    QLabel* m_pageCaption = nullptr;
    QPushButton* m_selectRefresh = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QLabel* m_statusLine = nullptr;
    std::array<QLabel*, 3> m_fileInfo{};
    QLabel* m_fileIcon = nullptr;
    QLabel* m_fileEyecatch = nullptr;
    QLabel* m_blocksUsed = nullptr;
    QLabel* m_blocksFree = nullptr;
    QPushButton* m_addFile = nullptr;
    QPushButton* m_saveFile = nullptr;
    QPushButton* m_deleteFile = nullptr;
    QPushButton* m_deleteAll = nullptr;
    QPushButton* m_copyToPc = nullptr;
    QPushButton* m_commit = nullptr;
    QTreeWidget* m_driveTreeWidget = nullptr;
    QTreeWidget* m_pcFileListWidget = nullptr;
    std::vector<PortButton> m_portButtons;

    QAction* m_addFileAction = nullptr;
    QAction* m_saveFileAction = nullptr;
    QAction* m_importAction = nullptr;
    QAction* m_exportAction = nullptr;
    QAction* m_deleteFileAction = nullptr;
    QAction* m_deleteAllAction = nullptr;
    QAction* m_exitAction = nullptr;
    QAction* m_checkPageAction = nullptr;
    QAction* m_restoreAction = nullptr;
    QAction* m_saveAllAction = nullptr;
    QAction* m_openImageAction = nullptr;
    QAction* m_closeImageAction = nullptr;
    QAction* m_copyAsPairAction = nullptr;
    QAction* m_selectSeveralAction = nullptr;
    QString m_title;  // the layout's own title, before any card image's name
    QAction* m_openBackupsAction = nullptr;
    QAction* m_formatPageAction = nullptr;
    QAction* m_newImageAction = nullptr;
    QAction* m_aboutAction = nullptr;
};

// "Description (*.a *.b)" for a filter whose patterns are separated by ';'.
QString qtNameFilter(const app::FileFilter& filter);

}  // namespace quorvane::ui
