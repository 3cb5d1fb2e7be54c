#include "ui/QtEscapeKey.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace tervane {

namespace {

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

// True when the input is meant for a dialog or a popup that is open now.
// A popup (a completer's list, a combo box's list, a menu) is a window of
// its own, so it is not a descendant of the dialog it belongs to; input to
// it must go through too, or the dialog can never be answered. Qt's own
// modality already keeps input away from the windows a dialog blocks.
bool meantForOpenDialog(QObject* watched)
{
    QWidget* modal = QApplication::activeModalWidget();
    QWidget* popup = QApplication::activePopupWidget();
    if (modal == nullptr && popup == nullptr)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr) {
        // Window-level events of the dialog itself go through as well.
        return true;
    }
    const QWidget* window = widget->window();
    if (window == popup || window->windowType() == Qt::Popup)
        return true;
    // A window the dialog opened (its popups are parented to it) belongs to it.
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget())
        if (w == modal)
            return true;
    return false;
}

} // namespace

QtEscapeKey::QtEscapeKey(QObject* parent) : QObject(parent)
{
    sinceEvents_.start();
}

QtEscapeKey::~QtEscapeKey()
{
    if (filtering_ && QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->removeEventFilter(this);
}

void QtEscapeKey::beginRun()
{
    if (depth_++ > 0)
        return;
    pressed_ = false;
    sinceEvents_.restart();
}

void QtEscapeKey::endRun()
{
    if (depth_ == 0 || --depth_ > 0)
        return;
    if (filtering_ && QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->removeEventFilter(this);
    filtering_ = false;
    emit runEnded();
}

bool QtEscapeKey::isDown()
{
    // The filter starts with the first look at the key: only a long run
    // asks, so a command that merely shows a dialog never has its input
    // filtered at all.
    if (depth_ > 0 && !filtering_ && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->installEventFilter(this);
        filtering_ = true;
    }
    if (depth_ > 0 && sinceEvents_.elapsed() >= kPollMilliseconds && QCoreApplication::instance() != nullptr) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        sinceEvents_.restart();
    }
    return pressed_;
}

bool QtEscapeKey::eventFilter(QObject* watched, QEvent* event)
{
    if (depth_ == 0 || !isUserInput(event->type()) || meantForOpenDialog(watched))
        return false;
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
        pressed_ = true;
    // Spontaneous close requests wait for the run; the program's own closes
    // (not spontaneous) go through.
    if (event->type() == QEvent::Close) {
        if (!event->spontaneous())
            return false;
        event->ignore();
    }
    return true;
}

} // namespace tervane
