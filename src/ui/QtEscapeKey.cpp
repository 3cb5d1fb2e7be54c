#include "ui/QtEscapeKey.h"

#include "ui/QtCanvas.h"

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

// True when the object belongs to a modal dialog that is open now.
bool insideModalDialog(QObject* watched)
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr) {
        // Window-level events of the dialog itself go through as well.
        return true;
    }
    return widget == modal || modal->isAncestorOf(widget);
}

} // namespace

QtEscapeKey::QtEscapeKey(QObject* parent) : QObject(parent)
{
    sinceEvents_.start();
}

QtEscapeKey::~QtEscapeKey()
{
    if (depth_ > 0 && QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->removeEventFilter(this);
}

void QtEscapeKey::beginRun()
{
    if (depth_++ > 0)
        return;
    pressed_ = false;
    sinceEvents_.restart();
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->installEventFilter(this);
}

void QtEscapeKey::endRun()
{
    if (depth_ == 0 || --depth_ > 0)
        return;
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->removeEventFilter(this);
    emit runEnded();
}

bool QtEscapeKey::isDown()
{
    if (depth_ > 0 && sinceEvents_.elapsed() >= kPollMilliseconds && QCoreApplication::instance() != nullptr) {
        // The windows repaint from finished images, so the drawing shows
        // as far as it has come.
        QtCanvas::finishAllPainting();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        sinceEvents_.restart();
    }
    return pressed_;
}

bool QtEscapeKey::eventFilter(QObject* watched, QEvent* event)
{
    if (depth_ == 0 || !isUserInput(event->type()) || insideModalDialog(watched))
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
