#include "ui/MainWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <memory>

#include "manager/DNSServerManager.h"
#include "manager/ZoneRepository.h"
#include "platform/NotificationCenter.h"
#include "ui/AboutWindowController.h"
#include "ui/SidebarView.h"
#include "ui/WindowActions.h"
#include "ui/configuration/DNSConfigView.h"
#include "ui/dashboard/DashboardView.h"
#include "ui/history/HistoryView.h"
#include "ui/icons/SymbolIcons.h"
#include "ui/logs/LogsView.h"
#include "ui/lookup/LookupView.h"
#include "ui/records/DNSRecordView.h"
#include "ui/records/PtrPrompts.h"
#include "ui/replication/SecondariesView.h"
#include "ui/tutorial/TutorialView.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/PaletteFollower.h"
#include "ui/widgets/Typography.h"
#include "ui/zones/RefreshChoicesView.h"
#include "ui/zones/ZoneManagementView.h"

namespace korvi {

MainWindow::MainWindow(DNSServerManager* manager, QWidget* parent)
    : QMainWindow(parent), m_dnsManager(manager) {
    setObjectName(QStringLiteral("contentView"));
    setWindowTitle(QStringLiteral("Korvi"));
    setWindowIcon(applicationIcon());
    buildWindow();
    buildToolbarAndMenu();
    // The PTR questions and failures are the window's, whatever screen shows.
    if (manager)
        new PtrPrompts(manager->ptrSync(), this);
    resize(defaultWidth, defaultHeight);
    showScreen(Section::dashboard);
    PaletteFollower::follow(this, [this] { followPalette(); });
}

void MainWindow::followPalette() {
    // The screens take their colours when they are built, so after the
    // desktop's palette changed the shown screen is built again; not while
    // it has a form or a question open, which would be lost (the next
    // section chosen is built in the new colours anyway).
    if (!m_screen)
        return;
    const QList<QDialog*> dialogs = m_screen->findChildren<QDialog*>();
    for (const QDialog* dialog : dialogs) {
        if (dialog->isVisible())
            return;
    }
    showScreen(m_selectedSection);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_terminationSaved) {
        event->accept();
        return;
    }
    event->ignore();
    if (m_closeStarted)
        return;
    m_closeStarted = true;
    // Collected changes live in memory only: the user decides first.
    if (m_dnsManager->zoneRepository()->stagedChangeCount() > 0) {
        askAboutStagedChangesBeforeQuit();
        return;
    }
    continueClosing();
}

void MainWindow::continueClosing() {
    if (!m_dnsManager->isRunning()) {
        postTermination();
        return;
    }
    // Korvi's own sandbox server does not outlive Korvi.
    if (m_dnsManager->isSandbox()) {
        stopServerThenQuit();
        return;
    }
    const std::optional<QByteArray> remembered =
        m_dnsManager->preferences().data(stopServerOnQuitKey());
    if (remembered == QByteArrayLiteral("stop"))
        stopServerThenQuit();
    else if (remembered == QByteArrayLiteral("keep"))
        postTermination();
    else
        askAboutServerBeforeQuit();
}

void MainWindow::askAboutStagedChangesBeforeQuit() {
    ZoneRepository* repository = m_dnsManager->zoneRepository();
    const int count = repository->stagedChangeCount();
    // Window-modal and opened, never exec(): the answer arrives as a signal.
    auto* box = new QMessageBox(
        QMessageBox::Question, QStringLiteral("Korvi"),
        count == 1 ? tr("Apply the collected change before quitting?")
                   : tr("Apply the %n collected changes before quitting?", nullptr, count),
        QMessageBox::NoButton, this);
    box->setObjectName(QStringLiteral("stagedChangesOnQuitBox"));
    box->setInformativeText(tr("Changes that are not applied are lost when Korvi "
                               "closes."));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    QPushButton* apply = box->addButton(tr("Apply"), QMessageBox::AcceptRole);
    apply->setObjectName(QStringLiteral("applyOnQuitButton"));
    QPushButton* discard = box->addButton(tr("Discard"), QMessageBox::DestructiveRole);
    discard->setObjectName(QStringLiteral("discardOnQuitButton"));
    QPushButton* cancel = box->addButton(QMessageBox::Cancel);
    cancel->setObjectName(QStringLiteral("cancelStagedQuitButton"));
    box->setDefaultButton(apply);
    box->setEscapeButton(cancel);
    connect(
        box, &QMessageBox::buttonClicked, this,
        [this, apply, discard, repository](QAbstractButton* clicked) {
            if (clicked == discard) {
                repository->discardStaged();
                continueClosing();
                return;
            }
            if (clicked != apply) {
                m_closeStarted = false; // quitting was cancelled
                return;
            }
            // Quitting goes on once the changes are served; a failure
            // keeps Korvi open with the changes still collected.
            const ChangeId id = repository->applyStaged();
            auto connection = std::make_shared<QMetaObject::Connection>();
            *connection = connect(
                repository, &ZoneRepository::changeFinished, this,
                [this, id, connection](ChangeId finished, bool applied, const QString& message) {
                    if (finished != id)
                        return;
                    disconnect(*connection);
                    if (applied) {
                        continueClosing();
                        return;
                    }
                    m_closeStarted = false;
                    auto* failure = new QMessageBox(QMessageBox::Warning, QStringLiteral("Korvi"),
                                                    tr("The collected changes were not applied"),
                                                    QMessageBox::Ok, this);
                    failure->setObjectName(QStringLiteral("applyOnQuitFailedBox"));
                    failure->setInformativeText(message);
                    failure->setAttribute(Qt::WA_DeleteOnClose);
                    failure->open();
                });
        });
    box->open();
}

void MainWindow::askAboutServerBeforeQuit() {
    // Window-modal and opened, never exec(): the answer arrives as a signal.
    auto* box = new QMessageBox(QMessageBox::Question, QStringLiteral("Korvi"),
                                tr("Stop the DNS server too?"), QMessageBox::NoButton, this);
    box->setObjectName(QStringLiteral("stopServerOnQuitBox"));
    box->setInformativeText(tr("The DNS server can keep answering queries after "
                               "Korvi has closed."));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    QPushButton* stop = box->addButton(tr("Stop Server"), QMessageBox::AcceptRole);
    stop->setObjectName(QStringLiteral("stopServerOnQuitButton"));
    QPushButton* keep = box->addButton(tr("Keep Running"), QMessageBox::RejectRole);
    keep->setObjectName(QStringLiteral("keepServerOnQuitButton"));
    QPushButton* cancel = box->addButton(QMessageBox::Cancel);
    cancel->setObjectName(QStringLiteral("cancelQuitButton"));
    box->setDefaultButton(keep);
    box->setEscapeButton(cancel);
    auto* remember = new QCheckBox(tr("Remember my answer"), box);
    remember->setObjectName(QStringLiteral("rememberStopAnswer"));
    box->setCheckBox(remember);
    connect(box, &QMessageBox::buttonClicked, this,
            [this, stop, keep, remember](QAbstractButton* clicked) {
                if (clicked != stop && clicked != keep) {
                    m_closeStarted = false; // quitting was cancelled
                    return;
                }
                const bool stopping = clicked == stop;
                if (remember->isChecked()) {
                    m_dnsManager->preferences().setData(stopServerOnQuitKey(),
                                                        stopping ? QByteArrayLiteral("stop")
                                                                 : QByteArrayLiteral("keep"));
                    m_dnsManager->preferences().synchronize();
                }
                if (stopping)
                    stopServerThenQuit();
                else
                    postTermination();
            });
    box->open();
}

void MainWindow::stopServerThenQuit() {
    // The window closes once the server has stopped (or the stop failed, as
    // the log says), or after the limit at the latest.
    auto proceeded = std::make_shared<bool>(false);
    const auto proceed = [this, proceeded] {
        if (*proceeded)
            return;
        *proceeded = true;
        postTermination();
    };
    connect(m_dnsManager, &DNSServerManager::serverStatusChanged, this,
            [proceed](ServerStatus status) {
                if (status != ServerStatus::running)
                    proceed();
            });
    QTimer::singleShot(quitStopLimitMs, this, proceed);
    m_dnsManager->stopServer();
}

void MainWindow::postTermination() {
    if (m_terminationPosted)
        return;
    m_terminationPosted = true;
    const auto closeNow = [this] {
        m_terminationSaved = true;
        close();
    };
    NotificationCenter::instance().post(appWillTerminateNotification);
    // The save's end is always posted, so its id is known before it comes.
    const SaveId own = m_dnsManager->terminationSaveId();
    connect(m_dnsManager, &DNSServerManager::configurationSaveFinished, this,
            [own, closeNow](SaveId id, bool) {
                if (id == own)
                    closeNow();
            });
    QTimer::singleShot(terminationSaveLimitMs, this, closeNow);
}

MainWindow::~MainWindow() {
    // The screens observe the manager: they go first.
    delete takeCentralWidget();
}

void MainWindow::buildWindow() {
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("navigationSplit"));
    splitter->setChildrenCollapsible(false);

    m_sidebar = new SidebarView(m_dnsManager, splitter);
    m_sidebar->setMinimumWidth(sidebarMinimumWidth);
    m_sidebar->setMaximumWidth(sidebarMaximumWidth);
    connect(m_sidebar, &SidebarView::selectedSectionChanged, this, &MainWindow::showScreen);

    // The right column: the cards of zones whose file differs from the store
    // after a refresh, above every screen; then the screen's own area.
    auto* rightColumn = new QWidget(splitter);
    rightColumn->setObjectName(QStringLiteral("rightColumn"));
    auto* columnLayout = new QVBoxLayout(rightColumn);
    columnLayout->setContentsMargins(0, 0, 0, 0);
    columnLayout->setSpacing(0);
    columnLayout->addWidget(new RefreshChoicesView(m_dnsManager, rightColumn));
    m_detail = new QWidget(rightColumn);
    m_detail->setObjectName(QStringLiteral("detailArea"));
    m_detail->setMinimumWidth(detailMinimumWidth);
    auto* detailLayout = new QVBoxLayout(m_detail);
    detailLayout->setContentsMargins(0, 0, 0, 0);
    columnLayout->addWidget(m_detail, 1);

    splitter->addWidget(m_sidebar);
    splitter->addWidget(rightColumn);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({sidebarMaximumWidth, defaultWidth - sidebarMaximumWidth});
    setCentralWidget(splitter);
}

void MainWindow::buildToolbarAndMenu() {
    auto* toolbar = addToolBar(tr("Main"));
    toolbar->setObjectName(QStringLiteral("mainToolbar"));
    toolbar->setMovable(false);
    toolbar->setIconSize(QSize(18, 18));
    toolbar->toggleViewAction()->setVisible(false);
    // The refresh sits at the trailing end, as a primary action.
    auto* spacer = new QWidget(toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolbar->addWidget(spacer);
    toolbar->addSeparator();
    m_refreshAction = toolbar->addAction(tr("Refresh"));
    PaletteFollower::follow(toolbar, [this] {
        m_refreshAction->setIcon(symbolIcon(QStringLiteral("arrow.clockwise")));
    });
    m_refreshAction->setObjectName(QStringLiteral("refreshAction"));
    // F5 (and the platform's other refresh key, Cmd+R on macOS) anywhere in the window.
    m_refreshAction->setShortcuts(QKeySequence::Refresh);
    m_refreshAction->setToolTip(tr("Refresh system status and load BIND configuration"));
    connect(m_refreshAction, &QAction::triggered, this, &MainWindow::refresh);

    // The menu bar; on macOS Qt moves About, Preferences and Quit into the
    // menu that carries the application's name.
    m_windowActions = new WindowActions(this, m_refreshAction, menuBar());
    m_aboutAction = m_windowActions->aboutAction();
}

void MainWindow::setSelectedSection(Section section) {
    m_sidebar->setSelectedSection(section);
}

void MainWindow::showScreen(Section section) {
    QWidget* screen = makeScreen(section);
    if (!screen)
        return;
    m_selectedSection = section;
    // A section's screen is built afresh each time the section is chosen.
    delete m_screen;
    m_screen = screen;
    m_detail->layout()->addWidget(screen);
    screen->show();
    m_windowActions->screenShown();
}

QWidget* MainWindow::makeScreen(Section section) {
    QWidget* screen = nullptr;
    QString name;
    switch (section) {
    case Section::dashboard:
        screen = new DashboardView(m_dnsManager, m_detail);
        name = QStringLiteral("DashboardView");
        break;
    case Section::zoneManagement:
        screen = new ZoneManagementView(m_dnsManager, m_detail);
        name = QStringLiteral("ZoneManagementView");
        break;
    case Section::dnsRecords:
        screen = new DNSRecordView(m_dnsManager, m_detail);
        name = QStringLiteral("DNSRecordView");
        // Queued: the records screen goes when the section changes, and it
        // is the sender.
        connect(
            static_cast<DNSRecordView*>(screen), &DNSRecordView::lookUpRequested, this,
            [this](const QString& owner, const QString& type) {
                setSelectedSection(Section::lookup);
                if (auto* lookup = qobject_cast<LookupView*>(m_screen.data()))
                    lookup->lookUp(owner, type);
            },
            Qt::QueuedConnection);
        break;
    case Section::serverConfiguration:
        screen = new DNSConfigView(m_dnsManager, m_detail);
        name = QStringLiteral("DNSConfigView");
        break;
    case Section::secondaries:
        screen = new SecondariesView(m_dnsManager, m_detail);
        name = QStringLiteral("SecondariesView");
        break;
    case Section::logs:
        screen = new LogsView(m_dnsManager, m_detail);
        name = QStringLiteral("LogsView");
        break;
    case Section::history:
        screen = new HistoryView(m_dnsManager, m_detail);
        name = QStringLiteral("HistoryView");
        break;
    case Section::lookup:
        screen = new LookupView(m_dnsManager, m_detail);
        name = QStringLiteral("LookupView");
        break;
    case Section::tutorial:
        screen = new TutorialView(m_detail);
        name = QStringLiteral("TutorialView");
        break;
    }
    if (!screen)
        return nullptr;
    screen->setProperty("korviScreen", name);
    return screen;
}

void MainWindow::refresh() {
    // The log line and the package-manager detections (APT included), then
    // zones and configuration from BIND's files; nothing waits for the
    // detections, whose results arrive through the manager's signals.
    m_dnsManager->refreshPackageManagerDetection();
    m_dnsManager->refreshFromFileSystem();
}

} // namespace korvi
