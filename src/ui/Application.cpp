#include "ui/Application.h"

#include "ui/MainWindow.h"
#include "ui/ParameterPanel.h"
#include "ui/RecordEditorWindow.h"
#include "ui/View3dWindow.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tervane {

namespace {

// While one window replaces another there is a moment with none: the
// program must not take that for its end.
class KeepRunning {
public:
    KeepRunning() : saved_(QGuiApplication::quitOnLastWindowClosed())
    {
        QGuiApplication::setQuitOnLastWindowClosed(false);
    }
    ~KeepRunning() { QGuiApplication::setQuitOnLastWindowClosed(saved_); }
    KeepRunning(const KeepRunning&) = delete;
    KeepRunning& operator=(const KeepRunning&) = delete;

private:
    bool saved_;
};

} // namespace

std::unique_ptr<QTranslator> chineseQtTranslator()
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    auto translator = std::make_unique<QTranslator>();
    // qtbase holds the dialogs and buttons; older installations ship only
    // the combined qt catalogue.
    for (const char* catalogue : {"qtbase", "qt"})
        if (translator->load(chinese, QString::fromLatin1(catalogue), QStringLiteral("_"), folder))
            return translator;
    return nullptr;
}

WindowPlace placeOf(const QWidget& window) { return {window.frameGeometry().topLeft(), window.geometry()}; }

void restorePlace(QWidget& window, const WindowPlace& place) { window.setGeometry(place.client); }

TervaneApplication::TervaneApplication(Prompter* prompter)
    : prompter_(prompter ? *prompter : static_cast<Prompter&>(qtPrompter_))
{
    connect(&escape_, &QtEscapeKey::runEnded, this, [this] {
        const WindowChange change = pending_;
        pending_ = WindowChange::None;
        if (change != WindowChange::None)
            QMetaObject::invokeMethod(this, [this, change] { changeWindows(change); }, Qt::QueuedConnection);
    });
}

TervaneApplication::~TervaneApplication()
{
    delete editor_.data();
    delete view3d_.data();
    delete main_.data();
}

MainWindow* TervaneApplication::mainWindow() const { return main_; }

RecordEditorWindow* TervaneApplication::recordEditor() const { return editor_; }

View3dWindow* TervaneApplication::view3d() const { return view3d_; }

void TervaneApplication::start(const std::optional<std::string>& path)
{
    showMainWindow();
    if (path && main_)
        main_->openFile(*path);
}

void TervaneApplication::startPlaying(const std::string& plotPath)
{
    showMainWindow();
    if (main_)
        main_->playFile(plotPath);
}

void TervaneApplication::showMainWindow()
{
    main_ = new MainWindow(state_, random_, prompter_, escape_, nullptr,
                           keptPanel_ ? &*keptPanel_ : nullptr);
    main_->setAttribute(Qt::WA_DeleteOnClose);
    if (keptPlace_)
        restorePlace(*main_, *keptPlace_);
    // Queued: the window asking is still inside its own handler.
    connect(main_, &MainWindow::windowChangeRequested, this, &TervaneApplication::changeWindows,
            Qt::QueuedConnection);
    main_->show();
}

void TervaneApplication::unloadMainWindow()
{
    if (!main_)
        return;
    keptPanel_ = main_->parameterPanel()->snapshot();
    keptPlace_ = placeOf(*main_);
    main_->hide();
    delete main_.data();
}

void TervaneApplication::changeWindows(WindowChange change)
{
    // A run lets the event loop turn while it draws; the window it draws in
    // must outlive it.
    if (escape_.running()) {
        pending_ = change;
        return;
    }
    switch (change) {
    case WindowChange::None: return;
    case WindowChange::OpenRecordEditor: showRecordEditor(); return;
    case WindowChange::Open3dView: show3dView(); return;
    case WindowChange::Quit: quit(); return;
    }
}

void TervaneApplication::showRecordEditor()
{
    KeepRunning keep;
    unloadMainWindow();
    // The editor announces its leaving from the event loop and is deleted
    // there; the main window then comes back (or the program ends).
    editor_ = RecordEditorWindow::launch(state_, random_, prompter_, [this] { recordEditorClosed(); },
                                         [this] { quit(); });
}

void TervaneApplication::show3dView()
{
    KeepRunning keep;
    unloadMainWindow();
    // The view announces its return from the event loop and is deleted
    // there; the main window then comes back.
    view3d_ = View3dWindow::launch(state_, prompter_, escape_, [this] { view3dClosed(); });
}

void TervaneApplication::recordEditorClosed() { showMainWindow(); }

void TervaneApplication::view3dClosed() { showMainWindow(); }

void TervaneApplication::quit()
{
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}

} // namespace tervane
