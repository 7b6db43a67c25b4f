// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "app/screen.h"
#include "ui/drive_tree.h"
#include "ui/icon_animator.h"
#include "ui/progress_dialog.h"
#include "ui/window_progress.h"

class QAction;
class QGroupBox;
class QLabel;
class QMimeData;
class QTemporaryDir;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace quorvane::app {
class Organizer;
class SideCard;
class WindowCommands;
enum class Transfer;
}  // namespace quorvane::app

namespace quorvane::ui {

class DialogProvider;
class PageSpinner;
class PcFileList;
class SideCardPane;
struct CardRowsDrag;

enum class Layout { SinglePane, TwoPane };

struct MainWindowOptions {
    Layout layout = Layout::SinglePane;
    // Where message boxes and file dialogs come from; null = real Qt dialogs.
    DialogProvider* dialogs = nullptr;
    // The top-level folders of the PC pane (two-pane layout only).
    DriveTree::DriveLister drives = DriveTree::defaultDrives;
};

// Where the second card of the two-pane layout comes from, made on the pane as its screen:
// another page of the run's card, or a card image (null: it cannot be used, and was told).
struct SideCardMakers {
    std::function<std::unique_ptr<app::SideCard>(app::Screen&)> otherPage;
    std::function<std::unique_ptr<app::SideCard>(const std::filesystem::path&, app::Screen&)> image;
};

// The organiser's one window, in either layout. Both layouts are Designer forms with the same
// object names; a control that the chosen form lacks is simply absent and skipped.
class MainWindow : public QMainWindow, public app::WindowScreen {
    Q_OBJECT
public:
    explicit MainWindow(const MainWindowOptions& options = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Wires the commands to `organizer` and runs the window's opening steps; without makers
    // the left pane always shows the PC folders.
    void attach(app::Organizer& organizer, SideCardMakers sideCards = {});

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

    // The two card lists: the card on the right, the second card on the left.
    enum class CardSide { Left, Right };

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
    // What the left pane of the two-pane layout shows.
    enum class LeftPane { PcFolders, OtherPage, CardImage };

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
    void buildLeftPaneMenu(QMenu* view);
    bool showLeftPane(LeftPane pane);
    std::unique_ptr<app::SideCard> makeSideCard(LeftPane pane);
    bool cardOnLeft() const { return m_leftPane != LeftPane::PcFolders; }
    void showArrowTips();
    // The files selected in one card list (`slots`) copied or moved to the other card.
    void transferFrom(CardSide side, const std::vector<int>& slots, app::Transfer how);
    void setUpDragAndDrop();
    // The organiser of a side's card; null while the left shows none.
    app::Organizer* organizerOf(CardSide side) const;
    std::vector<int> slotsSelectedOn(CardSide side) const;
    void watchCardList(QTreeWidget& list, CardSide side);
    // The selected rows of a card list, with the same files written to a folder of their own
    // for drops outside the program; null when none is selected.
    QMimeData* cardRowsMime(CardSide side);
    // The selected PC files, for a drop on a card list.
    QMimeData* pcFilesMime() const;
    void rowsDroppedOnPcPane(const CardRowsDrag& rows, const std::filesystem::path& folder);
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
    SideCardMakers m_sideCards;
    LeftPane m_leftPane = LeftPane::PcFolders;
    // Files written for the last drag of card rows; kept until the next, for the file
    // manager may copy them after the drop.
    std::unique_ptr<QTemporaryDir> m_dragFolder;
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
    QGroupBox* m_pcFrame = nullptr;
    SideCardPane* m_sidePane = nullptr;
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
    QAction* m_showPcFoldersAction = nullptr;
    QAction* m_showOtherPageAction = nullptr;
    QAction* m_showCardImageAction = nullptr;
    QAction* m_moveRightAction = nullptr;
    QAction* m_moveLeftAction = nullptr;
};

// "Description (*.a *.b)" for a filter whose patterns are separated by ';'.
QString qtNameFilter(const app::FileFilter& filter);

}  // namespace quorvane::ui
