// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QUrl>

#include "app/card_copy.h"
#include "app/organizer.h"
#include "app/program.h"
#include "app/window_commands.h"
#include "formats/vmi_vms.h"
#include "link/system_port.h"
#include "ui/about_dialog.h"
#include "ui/card_list_view.h"
#include "ui/column_sorter.h"
#include "ui/dialog_provider.h"
#include "ui/drag_and_drop.h"
#include "ui/page_spinner.h"
#include "ui/pc_file_list.h"
#include "ui/side_card_pane.h"
#include "ui/text_codec.h"
#include "ui_single_pane.h"
#include "ui_two_pane.h"

// Resources of a static library must be registered by hand, and outside any namespace.
static void initQuorvaneResources() {
    Q_INIT_RESOURCE(quorvane);
}

namespace quorvane::ui {

namespace {

constexpr int PC_SIZE_COLUMN_WIDTH = 72;

// The form names each port button after its address: port268 .. port3BC.
QString portButtonName(std::uint16_t address) {
    return QStringLiteral("port") + QString::number(address, 16).toUpper();
}

QWidget* loadForm(Layout layout, QWidget* parent) {
    auto* form = new QWidget(parent);
    if (layout == Layout::TwoPane) {
        Ui::TwoPaneLayout().setupUi(form);
    } else {
        Ui::SinglePaneLayout().setupUi(form);
    }
    return form;
}

}  // namespace

QString qtNameFilter(const app::FileFilter& filter) {
    QString description = QString::fromLatin1(filter.description.data(),
                                              static_cast<qsizetype>(filter.description.size()));
    // A description that already names its patterns keeps its words, not a second list.
    const qsizetype open = description.lastIndexOf(u'(');
    if (open > 0 && description.trimmed().endsWith(u')')) {
        description = description.left(open).trimmed();
    }
    QString patterns =
        QString::fromLatin1(filter.patterns.data(), static_cast<qsizetype>(filter.patterns.size()));
    patterns.replace(u';', u' ');
    return description + QStringLiteral(" (") + patterns + u')';
}

MainWindow::MainWindow(const MainWindowOptions& options, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      m_layout(options.layout),
      m_ownDialogs(options.dialogs == nullptr ? std::make_unique<QtDialogProvider>() : nullptr),
      m_dialogs(options.dialogs != nullptr ? options.dialogs : m_ownDialogs.get()),
      m_progress(this),
      m_windowProgress(m_progress, *this),
      m_icons(new IconAnimator(this)) {
    initQuorvaneResources();
    QWidget* form = loadForm(m_layout, this);
    setCentralWidget(form);
    m_title = form->windowTitle();
    setWindowTitle(m_title);
    setWindowIcon(QIcon(QStringLiteral(":/quorvane/quorvane.png")));
    findControls(form);
    m_barProgress = BarProgress(m_progressBar);
    setUpCardList();
    setUpAccessibility();
    buildMenu();
    setUpPcPane(options.drives);
    fitAndCentre(form->size());
}

MainWindow::~MainWindow() = default;

void MainWindow::findControls(QWidget* form) {
    m_cardList = form->findChild<QTreeWidget*>(QStringLiteral("cardList"));
    m_pageNumber = form->findChild<PageSpinner*>(QStringLiteral("pageNumber"));
    m_pageCaption = form->findChild<QLabel*>(QStringLiteral("pageCaption"));
    m_selectRefresh = form->findChild<QPushButton*>(QStringLiteral("selectRefreshButton"));
    m_progressBar = form->findChild<QProgressBar*>(QStringLiteral("progressBar"));
    m_statusLine = form->findChild<QLabel*>(QStringLiteral("statusLine"));
    for (std::size_t i = 0; i < m_fileInfo.size(); ++i) {
        m_fileInfo[i] = form->findChild<QLabel*>(QStringLiteral("fileInfo%1").arg(i + 1));
    }
    m_fileIcon = form->findChild<QLabel*>(QStringLiteral("fileIcon"));
    m_fileEyecatch = form->findChild<QLabel*>(QStringLiteral("fileEyecatch"));
    if (m_fileEyecatch != nullptr) {
        m_fileEyecatch->hide();  // takes no room until a file with one is selected
    }
    m_blocksUsed = form->findChild<QLabel*>(QStringLiteral("blocksUsedValue"));
    m_blocksFree = form->findChild<QLabel*>(QStringLiteral("blocksFreeValue"));
    m_addFile = form->findChild<QPushButton*>(QStringLiteral("addFileButton"));
    m_saveFile = form->findChild<QPushButton*>(QStringLiteral("saveFileButton"));
    m_deleteFile = form->findChild<QPushButton*>(QStringLiteral("deleteFileButton"));
    m_deleteAll = form->findChild<QPushButton*>(QStringLiteral("deleteAllButton"));
    m_copyToPc = form->findChild<QPushButton*>(QStringLiteral("copyToPcButton"));
    m_commit = form->findChild<QPushButton*>(QStringLiteral("commitButton"));
    m_driveTreeWidget = form->findChild<QTreeWidget*>(QStringLiteral("driveTree"));
    m_pcFileListWidget = form->findChild<QTreeWidget*>(QStringLiteral("pcFileList"));
    m_pcFrame = form->findChild<QGroupBox*>(QStringLiteral("pcFrame"));
    for (const std::uint16_t address : link::PORT_ADDRESSES) {
        if (auto* button = form->findChild<QRadioButton*>(portButtonName(address))) {
            m_portButtons.push_back({button, address});
        }
    }
    // Labels show card and PC bytes as they are: never as markup.
    for (QLabel* label : form->findChildren<QLabel*>()) {
        label->setTextFormat(Qt::PlainText);
    }
    // A focused button takes Enter, as in a dialog; Enter anywhere else ends the window.
    for (QPushButton* button : form->findChildren<QPushButton*>()) {
        button->setAutoDefault(true);
    }
}

void MainWindow::setUpCardList() {
    if (m_cardList != nullptr) {
        setUpCardListView(*m_cardList, *m_icons);
    }
}

void MainWindow::setUpAccessibility() {
    auto name = [](QWidget* widget, const QString& text) {
        if (widget != nullptr) {
            widget->setAccessibleName(text);
        }
    };
    // Labels keep their text as their accessible name; the description says what they are.
    auto describe = [](QWidget* widget, const QString& text) {
        if (widget != nullptr) {
            widget->setAccessibleDescription(text);
        }
    };
    // Qt 6.4 announces a nested group box with its outermost frame's title: each frame gets
    // its own title as its name.
    for (QGroupBox* frame : findChildren<QGroupBox*>()) {
        frame->setAccessibleName(frame->title());
    }
    name(m_pageNumber, tr("Page number"));
    name(m_cardList, tr("Card files"));
    name(m_progressBar, tr("Progress"));
    name(m_driveTreeWidget, tr("PC drives and directories"));
    name(m_pcFileListWidget, tr("PC files"));
    describe(m_statusLine, tr("Status line"));
    describe(m_pageCaption, tr("Page caption"));
    describe(m_blocksUsed, tr("Blocks Used value"));
    describe(m_blocksFree, tr("Blocks Free value"));
    describe(m_fileInfo[0], tr("File Info 1"));
    describe(m_fileInfo[1], tr("File Info 2"));
    describe(m_fileInfo[2], tr("File Info 3"));
    name(m_fileIcon, tr("File icon"));
    name(m_fileEyecatch, tr("File eyecatch"));
}

void MainWindow::buildMenu() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    m_addFileAction = file->addAction(tr("Add File"));
    m_saveFileAction = file->addAction(tr("Save File"));
    file->addSeparator();
    m_importAction = file->addAction(tr("Import .DCM file"));
    m_exportAction = file->addAction(tr("Export to .DCM file"));
    file->addSeparator();
    m_deleteFileAction = file->addAction(tr("Delete File"));
    m_deleteAllAction = file->addAction(tr("Delete All"));
    file->addSeparator();
    m_exitAction = file->addAction(tr("E&xit"));
    for (QAction* action : {m_addFileAction, m_saveFileAction, m_importAction, m_exportAction,
                            m_deleteFileAction, m_deleteAllAction}) {
        action->setEnabled(false);
    }
    connect(m_exitAction, &QAction::triggered, this, &QWidget::close);

    // Beyond the commands the adapter's users know: a menu of its own, so File stays as it was.
    QMenu* tools = menuBar()->addMenu(tr("&Tools"));
    m_checkPageAction = tools->addAction(tr("Check Page..."));
    m_checkPageAction->setEnabled(false);
    m_saveAllAction = tools->addAction(tr("Save All Files..."));
    m_saveAllAction->setEnabled(false);
    tools->addSeparator();
    m_openImageAction = tools->addAction(tr("Open Card Image..."));
    m_closeImageAction = tools->addAction(tr("Close Card Image"));
    m_closeImageAction->setEnabled(false);
    tools->addSeparator();
    m_restoreAction = tools->addAction(tr("Restore From Backup..."));
    m_restoreAction->setEnabled(false);
    m_openBackupsAction = tools->addAction(tr("Open Backups Folder"));
    connect(m_openBackupsAction, &QAction::triggered, this, &MainWindow::openBackupsFolder);
    // "<--" gains its choice of format here, so its own flow stays as it was.
    if (m_copyToPc != nullptr) {
        tools->addSeparator();
        m_copyAsPairAction = tools->addAction(tr("Copy to PC as .vmi/.vms Pair"));
        m_copyAsPairAction->setCheckable(true);
    }
    tools->addSeparator();
    m_formatPageAction = tools->addAction(tr("Format Page..."));
    m_formatPageAction->setEnabled(false);
    m_newImageAction = tools->addAction(tr("New Card Image..."));

    // One row at a time unless the user asks for more: then Shift and Ctrl select several
    // files for Delete File.
    QMenu* view = menuBar()->addMenu(tr("&View"));
    m_selectSeveralAction = view->addAction(tr("Select Several Files"));
    m_selectSeveralAction->setCheckable(true);
    connect(m_selectSeveralAction, &QAction::toggled, this, [this](bool several) {
        if (m_cardList != nullptr) {
            allowSeveralRows(*m_cardList, several);
        }
        if (m_sidePane != nullptr) {
            m_sidePane->allowSeveralRows(several);
        }
    });
    if (m_pcFrame != nullptr) {
        buildLeftPaneMenu(view);
        // Beside the arrows, which copy: the same between the two cards, removing the files
        // from where they were.
        tools->addSeparator();
        m_moveRightAction = tools->addAction(tr("Move Selected Files -->"));
        m_moveLeftAction = tools->addAction(tr("Move Selected Files <--"));
        m_moveRightAction->setEnabled(false);
        m_moveLeftAction->setEnabled(false);
    }

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    m_aboutAction = help->addAction(tr("About"));
    connect(m_aboutAction, &QAction::triggered, this, &MainWindow::showAbout);
}

void MainWindow::setUpPcPane(const DriveTree::DriveLister& drives) {
    if (m_pcFrame != nullptr) {
        // The second card takes the PC folders' place when the View menu asks for it.
        m_sidePane = new SideCardPane(*this, m_pcFrame->parentWidget());
        auto* panes = centralWidget()->findChild<QHBoxLayout*>(QStringLiteral("panes"));
        panes->insertWidget(panes->indexOf(m_pcFrame) + 1, m_sidePane);
        m_sidePane->hide();
    }
    if (m_driveTreeWidget != nullptr) {
        m_driveTree = new DriveTree(m_driveTreeWidget, drives, this);
    }
    if (m_pcFileListWidget != nullptr) {
        m_pcFileList = std::make_unique<PcFileList>(m_pcFileListWidget);
        // The pane is narrow: names take what the sizes leave, so both stay in view.
        QHeaderView* header = m_pcFileListWidget->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        m_pcFileListWidget->setColumnWidth(1, PC_SIZE_COLUMN_WIDTH);
        ColumnSorter::attach(m_pcFileListWidget);
    }
}

void MainWindow::fitAndCentre(QSize formSize) {
    const int menuHeight = menuBar()->sizeHint().height();
    QSize size(formSize.width(), formSize.height() + menuHeight);
    size = size.expandedTo(minimumSizeHint());
    setFixedSize(size);
    if (QScreen* display = screen()) {
        move(display->availableGeometry().center() - QPoint(size.width() / 2, size.height() / 2));
    }
}

void MainWindow::attach(app::Organizer& organizer, SideCardMakers sideCards) {
    m_organizer = &organizer;
    m_commands = std::make_unique<app::WindowCommands>(organizer, *this);
    m_sideCards = std::move(sideCards);
    if (m_showOtherPageAction != nullptr) {
        m_showOtherPageAction->setEnabled(static_cast<bool>(m_sideCards.otherPage));
        m_showCardImageAction->setEnabled(static_cast<bool>(m_sideCards.image));
    }
    connectCommands();
    setUpDragAndDrop();
    showArrowTips();
    organizer.start();
    if (m_driveTree != nullptr) {
        m_driveTree->refreshDrives(
            [&organizer](std::string_view status) { organizer.setStatus(status); });
    }
}

void MainWindow::connectCommands() {
    app::Organizer& organizer = *m_organizer;
    app::WindowCommands& commands = *m_commands;
    auto onClick = [this](QPushButton* button, auto handler) {
        if (button != nullptr) {
            connect(button, &QPushButton::clicked, this, handler);
        }
    };
    onClick(m_selectRefresh, [&organizer] { organizer.readChosenPage(); });
    onClick(m_addFile, [this, &commands] {
        if (cardOnLeft()) {
            transferFrom(CardSide::Left, slotsSelectedOn(CardSide::Left), app::Transfer::Copy);
        } else {
            commands.addFile();
        }
    });
    onClick(m_saveFile, [&commands] { commands.saveFile(); });
    onClick(m_deleteFile, [&commands] { commands.deleteFile(); });
    onClick(m_deleteAll, [&organizer] { organizer.deleteAll(); });
    onClick(m_copyToPc, [this, &commands] {
        if (cardOnLeft()) {
            transferFrom(CardSide::Right, selectedSlots(), app::Transfer::Copy);
        } else {
            commands.copyFileToPc(m_pcFolder);
        }
    });
    onClick(m_commit, [&organizer] { organizer.commitPage(true); });

    connect(m_addFileAction, &QAction::triggered, this, [&commands] { commands.addFile(); });
    connect(m_saveFileAction, &QAction::triggered, this, [&commands] { commands.saveFile(); });
    connect(m_importAction, &QAction::triggered, this, [&commands] { commands.importPageFile(); });
    connect(m_exportAction, &QAction::triggered, this, [&commands] { commands.exportPageFile(); });
    connect(m_deleteFileAction, &QAction::triggered, this, [&commands] { commands.deleteFile(); });
    connect(m_deleteAllAction, &QAction::triggered, this, [&organizer] { organizer.deleteAll(); });
    connect(m_checkPageAction, &QAction::triggered, this, [&commands] { commands.checkPage(); });
    connect(m_restoreAction, &QAction::triggered, this,
            [&commands] { commands.restoreFromBackup(); });
    connect(m_saveAllAction, &QAction::triggered, this, [&commands] { commands.saveAllFiles(); });
    connect(m_formatPageAction, &QAction::triggered, this, [&commands] { commands.formatPage(); });
    connect(m_newImageAction, &QAction::triggered, this, [&commands] { commands.newCardImage(); });
    // Another page of the card shown on the left belongs to the card that was: it starts again
    // on the card now behind the port.
    auto cardSwitched = [this, &organizer](bool switched) {
        m_closeImageAction->setEnabled(organizer.onCardImage());
        if (switched && m_leftPane == LeftPane::OtherPage) {
            showLeftPane(LeftPane::OtherPage);
        }
    };
    connect(m_openImageAction, &QAction::triggered, this,
            [&commands, cardSwitched] { cardSwitched(commands.openCardImage()); });
    connect(m_closeImageAction, &QAction::triggered, this,
            [&organizer, cardSwitched] { cardSwitched(organizer.closeCardImage()); });
    if (m_moveRightAction != nullptr) {
        connect(m_moveRightAction, &QAction::triggered, this, [this] {
            transferFrom(CardSide::Left, slotsSelectedOn(CardSide::Left), app::Transfer::Move);
        });
        connect(m_moveLeftAction, &QAction::triggered, this,
                [this] { transferFrom(CardSide::Right, selectedSlots(), app::Transfer::Move); });
    }
    m_openImageAction->setEnabled(organizer.canSwitchCards());
    m_closeImageAction->setEnabled(organizer.onCardImage());
    if (m_copyAsPairAction != nullptr) {
        connect(m_copyAsPairAction, &QAction::toggled, this, [&commands](bool pair) {
            commands.setCopyFormat(pair ? app::CopyFormat::VmiVmsPair : app::CopyFormat::Ddc);
        });
    }
    m_openBackupsAction->setEnabled(organizer.backupFolder().has_value());

    if (m_pageNumber != nullptr) {
        followPageSteps(*m_pageNumber, organizer, this);
    }
    for (const PortButton& port : m_portButtons) {
        const std::uint16_t address = port.address;
        connect(port.button, &QRadioButton::toggled, this, [&organizer, address](bool checked) {
            if (checked) {
                organizer.selectPort(address);
            }
        });
    }
    if (m_cardList != nullptr) {
        followCardSelection(*m_cardList, organizer, this);
    }
    if (m_driveTree != nullptr) {
        connect(m_driveTree, &DriveTree::directorySelected, this,
                [this](const QString& path) { pcFolderSelected(textToPath(path)); });
    }
}

void MainWindow::pcFolderSelected(const std::filesystem::path& folder) {
    m_pcFolder = folder;
    if (m_pcFileList != nullptr) {
        m_pcFileList->listPcFiles(pathToText(folder));
    }
}

// In the desktop's file manager; the folder is made first, so there is always one to show.
void MainWindow::openBackupsFolder() {
    if (m_organizer == nullptr || !m_organizer->backupFolder()) {
        return;
    }
    const std::filesystem::path& folder = *m_organizer->backupFolder();
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    m_dialogs->openFolder(pathToText(folder));
}

void MainWindow::showAbout() {
    AboutDialog about(this);
    about.exec();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // The window ends at Esc, and at Enter that no control took, without a question.
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            close();
            return;
        default:
            QMainWindow::keyPressEvent(event);
    }
}

void MainWindow::buildLeftPaneMenu(QMenu* view) {
    view->addSeparator();
    auto* panes = new QActionGroup(this);
    m_showPcFoldersAction = view->addAction(tr("Left Pane: PC Folders"));
    m_showOtherPageAction = view->addAction(tr("Left Pane: Another Page of the Card"));
    m_showCardImageAction = view->addAction(tr("Left Pane: Card Image..."));
    for (QAction* action : {m_showPcFoldersAction, m_showOtherPageAction, m_showCardImageAction}) {
        action->setCheckable(true);
        panes->addAction(action);
    }
    m_showPcFoldersAction->setChecked(true);
    m_showOtherPageAction->setEnabled(false);
    m_showCardImageAction->setEnabled(false);
    auto show = [this](QAction* action, LeftPane pane) {
        connect(action, &QAction::triggered, this, [this, pane] { showLeftPane(pane); });
    };
    show(m_showPcFoldersAction, LeftPane::PcFolders);
    show(m_showOtherPageAction, LeftPane::OtherPage);
    show(m_showCardImageAction, LeftPane::CardImage);
}

bool MainWindow::showLeftPane(LeftPane pane) {
    std::unique_ptr<app::SideCard> card;
    if (pane != LeftPane::PcFolders) {
        card = makeSideCard(pane);
        if (card == nullptr) {
            // The pane stays as it was, and so does its menu entry.
            (m_leftPane == LeftPane::PcFolders   ? m_showPcFoldersAction
             : m_leftPane == LeftPane::OtherPage ? m_showOtherPageAction
                                                 : m_showCardImageAction)
                ->setChecked(true);
            return false;
        }
    }
    if (m_pcFrame->isVisible()) {
        m_sidePane->setFixedWidth(m_pcFrame->width());
    }
    m_leftPane = pane;
    m_sidePane->showCard(std::move(card), pane == LeftPane::CardImage);
    m_pcFrame->setVisible(pane == LeftPane::PcFolders);
    m_sidePane->setVisible(pane != LeftPane::PcFolders);
    m_moveRightAction->setEnabled(cardOnLeft());
    m_moveLeftAction->setEnabled(cardOnLeft());
    showArrowTips();
    return true;
}

std::unique_ptr<app::SideCard> MainWindow::makeSideCard(LeftPane pane) {
    if (pane == LeftPane::OtherPage) {
        return m_sideCards.otherPage(*m_sidePane);
    }
    const auto image = chooseFileToOpen(app::text::IMAGE_FILTERS, {});
    return image ? m_sideCards.image(*image, *m_sidePane) : nullptr;
}

// The arrows keep their texts; what they do in each layout of the left pane is said here.
void MainWindow::showArrowTips() {
    if (m_pcFrame == nullptr) {
        return;
    }
    if (m_addFile != nullptr) {
        m_addFile->setToolTip(cardOnLeft()
                                  ? tr("Copy the files selected on the left card to the right card")
                                  : tr("Add a file from the PC to the card"));
    }
    if (m_copyToPc != nullptr) {
        m_copyToPc->setToolTip(
            cardOnLeft() ? tr("Copy the files selected on the right card to the left card")
                         : tr("Copy the selected files to the PC folder on the left"));
    }
}

void MainWindow::transferFrom(CardSide side, const std::vector<int>& slotNumbers,
                              app::Transfer how) {
    app::Organizer* from = organizerOf(side);
    app::Organizer* to = organizerOf(side == CardSide::Right ? CardSide::Left : CardSide::Right);
    if (from != nullptr && to != nullptr && cardOnLeft()) {
        app::transferSelected(*from, slotNumbers, *to, how, *this);
    }
}

namespace {

const QString RIGHT_LIST = QStringLiteral("right");
const QString LEFT_LIST = QStringLiteral("left");

const QString& listName(MainWindow::CardSide side) {
    return side == MainWindow::CardSide::Right ? RIGHT_LIST : LEFT_LIST;
}

}  // namespace

app::Organizer* MainWindow::organizerOf(CardSide side) const {
    if (side == CardSide::Right) {
        return m_organizer;
    }
    return m_sidePane != nullptr ? m_sidePane->organizer() : nullptr;
}

std::vector<int> MainWindow::slotsSelectedOn(CardSide side) const {
    return side == CardSide::Right ? selectedSlots() : m_sidePane->selectedSlots();
}

// A card list's rows dragged out, PC files dropped on it added to its card, and the other
// list's rows copied (moved with Shift) to it.
void MainWindow::watchCardList(QTreeWidget& list, CardSide side) {
    const CardSide other = side == CardSide::Right ? CardSide::Left : CardSide::Right;
    new RowDragSource(list, [this, side] { return cardRowsMime(side); });
    new DropTarget(list, {listName(side),
                          [this, side](const std::vector<std::filesystem::path>& files) {
                              if (app::Organizer* organizer = organizerOf(side)) {
                                  organizer->addFiles(files);
                              }
                          },
                          [this, other](const CardRowsDrag& rows, QPoint, bool move) {
                              transferFrom(other, rows.slotNumbers,
                                           move ? app::Transfer::Move : app::Transfer::Copy);
                          }});
}

void MainWindow::setUpDragAndDrop() {
    // Each helper is owned by its list, as the list's event filter.
    if (m_cardList != nullptr) {
        watchCardList(*m_cardList, CardSide::Right);
    }
    if (m_sidePane != nullptr) {
        watchCardList(m_sidePane->cardList(), CardSide::Left);
    }
    if (m_pcFileListWidget != nullptr) {
        new RowDragSource(*m_pcFileListWidget, [this] { return pcFilesMime(); });
        new DropTarget(*m_pcFileListWidget,
                       {LEFT_LIST, nullptr, [this](const CardRowsDrag& rows, QPoint, bool) {
                            rowsDroppedOnPcPane(rows, m_pcFolder);
                        }});
    }
    if (m_driveTree != nullptr) {
        QTreeWidget* tree = m_driveTree->widget();
        new DropTarget(
            *tree,
            {LEFT_LIST, nullptr, [this, tree](const CardRowsDrag& rows, QPoint position, bool) {
                 const QTreeWidgetItem* item = tree->itemAt(position);
                 rowsDroppedOnPcPane(
                     rows, item != nullptr ? textToPath(m_driveTree->itemPath(item)) : m_pcFolder);
             }});
    }
}

// As "<--" copies the selected rows: the drag began on them.
void MainWindow::rowsDroppedOnPcPane(const CardRowsDrag& rows,
                                     const std::filesystem::path& folder) {
    if (rows.list == RIGHT_LIST) {
        m_commands->copyFileToPc(folder);
    }
}

QMimeData* MainWindow::cardRowsMime(CardSide side) {
    app::Organizer* organizer = organizerOf(side);
    const std::vector<int> slotNumbers = slotsSelectedOn(side);
    const std::vector<app::FileOnPage> files = organizer != nullptr
                                                   ? organizer->filesInSlots(slotNumbers)
                                                   : std::vector<app::FileOnPage>{};
    if (files.empty()) {
        return nullptr;
    }
    m_dragFolder = std::make_unique<QTemporaryDir>();
    QList<QUrl> written;
    if (m_dragFolder->isValid()) {
        const bool pairs = m_copyAsPairAction != nullptr && m_copyAsPairAction->isChecked();
        const std::filesystem::path folder = textToPath(m_dragFolder->path());
        for (const app::text::SavedFile& saved : organizer->writeFilesToPc(
                 files, folder, pairs ? app::CopyFormat::VmiVmsPair : app::CopyFormat::Ddc)) {
            if (saved.skipped) {
                continue;
            }
            std::filesystem::path file = folder / saved.fileName;
            written.append(QUrl::fromLocalFile(pathToText(file)));
            if (pairs) {
                written.append(QUrl::fromLocalFile(
                    pathToText(file.replace_extension(formats::VMI_EXTENSION))));
            }
        }
    }
    return cardRowsMimeData({listName(side), slotNumbers}, written);
}

QMimeData* MainWindow::pcFilesMime() const {
    QList<QUrl> files;
    for (const QTreeWidgetItem* item : m_pcFileListWidget->selectedItems()) {
        files.append(QUrl::fromLocalFile(pathToText(m_pcFolder / textToPath(item->text(0)))));
    }
    if (files.isEmpty()) {
        return nullptr;
    }
    auto* mime = new QMimeData;
    mime->setUrls(files);
    return mime;
}

// --- app::WindowScreen ---

void MainWindow::showTexts(const app::BoundTexts& texts) {
    auto show = [](QLabel* label, const QString& text) {
        if (label != nullptr) {
            label->setText(text);
        }
    };
    show(m_statusLine, messageToText(texts.status));
    show(m_fileInfo[0], infoLineToText(texts.info1));
    show(m_fileInfo[1], infoLineToText(texts.info2));
    show(m_fileInfo[2], infoLineToText(texts.info3));
    if (texts.icon != m_shownIcon) {
        showFileIcon(texts.icon);
    }
    if (texts.eyecatch != m_shownEyecatch) {
        showEyecatch(texts.eyecatch);
    }
    showPage(texts.page);
    // A page read takes no events while it runs: paint its progress now.
    if (m_statusLine != nullptr) {
        m_statusLine->repaint();
    }
}

void MainWindow::showFileIcon(const std::shared_ptr<const card::SaveIcon>& icon) {
    m_shownIcon = icon;
    m_icons->setLabelIcon(
        m_fileIcon, icon != nullptr ? iconPictures(*icon, card::ICON_SIDE * 2) : IconPictures{});
}

void MainWindow::showEyecatch(const std::shared_ptr<const card::Eyecatch>& eyecatch) {
    m_shownEyecatch = eyecatch;
    if (m_fileEyecatch == nullptr) {
        return;
    }
    if (eyecatch == nullptr) {
        m_fileEyecatch->clear();
        m_fileEyecatch->hide();
        return;
    }
    const QImage image(eyecatch->data(), card::EYECATCH_WIDTH, card::EYECATCH_HEIGHT,
                       card::EYECATCH_WIDTH * 4, QImage::Format_RGBA8888);
    m_fileEyecatch->setPixmap(QPixmap::fromImage(image));
    m_fileEyecatch->show();
}

void MainWindow::showListing(const app::Listing& listing) {
    auto show = [](QLabel* label, const QString& text) {
        if (label != nullptr) {
            label->setText(text);
        }
    };
    show(m_blocksUsed, listing.counts ? QString::number(listing.counts->used) : QString());
    show(m_blocksFree, listing.counts ? QString::number(listing.counts->free) : QString());
    if (m_cardList != nullptr) {
        showCardRows(*m_cardList, *m_icons, listing.rows);
    }
}

void MainWindow::showPage(const app::PageShown& page) {
    if (m_pageNumber != nullptr) {
        m_pageNumber->setNumberText(QString::number(page.chosenPage));
    }
    if (m_pageCaption != nullptr) {
        m_pageCaption->setText(messageToText(page.listedPage > 0
                                                 ? app::text::currentPage(page.listedPage)
                                                 : std::string(app::text::CURRENT_PAGE_NONE)));
    }
    setWindowTitle(page.cardName.empty()
                       ? m_title
                       : m_title + QStringLiteral(" - ") + messageToText(page.cardName));
    // Once a page is in memory the edit commands stay enabled, whichever card follows.
    if (page.listedPage > 0) {
        enableEditCommands();
    }
}

app::BoxAnswer MainWindow::ask(const app::MessageBox& box) {
    return m_dialogs->messageBox(this, {messageToText(box.text), messageToText(box.caption),
                                        box.buttons, box.icon, messageToText(box.details)});
}

app::Progress& MainWindow::progress(app::ProgressKind kind) {
    if (kind == app::ProgressKind::Window) {
        return m_windowProgress;
    }
    return m_barProgress;
}

namespace {

QStringList qtNameFilters(std::span<const app::FileFilter> filters) {
    QStringList names;
    for (const app::FileFilter& filter : filters) {
        names.append(qtNameFilter(filter));
    }
    return names;
}

}  // namespace

std::optional<std::filesystem::path> MainWindow::acceptChosenFile(
    const std::optional<QString>& chosen) {
    if (!chosen.has_value() || chosen->isEmpty()) {
        return std::nullopt;
    }
    const QFileInfo file(*chosen);
    QDir::setCurrent(file.absolutePath());
    return textToPath(file.absoluteFilePath());
}

std::optional<std::filesystem::path> MainWindow::chooseFileToOpen(
    std::span<const app::FileFilter> filters, const std::filesystem::path& startFolder) {
    return acceptChosenFile(m_dialogs->openFile(
        this, qtNameFilters(filters), startFolder.empty() ? QString() : pathToText(startFolder)));
}

std::optional<std::filesystem::path> MainWindow::chooseFileToSave(
    std::span<const app::FileFilter> filters, std::string_view defaultSuffix) {
    return acceptChosenFile(
        m_dialogs->saveFile(this, qtNameFilters(filters), nameToText(defaultSuffix)));
}

void MainWindow::enableEditCommands() {
    for (QPushButton* button : {m_addFile, m_saveFile, m_deleteFile, m_deleteAll}) {
        if (button != nullptr) {
            button->setEnabled(true);
        }
    }
    for (QAction* action : {m_addFileAction, m_saveFileAction, m_importAction, m_exportAction,
                            m_deleteFileAction, m_deleteAllAction, m_checkPageAction,
                            m_saveAllAction, m_restoreAction, m_formatPageAction}) {
        action->setEnabled(true);
    }
}

std::vector<int> MainWindow::selectedSlots() const {
    return m_cardList != nullptr ? selectedCardSlots(*m_cardList) : std::vector<int>{};
}

void MainWindow::showPcFolder(const std::filesystem::path& folder) {
    if (m_driveTree != nullptr) {
        m_driveTree->selectPath(pathToText(folder));
    }
    if (m_pcFileList != nullptr) {
        m_pcFileList->listPcFiles(pathToText(folder));
    }
}

app::PageCheckAnswer MainWindow::showPageCheck(std::string_view report, bool canFreeLostBlocks) {
    return m_dialogs->pageCheck(this, messageToText(report), canFreeLostBlocks);
}

std::optional<app::SaveAllChoice> MainWindow::chooseSaveAll(
    std::span<const app::FileFilter> formats) {
    const auto chosen = m_dialogs->chooseFolderAndFormat(this, qtNameFilters(formats));
    if (!chosen || chosen->first.isEmpty() || chosen->second < 0) {
        return std::nullopt;
    }
    return app::SaveAllChoice{textToPath(chosen->first), static_cast<std::size_t>(chosen->second)};
}

}  // namespace quorvane::ui
