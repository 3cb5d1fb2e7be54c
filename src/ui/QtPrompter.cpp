#include "ui/QtPrompter.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>

namespace tervane {

namespace {

QString titleOrDefault(const std::string& title)
{
    return QString::fromStdString(title.empty() ? kProgramTitle : title);
}

QMessageBox::Icon qtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Critical: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons qtButtons(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok: return QMessageBox::Ok;
    case MessageButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::AbortRetryIgnore: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case MessageButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

// The answer of a box closed without a button: what its Esc key means.
Answer closedAnswer(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok: return Answer::Ok;
    case MessageButtons::YesNo: return Answer::No;
    case MessageButtons::AbortRetryIgnore: return Answer::Abort;
    default: return Answer::Cancel;
    }
}

Answer fromQt(int button, MessageButtons buttons)
{
    switch (button) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Cancel: return Answer::Cancel;
    case QMessageBox::Abort: return Answer::Abort;
    case QMessageBox::Retry: return Answer::Retry;
    case QMessageBox::Ignore: return Answer::Ignore;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return closedAnswer(buttons);
    }
}

// Every pattern of one filter entry, in both letter cases.
QStringList patternsOf(const QString& text)
{
    QStringList patterns;
    for (QString p : text.split(QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts)) {
        if (p == QStringLiteral("*.*"))
            p = QStringLiteral("*");
        for (const QString& variant : {p, p.toUpper(), p.toLower()}) {
            if (!patterns.contains(variant))
                patterns.append(variant);
        }
    }
    return patterns;
}

std::optional<std::string> runFileDialog(const std::string& filter, int filterIndex,
                                         const std::string& initialName, const std::string& title,
                                         QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(title));
    dialog.setAcceptMode(mode);
    // The Open dialog also names files that do not exist yet: New file
    // chooses its new data file through it. A missing file given to Open
    // is reported by the open step itself.
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = qtNameFilters(filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        if (filterIndex >= 1 && filterIndex <= filters.size())
            dialog.selectNameFilter(filters[filterIndex - 1]);
    }
    if (!initialName.empty())
        dialog.selectFile(QString::fromStdString(initialName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst().toStdString();
}

} // namespace

QStringList qtNameFilters(const std::string& filter)
{
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QStringList patterns = patternsOf(parts[i + 1]);
        if (patterns.isEmpty())
            continue;
        // Qt reads the patterns from the last bracket, so a bracket the
        // description already carries is replaced by the real list.
        QString description = parts[i];
        description.remove(QRegularExpression(QStringLiteral("\\s*\\([^()]*\\)\\s*$")));
        description = description.trimmed();
        filters.append(description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')'));
    }
    return filters;
}

Answer QtPrompter::message(const std::string& text, const std::string& title, MessageIcon icon,
                           MessageButtons buttons)
{
    QMessageBox box(qtIcon(icon), titleOrDefault(title), QString::fromStdString(text), qtButtons(buttons),
                    QApplication::activeWindow());
    return fromQt(box.exec(), buttons);
}

std::optional<std::string> QtPrompter::openFile(const std::string& filter, int filterIndex,
                                                const std::string& initialName, const std::string& title)
{
    return runFileDialog(filter, filterIndex, initialName, title, QFileDialog::AcceptOpen);
}

std::optional<std::string> QtPrompter::saveFile(const std::string& filter, int filterIndex,
                                                const std::string& initialName, const std::string& title)
{
    return runFileDialog(filter, filterIndex, initialName, title, QFileDialog::AcceptSave);
}

std::optional<Colour> QtPrompter::chooseColour(Colour initial)
{
    const QColor chosen = QColorDialog::getColor(QColor(redOf(initial), greenOf(initial), blueOf(initial)),
                                                 QApplication::activeWindow());
    if (!chosen.isValid())
        return std::nullopt;
    return rgb(chosen.red(), chosen.green(), chosen.blue());
}

std::optional<int> QtPrompter::choosePrinter(int copies)
{
    QPrinter printer;
    printer.setCopyCount(copies < 1 ? 1 : copies);
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return printer.copyCount();
}

void QtPrompter::beep() { QApplication::beep(); }

} // namespace tervane
