#pragma once
#include "engine/commands/MainCommands.h"
#include "engine/state/SharedState.h"
#include "ui/QtEscapeKey.h"
#include "ui/QtPrompter.h"
#include "engine/base/Random.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>

#include <memory>
#include <optional>
#include <string>

class QTranslator;
class QWidget;

namespace tervane {

// Qt's own Chinese translation (from the system's Qt translations folder),
// so that the standard dialogs and buttons (Open, Yes, No, the colour
// dialog) read in the program's language; null when it is not installed.
// The caller installs it on the application and keeps it.
std::unique_ptr<QTranslator> chineseQtTranslator();

// Where a top-level window stood on the screen: the corner of its frame and
// its client area (the window without the frame the window manager puts
// round it).
struct WindowPlace {
    QPoint frameTopLeft;
    QRect client;
};

// The place of a shown window.
WindowPlace placeOf(const QWidget& window);

// Puts a window back at a place taken with placeOf. The client area is set,
// not the frame's corner: a window whose native handle already exists is
// placed by its client area, and until the window manager has framed it
// Qt takes its frame to be nothing, so a frame position handed to it would
// put the client area there instead and the window would creep up by its
// title bar on every return.
void restorePlace(QWidget& window, const WindowPlace& place);

class MainWindow;
class RecordEditorWindow;
class View3dWindow;

// The program's windows and what they share. The shared state, the random
// generator and the dialogs live here, outside any window, so that the main
// window can be destroyed when the record editor or the 3D view takes its
// place and made anew (its start-up running again) when they close.
class TervaneApplication final : public QObject {
    Q_OBJECT
public:
    // The windows ask their questions through prompter when one is given
    // (tests script it), otherwise through Qt's dialogs.
    explicit TervaneApplication(Prompter* prompter = nullptr);
    ~TervaneApplication() override;

    // Shows the main window; with a path, opens that file as Open file
    // would, without the dialog.
    void start(const std::optional<std::string>& path = {});
    // Shows the main window and plays a plot file in it as Play would,
    // without the dialog.
    void startPlaying(const std::string& plotPath);

    SharedState& state() { return state_; }
    Random& random() { return random_; }
    MainWindow* mainWindow() const;
    // The record editor while it replaces the main window, else null.
    RecordEditorWindow* recordEditor() const;
    // The 3D view while it replaces the main window, else null.
    View3dWindow* view3d() const;
    QtEscapeKey& escapeKey() { return escape_; }

public slots:
    void changeWindows(tervane::WindowChange change);

private:
    void showMainWindow();
    void unloadMainWindow();
    // The windows that replace the main window.
    void showRecordEditor();
    void show3dView();
    void recordEditorClosed();
    void view3dClosed();
    void quit();

    SharedState state_;
    Random random_;
    QtPrompter qtPrompter_;
    Prompter& prompter_;
    QtEscapeKey escape_;
    QPointer<MainWindow> main_;
    QPointer<RecordEditorWindow> editor_;
    QPointer<View3dWindow> view3d_;
    // A change asked for while a run was active waits for its end.
    WindowChange pending_ = WindowChange::None;
    // What the main window had when another window replaced it: the panel's
    // settings and its place on the screen come back with it.
    std::optional<PanelSettings> keptPanel_;
    std::optional<WindowPlace> keptPlace_;
};

} // namespace tervane
