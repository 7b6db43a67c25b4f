#include "ui/main_window.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTreeWidget>

#include "app/organizer.h"
#include "link/system_port.h"
#include "ui/about_dialog.h"
#include "ui/card_name_delegate.h"
#include "ui/column_sorter.h"
#include "ui/dialog_provider.h"
#include "ui/page_spinner.h"
#include "ui/pc_file_list.h"
#include "ui/text_codec.h"
#include "ui_single_pane.h"
#include "ui_two_pane.h"

// Resources of a static library must be registered by hand, and outside any namespace.
static void initQuorvaneResources() {
    Q_INIT_RESOURCE(quorvane);
}

namespace quorvane::ui {

namespace {

constexpr int NAME_COLUMN_WIDTH = 118;
constexpr int SIZE_COLUMN_WIDTH = 100;
constexpr int PC_SIZE_COLUMN_WIDTH = 72;
constexpr int LIST_ICON_SIDE = CardNameDelegate::ICON_SIDE;

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
      m_icons(new IconAnimator(this)) {
    initQuorvaneResources();
    QWidget* form = loadForm(m_layout, this);
    setCentralWidget(form);
    m_title = form->windowTitle();
    setWindowTitle(m_title);
    setWindowIcon(QIcon(QStringLiteral(":/quorvane/quorvane.png")));
    findControls(form);
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
    if (m_cardList == nullptr) {
        return;
    }
    m_cardList->setColumnCount(2);
    m_cardList->setHeaderLabels({QStringLiteral("FileName"), QStringLiteral("Size(in Blocks)")});
    m_cardList->headerItem()->setTextAlignment(0, Qt::AlignLeft | Qt::AlignVCenter);
    m_cardList->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    m_cardList->header()->setStretchLastSection(false);
    m_cardList->setColumnWidth(0, NAME_COLUMN_WIDTH);
    m_cardList->setColumnWidth(1, SIZE_COLUMN_WIDTH);
    m_cardList->setRootIsDecorated(false);
    m_cardList->setItemsExpandable(false);
    m_cardList->setUniformRowHeights(true);
    m_cardList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_cardList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_cardList->setIconSize(QSize(LIST_ICON_SIDE, LIST_ICON_SIDE));
    m_cardList->setItemDelegateForColumn(0, new CardNameDelegate(m_cardList));
    ColumnSorter::attach(m_cardList);
    m_icons->setList(m_cardList);
    // Sorting moves rows: some may come into view.
    connect(m_cardList->header(), &QHeaderView::sectionClicked, m_icons, &IconAnimator::update);
}

void MainWindow::setUpAccessibility() {
    auto name = [](QWidget* widget, const char* text) {
        if (widget != nullptr) {
            widget->setAccessibleName(QString::fromLatin1(text));
        }
    };
    // Labels keep their text as their accessible name; the description says what they are.
    auto describe = [](QWidget* widget, const char* text) {
        if (widget != nullptr) {
            widget->setAccessibleDescription(QString::fromLatin1(text));
        }
    };
    // Qt 6.4 announces a nested group box with its outermost frame's title: each frame gets
    // its own title as its name.
    for (QGroupBox* frame : findChildren<QGroupBox*>()) {
        frame->setAccessibleName(frame->title());
    }
    name(m_pageNumber, "Page number");
    name(m_cardList, "Card files");
    name(m_progressBar, "Progress");
    name(m_driveTreeWidget, "PC drives and directories");
    name(m_pcFileListWidget, "PC files");
    describe(m_statusLine, "Status line");
    describe(m_pageCaption, "Page caption");
    describe(m_blocksUsed, "Blocks Used value");
    describe(m_blocksFree, "Blocks Free value");
    describe(m_fileInfo[0], "File Info 1");
    describe(m_fileInfo[1], "File Info 2");
    describe(m_fileInfo[2], "File Info 3");
    name(m_fileIcon, "File icon");
}

void MainWindow::buildMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    m_addFileAction = file->addAction(QStringLiteral("Add File"));
    m_saveFileAction = file->addAction(QStringLiteral("Save File"));
    file->addSeparator();
    m_importAction = file->addAction(QStringLiteral("Import .DCM file"));
    m_exportAction = file->addAction(QStringLiteral("Export to .DCM file"));
    file->addSeparator();
    m_deleteFileAction = file->addAction(QStringLiteral("Delete File"));
    m_deleteAllAction = file->addAction(QStringLiteral("Delete All"));
    file->addSeparator();
    m_exitAction = file->addAction(QStringLiteral("E&xit"));
    for (QAction* action : {m_addFileAction, m_saveFileAction, m_importAction, m_exportAction,
                            m_deleteFileAction, m_deleteAllAction}) {
        action->setEnabled(false);
    }
    connect(m_exitAction, &QAction::triggered, this, &QWidget::close);

    // Beyond the commands the adapter's users know: a menu of its own, so File stays as it was.
    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    m_checkPageAction = tools->addAction(QStringLiteral("Check Page..."));
    m_checkPageAction->setEnabled(false);
    m_saveAllAction = tools->addAction(QStringLiteral("Save All Files..."));
    m_saveAllAction->setEnabled(false);
    tools->addSeparator();
    m_openImageAction = tools->addAction(QStringLiteral("Open Card Image..."));
    m_closeImageAction = tools->addAction(QStringLiteral("Close Card Image"));
    m_closeImageAction->setEnabled(false);
    tools->addSeparator();
    m_restoreAction = tools->addAction(QStringLiteral("Restore From Backup..."));
    m_restoreAction->setEnabled(false);
    m_openBackupsAction = tools->addAction(QStringLiteral("Open Backups Folder"));
    connect(m_openBackupsAction, &QAction::triggered, this, &MainWindow::openBackupsFolder);
    // "<--" gains its choice of format here, so its own flow stays as it was.
    if (m_copyToPc != nullptr) {
        tools->addSeparator();
        m_copyAsPairAction = tools->addAction(QStringLiteral("Copy to PC as .vmi/.vms Pair"));
        m_copyAsPairAction->setCheckable(true);
    }

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    m_aboutAction = help->addAction(QStringLiteral("About"));
    connect(m_aboutAction, &QAction::triggered, this, &MainWindow::showAbout);
}

void MainWindow::setUpPcPane(const DriveTree::DriveLister& drives) {
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

void MainWindow::attach(app::Organizer& organizer) {
    m_organizer = &organizer;
    connectCommands();
    organizer.openWindow();
    if (m_driveTree != nullptr) {
        m_driveTree->refreshDrives();
    }
}

void MainWindow::connectCommands() {
    app::Organizer& organizer = *m_organizer;
    auto onClick = [this](QPushButton* button, auto handler) {
        if (button != nullptr) {
            connect(button, &QPushButton::clicked, this, handler);
        }
    };
    onClick(m_selectRefresh, [&organizer] { organizer.selectAndRefresh(); });
    onClick(m_addFile, [&organizer] { organizer.addFile(); });
    onClick(m_saveFile, [&organizer] { organizer.saveFile(); });
    onClick(m_deleteFile, [&organizer] { organizer.deleteFileCommand(); });
    onClick(m_deleteAll, [&organizer] { organizer.deleteAllCommand(); });
    onClick(m_copyToPc, [&organizer] { organizer.copyFileToPc(); });
    onClick(m_commit, [&organizer] { organizer.commitPage(true); });

    connect(m_addFileAction, &QAction::triggered, this, [&organizer] { organizer.addFile(); });
    connect(m_saveFileAction, &QAction::triggered, this, [&organizer] { organizer.saveFile(); });
    connect(m_importAction, &QAction::triggered, this,
            [&organizer] { organizer.importPageFile(); });
    connect(m_exportAction, &QAction::triggered, this,
            [&organizer] { organizer.exportPageFile(); });
    connect(m_deleteFileAction, &QAction::triggered, this,
            [&organizer] { organizer.deleteFileCommand(); });
    connect(m_deleteAllAction, &QAction::triggered, this,
            [&organizer] { organizer.deleteAllCommand(); });
    connect(m_checkPageAction, &QAction::triggered, this,
            [&organizer] { organizer.checkPageCommand(); });
    connect(m_restoreAction, &QAction::triggered, this,
            [&organizer] { organizer.restoreFromBackupCommand(); });
    connect(m_saveAllAction, &QAction::triggered, this,
            [&organizer] { organizer.saveAllFilesCommand(); });
    connect(m_openImageAction, &QAction::triggered, this, [this, &organizer] {
        organizer.openCardImageCommand();
        m_closeImageAction->setEnabled(organizer.onCardImage());
    });
    connect(m_closeImageAction, &QAction::triggered, this, [this, &organizer] {
        organizer.closeCardImageCommand();
        m_closeImageAction->setEnabled(organizer.onCardImage());
    });
    m_openImageAction->setEnabled(organizer.canSwitchCards());
    m_closeImageAction->setEnabled(organizer.onCardImage());
    if (m_copyAsPairAction != nullptr) {
        connect(m_copyAsPairAction, &QAction::toggled, this, [&organizer](bool pair) {
            organizer.setCopyFormat(pair ? app::Organizer::CopyFormat::VmiVmsPair
                                         : app::Organizer::CopyFormat::Ddc);
        });
    }
    m_openBackupsAction->setEnabled(organizer.backupFolder().has_value());

    if (m_pageNumber != nullptr) {
        connect(m_pageNumber, &PageSpinner::stepRequested, this,
                [&organizer](int delta) { organizer.stepPage(delta); });
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
        // Only a row that becomes selected counts; a row losing its selection changes nothing.
        connect(m_cardList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [&organizer](const QItemSelection& selected, const QItemSelection&) {
                    for (const QModelIndex& index : selected.indexes()) {
                        if (index.column() == 0) {
                            organizer.selectFile(textToName(index.data().toString()));
                        }
                    }
                });
    }
    if (m_driveTree != nullptr) {
        connect(m_driveTree, &DriveTree::directorySelected, this,
                [&organizer](const QString& path) { organizer.pcDirectorySelected(textToPath(path)); });
        connect(m_driveTree, &DriveTree::statusText, this,
                [&organizer](const QString& text) { organizer.setStatus(textToName(text)); });
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

// --- app::Screen ---

void MainWindow::showBoundTexts(const app::BoundTexts& texts) {
    auto show = [](QLabel* label, const QString& text) {
        if (label != nullptr) {
            label->setText(text);
        }
    };
    show(m_statusLine, messageToText(texts.status));
    show(m_fileInfo[0], infoLineToText(texts.info1));
    show(m_fileInfo[1], infoLineToText(texts.info2));
    show(m_fileInfo[2], infoLineToText(texts.info3));
    show(m_blocksUsed, nameToText(texts.blocksUsed));
    show(m_blocksFree, nameToText(texts.blocksFree));
    // A page read takes no events while it runs: paint its progress now.
    if (m_statusLine != nullptr) {
        m_statusLine->repaint();
    }
}

app::BoxAnswer MainWindow::messageBox(const app::MessageBox& box) {
    return m_dialogs->messageBox(this, {messageToText(box.text), messageToText(box.caption),
                                        box.buttons, box.icon, messageToText(box.details)});
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

std::optional<std::filesystem::path> MainWindow::openFileDialog(
    std::span<const app::FileFilter> filters, const std::filesystem::path& startFolder) {
    return acceptChosenFile(m_dialogs->openFile(
        this, qtNameFilters(filters), startFolder.empty() ? QString() : pathToText(startFolder)));
}

std::optional<std::filesystem::path> MainWindow::saveFileDialog(
    std::span<const app::FileFilter> filters, std::string_view defaultSuffix) {
    return acceptChosenFile(
        m_dialogs->saveFile(this, qtNameFilters(filters), nameToText(defaultSuffix)));
}

void MainWindow::setProgressRange(int lower, int upper) {
    if (m_progressBar != nullptr) {
        m_progressBar->setRange(lower, upper);
    }
}

void MainWindow::setProgressPos(int position) {
    if (m_progressBar != nullptr) {
        m_progressBar->setValue(position);
        m_progressBar->repaint();
    }
}

bool MainWindow::progressCreate() {
    return m_progress.create();
}
void MainWindow::progressSetRange(int lower, int upper) {
    m_progress.setRange(lower, upper);
}
void MainWindow::progressSetStep(int step) {
    m_progress.setStep(step);
}
void MainWindow::progressStepIt() {
    m_progress.stepIt();
}
void MainWindow::progressSetPos(int position) {
    m_progress.setPos(position);
}
void MainWindow::progressDestroy() {
    m_progress.destroy();
}

void MainWindow::clearCardList() {
    m_icons->clearRows();
    if (m_cardList != nullptr) {
        m_cardList->clear();
    }
}

void MainWindow::appendCardRow(const app::CardRow& row) {
    if (m_cardList == nullptr) {
        return;
    }
    auto* item = new QTreeWidgetItem({nameToText(row.name), QString::number(row.sizeInBlocks)});
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    m_cardList->addTopLevelItem(item);
    if (row.icon != nullptr) {
        m_icons->setRowIcon(item, iconPictures(*row.icon, LIST_ICON_SIDE));
    }
}

void MainWindow::showFileIcon(const card::SaveIcon* icon) {
    m_icons->setLabelIcon(
        m_fileIcon, icon != nullptr ? iconPictures(*icon, card::ICON_SIDE * 2) : IconPictures{});
}

void MainWindow::showPageNumber(int pageNumber) {
    if (m_pageNumber != nullptr) {
        m_pageNumber->setNumberText(QString::number(pageNumber));
    }
}

void MainWindow::showCardName(std::string_view name) {
    setWindowTitle(name.empty() ? m_title : m_title + QStringLiteral(" - ") + messageToText(name));
}

void MainWindow::showPageCaption(std::string_view caption) {
    if (m_pageCaption != nullptr) {
        m_pageCaption->setText(nameToText(caption));
    }
}

void MainWindow::enableEditCommands() {
    for (QPushButton* button : {m_addFile, m_saveFile, m_deleteFile, m_deleteAll}) {
        if (button != nullptr) {
            button->setEnabled(true);
        }
    }
    for (QAction* action :
         {m_addFileAction, m_saveFileAction, m_importAction, m_exportAction, m_deleteFileAction,
          m_deleteAllAction, m_checkPageAction, m_saveAllAction, m_restoreAction}) {
        action->setEnabled(true);
    }
}

void MainWindow::repaintNow() {
    repaint();
}

bool MainWindow::selectPcPath(const std::filesystem::path& path) {
    return m_driveTree != nullptr && m_driveTree->selectPath(pathToText(path));
}

app::PageCheckAnswer MainWindow::showPageCheck(std::string_view report, bool canFreeLostBlocks) {
    return m_dialogs->pageCheck(this, messageToText(report), canFreeLostBlocks);
}

std::optional<app::SaveAllChoice> MainWindow::saveAllDialog(
    std::span<const app::FileFilter> formats) {
    const auto chosen = m_dialogs->chooseFolderAndFormat(this, qtNameFilters(formats));
    if (!chosen || chosen->first.isEmpty() || chosen->second < 0) {
        return std::nullopt;
    }
    return app::SaveAllChoice{textToPath(chosen->first), static_cast<std::size_t>(chosen->second)};
}

void MainWindow::listPcFiles(const std::filesystem::path& directory) {
    if (m_pcFileList != nullptr) {
        m_pcFileList->listPcFiles(pathToText(directory));
    }
}

}  // namespace quorvane::ui
