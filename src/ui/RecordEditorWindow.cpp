#include "ui/RecordEditorWindow.h"

#include "engine/state/PlotFrame.h"
#include "ui/CanvasWidget.h"
#include "ui/QtCanvas.h"
#include "engine/base/NumberText.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMetaMethod>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPolygon>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace tervane {

namespace {

// A control's place in twips (15 to a pixel), relative to its parent.
struct Place {
    double left;
    double top;
    double width;
    double height;
};

int px(double twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }

void place(QWidget* w, const Place& p) { w->setGeometry(px(p.left), px(p.top), px(p.width), px(p.height)); }

// The client area is 12000 x 8880 twips. The drawing area fills the left,
// the input boxes run under it, the record commands down the right.
namespace layout {
constexpr double kClientWidth = 12000;
// 8880 twips, and two lines under the input boxes for the pick hint.
constexpr double kClientHeight = 9360;
// The drawing area has the main window's drawing area's place and size, so
// the shared frame puts a picked point on the same pixel of the background
// picture in both windows.
constexpr Place kPicture1{kDrawingLeft, kDrawingTop, kDrawingWidth, kDrawingAreaHeight};
constexpr Place kInputGroup{150, 7650, 9480, 1110};
constexpr double kFieldLabelTop = 7920;
constexpr double kFieldBoxTop = 8190;
constexpr double kFieldHeight = 345;
constexpr std::array<double, 4> kFieldLeft{300, 2350, 4400, 6450};
constexpr std::array<double, 4> kFieldWidth{1900, 1900, 1900, 3030};

constexpr double kColumn = 9780;  // the right-hand column
constexpr double kColumnWidth = 2070;
constexpr double kHalf = 1005;
constexpr Place kLabel4{kColumn, 120, 900, 300};
constexpr Place kText1{10740, 90, 1110, 345};
constexpr Place kFileIOFrame{kColumn, 540, kColumnWidth, 3960};
// Inside FileIOFrame.
constexpr Place kAddRecord{0, 0, kColumnWidth, 420};
constexpr Place kDeleteRecord{0, 480, kColumnWidth, 420};
constexpr Place kQuxiao{0, 960, kColumnWidth, 420};
constexpr Place kNextRecord{0, 1440, kColumnWidth, 420};
constexpr Place kPreviousRecord{0, 1920, kColumnWidth, 420};
constexpr Place kCommand2{0, 2400, kHalf, 420};
constexpr Place kCommand3{kColumnWidth - kHalf, 2400, kHalf, 420};
constexpr Place kLabel11{0, 2910, kColumnWidth, 240};
constexpr Place kTiao{0, 3180, kColumnWidth, 255};
constexpr Place kText4{0, 3570, 840, 345};
constexpr Place kCommand4{900, 3540, kColumnWidth - 900, 405};
// Back in the client area.
constexpr Place kCommand1{kColumn, 4620, kHalf, 420};
constexpr Place kQingping{kColumn + kColumnWidth - kHalf, 4620, kHalf, 420};
constexpr Place kColourGroup{kColumn, 5160, kColumnWidth, 840};
constexpr Place kLabel9{kColumn + 120, 5520, 450, 255};
constexpr Place kLabel7{kColumn + 600, 5490, 390, 315};
constexpr Place kLabel10{kColumn + 1080, 5520, 450, 255};
constexpr Place kLabel8{kColumn + 1560, 5490, 390, 315};
constexpr Place kCoordinateGroup{kColumn, 6120, kColumnWidth, 1080};
constexpr Place kZuobiaox{kColumn + 120, 6420, kColumnWidth - 240, 330};
constexpr Place kZuobiaoy{kColumn + 120, 6790, kColumnWidth - 240, 330};
constexpr Place kExitButton{kColumn, 7350, kColumnWidth, 480};
constexpr Place kHelpPage{900, 700, 8000, 6200};
constexpr Place kText2{150, 8820, 11700, 240};
constexpr Place kText3{150, 9060, 11700, 240};
// The drag indicator inside the drawing area, in pixels.
constexpr int kIndicatorSize = 12;
// The bytes still free in the note, at the right of the note's label.
constexpr Place kNoteBytes{6450 + 3030 - 1200, 7920, 1200, 255};
} // namespace layout

const QString kKeyboardHelp = QStringLiteral(
    "键盘输入说明\n\n"
    "1. 在输入项中按回车键(Enter),光标依次移到下一项:坐标X → 坐标Y → 观测值 → 注 释.\n\n"
    "2. 按下箭头键光标移到下一个输入项(注 释之后回到坐标X),按上箭头键移到上一个输入项.\n\n"
    "3. 只有在\"注 释\"项中按回车键才保存当前记录,并在文件末尾开始一个新的空白记录."
    "空白记录在输入内容以前不写入文件,不输入就离开它,它不会留在文件中.\n\n"
    "4. 坐标X、坐标Y和观测值必须填入数值,绝对值不超过 3.402823E+38(单精度范围);"
    "否则记录不保存,该输入框变红,窗口底部的状态栏说明原因."
    "注释最多 20 个字节(一个汉字占 2 个字节),输入时状态栏旁显示还可输入的字节数.\n\n"
    "5. 删除一个记录以后,\"取消删除\"才变为可用,它把刚删除的记录恢复到文件末尾,"
    "状态栏显示它现在是第几个记录.\n\n"
    "6. 拖动浏览滚动条找到记录,再按\"屏上查找\",就能很快找到该数据点在屏幕上的位置.\n\n"
    "7. Tab 键或 Shift+Tab 键也可改变输入位置.");

const QString kDragHelp = QStringLiteral(
    "托放操作说明\n\n"
    "1. 有背景图片(扫描的地图或照片)时,数据点的坐标可以在图上直接拾取.\n\n"
    "2. 在图上按下鼠标左键不放,鼠标箭头旁出现红色三角,拖到目标处后放开鼠标左键,"
    "箭头所指处的坐标即记入\"坐标X\"和\"坐标Y\".\n\n"
    "3. 只单击而不拖动,不记录坐标.\n\n"
    "4. 拾取坐标后输入观测值和注释,在\"注 释\"项中按回车键保存记录.\n\n"
    "5. 拾取的坐标与主窗口中同一背景图片上的位置一一对应.");

QString qs(const std::string& s) { return QString::fromStdString(s); }

// A small red triangle pointing up and left, towards the pointer.
QPixmap indicatorPixmap()
{
    QPixmap pixmap(layout::kIndicatorSize, layout::kIndicatorSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::red);
    const int n = layout::kIndicatorSize;
    painter.drawPolygon(QPolygon({QPoint(2, 2), QPoint(n, n / 2), QPoint(n / 2, n)}));
    return pixmap;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption, const char* tip, const Place& p)
{
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromUtf8(name));
    b->setToolTip(QString::fromUtf8(tip));
    place(b, p);
    return b;
}

QLabel* label(QWidget* parent, const char* name, const char* caption, const Place& p)
{
    auto* l = new QLabel(QString::fromUtf8(caption), parent);
    l->setObjectName(QString::fromUtf8(name));
    place(l, p);
    return l;
}

QGroupBox* group(QWidget* parent, const char* title, const char* tip, const Place& p)
{
    auto* g = new QGroupBox(QString::fromUtf8(title), parent);
    g->setToolTip(QString::fromUtf8(tip));
    place(g, p);
    return g;
}

} // namespace

RecordEditorWindow::RecordEditorWindow(SharedState& state, Random& random, Prompter& prompter,
                                       QWidget* parent)
    : QMainWindow(parent),
      picture1_(new CanvasWidget(layout::kPicture1.width, layout::kPicture1.height, this)),
      editor_(state, prompter, picture1_->canvas(), random),
      prompter_(prompter)
{
    setObjectName(QStringLiteral("Form2"));
    auto* client = new QWidget(this);
    client->setFixedSize(px(layout::kClientWidth), px(layout::kClientHeight));
    setCentralWidget(client);
    createMenus();
    createDrawingArea();
    createInputGroup();
    createRecordButtons();
    createColourGroup();
    createCoordinateGroup();
    createHelpPages();
    setTabOrder();
    statusBar()->setSizeGripEnabled(false);
}

RecordEditorWindow::~RecordEditorWindow() = default;

void RecordEditorWindow::showNotice(const std::string& text)
{
    statusBar()->showMessage(QString::fromStdString(text));
}

// The note holds 20 bytes on disk: the box stops there, never inside a
// character, and says how many are left.
void RecordEditorWindow::onFieldEdited(int field, const QString& text)
{
    std::string typed = text.toStdString();
    if (field == RecordEditor::kFieldNote && gbkByteCount(typed) > kNoteFieldWidth) {
        typed = cutToGbkBytes(typed, kNoteFieldWidth);
        QLineEdit* box = fieldBoxes_[static_cast<std::size_t>(field)];
        const int cursor = std::min(box->cursorPosition(), static_cast<int>(qs(typed).size()));
        box->setText(qs(typed));
        box->setCursorPosition(cursor);
    }
    editor_.editField(field, typed);
    showFieldState();
}

void RecordEditorWindow::showFieldState()
{
    const std::size_t used = gbkByteCount(editor_.fieldText(RecordEditor::kFieldNote));
    noteBytes_->setText(qs(editortext::noteBytesLeftText(used >= kNoteFieldWidth ? 0 : kNoteFieldWidth - used)));
    const auto refused = editor_.refusedField();
    for (int i = 0; i < RecordEditor::kFieldCount; ++i) {
        QLineEdit* box = fieldBoxes_[static_cast<std::size_t>(i)];
        QPalette palette = box->palette();
        palette.setColor(QPalette::All, QPalette::Base, refused == i ? QColor(255, 0, 0) : QColor(255, 255, 255));
        box->setPalette(palette);
    }
}

void RecordEditorWindow::createMenus()
{
    QMenu* help = menuBar()->addMenu(QStringLiteral("  帮助"));
    help->setObjectName(QStringLiteral("bangzhu2"));
    QAction* keyboard = help->addAction(QStringLiteral("键盘输入"), this, &RecordEditorWindow::onKeyboardHelp);
    keyboard->setObjectName(QStringLiteral("jianpan"));
    QAction* drag = help->addAction(QStringLiteral("托放操作"), this, &RecordEditorWindow::onDragHelp);
    drag->setObjectName(QStringLiteral("tuofang"));
    QAction* close = help->addAction(QStringLiteral("退出帮助"), this, &RecordEditorWindow::onCloseHelp);
    close->setObjectName(QStringLiteral("quit"));
}

void RecordEditorWindow::createDrawingArea()
{
    picture1_->setParent(centralWidget());
    picture1_->setObjectName(QStringLiteral("Picture1"));
    place(picture1_, layout::kPicture1);
    connect(picture1_, &CanvasWidget::mouseMoved, this, &RecordEditorWindow::onPictureMove);
    connect(picture1_, &CanvasWidget::mousePressed, this, &RecordEditorWindow::onPicturePress);
    connect(picture1_, &CanvasWidget::mouseReleased, this, &RecordEditorWindow::onPictureRelease);

    picture2_ = new QLabel(picture1_);
    picture2_->setObjectName(QStringLiteral("Picture2"));
    picture2_->setToolTip(QStringLiteral("鼠标拖放操作指示灯"));
    picture2_->setPixmap(indicatorPixmap());
    picture2_->setFixedSize(layout::kIndicatorSize, layout::kIndicatorSize);
    picture2_->setAttribute(Qt::WA_TransparentForMouseEvents);
    picture2_->hide();

    QWidget* c = centralWidget();
    label(c, "Text2", "  坐标自动拾取：按下鼠标左键不放,鼠标箭头旁有红色三角,拖到目标处后放开鼠", layout::kText2);
    label(c, "Text3", "  标左键,箭头所指处的坐标被记录,非拖放的坐标无效.各输入项支持手工输入操作.", layout::kText3);
}

void RecordEditorWindow::createInputGroup()
{
    QWidget* c = centralWidget();
    group(c, "输入项", "支持Tab或Shift+Tab键改变输入位置", layout::kInputGroup);
    static const char* const names[] = {"Label1", "Label2", "Label3", "Label5"};
    static const char* const captions[] = {"坐标X", "坐标Y", "观测值", "注 释"};
    static const int maxLengths[] = {15, 15, 32767, 200};
    for (int i = 0; i < RecordEditor::kFieldCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        label(c, names[i], captions[i],
              {layout::kFieldLeft[k], layout::kFieldLabelTop, layout::kFieldWidth[k], 255});
        auto* box = new QLineEdit(c);
        box->setObjectName(QStringLiteral("FieldBoxes(%1)").arg(i));
        box->setMaxLength(maxLengths[i]);
        place(box, {layout::kFieldLeft[k], layout::kFieldBoxTop, layout::kFieldWidth[k], layout::kFieldHeight});
        box->installEventFilter(this);
        connect(box, &QLineEdit::textEdited, this, [this, i](const QString& text) { onFieldEdited(i, text); });
        fieldBoxes_[k] = box;
    }
    noteBytes_ = label(c, "noteBytes", "", layout::kNoteBytes);
    noteBytes_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    noteBytes_->setToolTip(QStringLiteral("注释还可输入的字节数(一个汉字占 2 个字节)"));
    fieldBoxes_[0]->setToolTip(QStringLiteral("各类与X和Y坐标相关的数值"));
    fieldBoxes_[3]->setToolTip(QStringLiteral("简要文字(仅在[原始网络]格式下显示注释)"));
}

void RecordEditorWindow::createRecordButtons()
{
    QWidget* c = centralWidget();
    label(c, "Label4", " 记录号", layout::kLabel4)->setToolTip(QStringLiteral("当前记录号"));
    text1_ = new QLineEdit(c);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setToolTip(QStringLiteral("当前记录号"));
    place(text1_, layout::kText1);
    connect(text1_, &QLineEdit::textEdited, this, &RecordEditorWindow::onRecordNumberEdited);

    fileIOFrame_ = new QFrame(c);
    fileIOFrame_->setObjectName(QStringLiteral("FileIOFrame"));
    place(fileIOFrame_, layout::kFileIOFrame);
    QWidget* f = fileIOFrame_;
    using W = RecordEditorWindow;
    connect(button(f, "AddRecord", "添加记录", "新建记录或追加记录到文件", layout::kAddRecord),
            &QPushButton::clicked, this, &W::onAddRecord);
    connect(button(f, "DeleteRecord", "删除记录", "删除当前记录", layout::kDeleteRecord),
            &QPushButton::clicked, this, &W::onDeleteRecord);
    quxiao_ = button(f, "quxiao", "取消删除", "恢复当前被删除的记录", layout::kQuxiao);
    quxiao_->setEnabled(false);
    connect(quxiao_, &QPushButton::clicked, this, &W::onUndoDelete);
    connect(button(f, "NextRecord", "下一个记录", "显示下一个记录", layout::kNextRecord),
            &QPushButton::clicked, this, &W::onNextRecord);
    connect(button(f, "PreviousRecord", "前一个记录", "显示上一个记录", layout::kPreviousRecord),
            &QPushButton::clicked, this, &W::onPreviousRecord);
    connect(button(f, "Command2", "首记录", "显示第一个数据记录", layout::kCommand2),
            &QPushButton::clicked, this, &W::onFirstRecord);
    connect(button(f, "command3", "末记录", "显示最后一个数据记录", layout::kCommand3),
            &QPushButton::clicked, this, &W::onLastRecord);
    label(f, "Label11", "浏览", layout::kLabel11)->setToolTip(QStringLiteral("浏览全部记录内容"));
    tiao_ = new QScrollBar(Qt::Horizontal, f);
    tiao_->setObjectName(QStringLiteral("tiao"));
    tiao_->setToolTip(QStringLiteral("浏览全部记录内容"));
    tiao_->setRange(1, 1);
    tiao_->setPageStep(1);
    place(tiao_, layout::kTiao);
    connect(tiao_, &QScrollBar::valueChanged, this, &W::onBrowse);
    text4_ = new QLineEdit(f);
    text4_->setObjectName(QStringLiteral("Text4"));
    text4_->setToolTip(QStringLiteral("输入记录号用于屏上查找"));
    place(text4_, layout::kText4);
    connect(text4_, &QLineEdit::textEdited, this,
            [this](const QString& text) { editor_.editFindText(text.toStdString()); });
    connect(button(f, "Command4", "屏上查找", "圈阅某记录点在屏幕上的位置", layout::kCommand4),
            &QPushButton::clicked, this, &W::onFindOnScreen);

    connect(button(c, "Command1", "刷 新",
                   "重新显示全部数据点（当背景颜色改变或清除查找痕迹时）", layout::kCommand1),
            &QPushButton::clicked, this, &W::onRefresh);
    connect(button(c, "QINGPING", "清 屏", "清除屏幕数据点,保留插图.", layout::kQingping),
            &QPushButton::clicked, this, &W::onClearScreen);
    connect(button(c, "ExitButton", "保存·退出", "保存数据并返回到主屏幕", layout::kExitButton),
            &QPushButton::clicked, this, &W::onSaveAndExit);
}

void RecordEditorWindow::createColourGroup()
{
    QWidget* c = centralWidget();
    group(c, "", "为前景（文字）和背景选择颜色", layout::kColourGroup);
    label(c, "Label9", "前景", layout::kLabel9)->setToolTip(QStringLiteral("点击色块可选颜色"));
    label(c, "Label10", "背景", layout::kLabel10)->setToolTip(QStringLiteral("点击色块可选颜色"));
    label7_ = label(c, "Label7", "", layout::kLabel7);
    label7_->setToolTip(QStringLiteral("屏幕文字颜色"));
    label8_ = label(c, "Label8", "", layout::kLabel8);
    label8_->setToolTip(QStringLiteral("屏幕背景颜色（有背景图片时，删除的记录点将以该颜色标记）"));
    for (QLabel* block : {label7_, label8_}) {
        block->setFrameShape(QFrame::Box);
        block->setCursor(Qt::PointingHandCursor);
        block->installEventFilter(this);
    }
    paintColourBlock(label7_, rgb(0, 255, 0));
    paintColourBlock(label8_, rgb(0, 0, 0));
}

void RecordEditorWindow::createCoordinateGroup()
{
    QWidget* c = centralWidget();
    group(c, "当前坐标", "光标所在地坐标", layout::kCoordinateGroup);
    zuobiaox_ = new QLineEdit(c);
    zuobiaox_->setObjectName(QStringLiteral("zuobiaox"));
    zuobiaoy_ = new QLineEdit(c);
    zuobiaoy_->setObjectName(QStringLiteral("zuobiaoy"));
    for (QLineEdit* box : {zuobiaox_, zuobiaoy_}) {
        box->setReadOnly(true);
        box->setFocusPolicy(Qt::NoFocus);
        box->setToolTip(QStringLiteral("光标所在地坐标"));
    }
    place(zuobiaox_, layout::kZuobiaox);
    place(zuobiaoy_, layout::kZuobiaoy);
}

void RecordEditorWindow::createHelpPages()
{
    text5_ = new QPlainTextEdit(kKeyboardHelp, centralWidget());
    text5_->setObjectName(QStringLiteral("Text5"));
    text6_ = new QPlainTextEdit(kDragHelp, centralWidget());
    text6_->setObjectName(QStringLiteral("Text6"));
    for (QPlainTextEdit* page : {text5_, text6_}) {
        page->setReadOnly(true);
        place(page, layout::kHelpPage);
        page->hide();
    }
}

void RecordEditorWindow::setTabOrder()
{
    QWidget* order[] = {fieldBoxes_[0], fieldBoxes_[1], fieldBoxes_[2], fieldBoxes_[3], text1_,
                        fileIOFrame_->findChild<QPushButton*>(QStringLiteral("AddRecord")),
                        fileIOFrame_->findChild<QPushButton*>(QStringLiteral("DeleteRecord")), quxiao_,
                        fileIOFrame_->findChild<QPushButton*>(QStringLiteral("NextRecord")),
                        fileIOFrame_->findChild<QPushButton*>(QStringLiteral("PreviousRecord")),
                        fileIOFrame_->findChild<QPushButton*>(QStringLiteral("Command2")),
                        fileIOFrame_->findChild<QPushButton*>(QStringLiteral("command3")), tiao_, text4_,
                        fileIOFrame_->findChild<QPushButton*>(QStringLiteral("Command4"))};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void RecordEditorWindow::start()
{
    run([this] { editor_.open(); });
}

RecordEditorWindow* RecordEditorWindow::launch(SharedState& state, Random& random, Prompter& prompter,
                                               std::function<void()> backToMainWindow,
                                               std::function<void()> endProgram)
{
    auto* window = new RecordEditorWindow(state, random, prompter);
    connect(window, &RecordEditorWindow::closed, window, [window, back = std::move(backToMainWindow)] {
        window->deleteLater();
        if (back)
            back();
    });
    connect(window, &RecordEditorWindow::programEndRequested, window, [window, end = std::move(endProgram)] {
        window->deleteLater();
        if (end)
            end();
    });
    window->show();
    window->start();
    return window;
}

template <typename Command>
void RecordEditorWindow::run(Command&& command)
{
    if (finished_)
        return;
    command();
    showEditorState();
    finishIfLeaving();
}

// Shows what the editor holds. Only user typing reaches the editor
// (textEdited), and the scroll bar is blocked here, so nothing echoes back.
void RecordEditorWindow::showEditorState()
{
    for (int i = 0; i < RecordEditor::kFieldCount; ++i) {
        QLineEdit* box = fieldBoxes_[static_cast<std::size_t>(i)];
        const QString text = qs(editor_.fieldText(i));
        if (box->text() != text)
            box->setText(text);
    }
    if (text1_->text() != qs(editor_.recordNumberText()))
        text1_->setText(qs(editor_.recordNumberText()));
    if (text4_->text() != qs(editor_.findText()))
        text4_->setText(qs(editor_.findText()));
    setWindowTitle(qs(editor_.title()));
    quxiao_->setEnabled(editor_.undoAvailable());
    fileIOFrame_->setEnabled(editor_.fileOpen());
    {
        const QSignalBlocker block(tiao_);
        const int total = static_cast<int>(std::max(1L, editor_.recordTotal()));
        tiao_->setRange(1, total);
        tiao_->setValue(static_cast<int>(std::clamp(editor_.currentRecord(), 1L, static_cast<long>(total))));
    }
    paintColourBlock(label7_, editor_.foreground());
    paintColourBlock(label8_, editor_.background());
    showFieldState();
    // A refusal's notice goes once the refused box is put right.
    if (const auto notice = editor_.takeNotice()) {
        showNotice(*notice);
        refusalShown_ = true;
    } else if (refusalShown_ && !editor_.refusedField()) {
        statusBar()->clearMessage();
        refusalShown_ = false;
    }
    if (const auto focus = editor_.takeFocusRequest())
        fieldBoxes_[static_cast<std::size_t>(*focus)]->setFocus();
    showIndicator();
}

void RecordEditorWindow::showIndicator()
{
    if (!editor_.indicatorVisible())
        return;
    if (editor_.indicatorParked()) {
        picture2_->move(0, 0);
    } else {
        const QtCanvas& canvas = picture1_->canvas();
        picture2_->move(static_cast<int>(std::floor(canvas.toPixelX(editor_.indicatorX()))),
                        static_cast<int>(std::floor(canvas.toPixelY(editor_.indicatorY()))));
    }
    picture2_->show();
}

void RecordEditorWindow::onPicturePress(double x, double y, Qt::MouseButton button)
{
    if (button == Qt::LeftButton)
        run([this, x, y] { editor_.pressPicture(x, y); });
}

void RecordEditorWindow::onPictureMove(double x, double y, Qt::MouseButtons)
{
    showCursor(x, y);
    // Without a drag only the cursor boxes change.
    if (editor_.dragging())
        run([this, x, y] { editor_.movePicture(x, y); });
    else
        editor_.movePicture(x, y);
}

void RecordEditorWindow::onPictureRelease(double x, double y, Qt::MouseButton button)
{
    if (button == Qt::LeftButton)
        run([this, x, y] { editor_.releasePicture(x, y); });
}

// Leaving is announced after the handler has returned, so the application
// may delete this window from its slot.
void RecordEditorWindow::finishIfLeaving()
{
    const EditorOutcome outcome = editor_.outcome();
    if (outcome == EditorOutcome::Stay || finished_)
        return;
    finished_ = true;
    onCloseHelp();
    if (outcome == EditorOutcome::ToMainWindow) {
        QTimer::singleShot(0, this, [this] { emit closed(); });
        return;
    }
    QTimer::singleShot(0, this, [this] {
        if (isSignalConnected(QMetaMethod::fromSignal(&RecordEditorWindow::programEndRequested)))
            emit programEndRequested();
        else
            QCoreApplication::exit(0);
    });
}

void RecordEditorWindow::onAddRecord() { run([this] { editor_.addRecord(); }); }
void RecordEditorWindow::onDeleteRecord() { run([this] { editor_.deleteRecord(); }); }
void RecordEditorWindow::onUndoDelete() { run([this] { editor_.undoDelete(); }); }
void RecordEditorWindow::onNextRecord() { run([this] { editor_.nextRecord(); }); }
void RecordEditorWindow::onPreviousRecord() { run([this] { editor_.previousRecord(); }); }
void RecordEditorWindow::onFirstRecord() { run([this] { editor_.firstRecord(); }); }
void RecordEditorWindow::onLastRecord() { run([this] { editor_.lastRecord(); }); }
void RecordEditorWindow::onBrowse(int value) { run([this, value] { editor_.browse(value); }); }
void RecordEditorWindow::onFindOnScreen() { run([this] { editor_.findOnScreen(); }); }
void RecordEditorWindow::onRefresh() { run([this] { editor_.refresh(); }); }
void RecordEditorWindow::onClearScreen() { run([this] { editor_.clearScreen(); }); }

void RecordEditorWindow::onRecordNumberEdited(const QString& text)
{
    run([this, &text] { editor_.editRecordNumber(text.toStdString()); });
}

void RecordEditorWindow::onSaveAndExit()
{
    onCloseHelp();
    run([this] { editor_.saveAndExit(); });
}

void RecordEditorWindow::onForegroundBlock()
{
    if (const auto c = prompter_.chooseColour(editor_.foreground()))
        run([this, c] { editor_.setForeground(*c); });
}

void RecordEditorWindow::onBackgroundBlock()
{
    if (const auto c = prompter_.chooseColour(editor_.background()))
        run([this, c] { editor_.setBackground(*c); });
}

void RecordEditorWindow::onKeyboardHelp()
{
    text6_->hide();
    text5_->show();
    text5_->raise();
}

void RecordEditorWindow::onDragHelp()
{
    text5_->hide();
    text6_->show();
    text6_->raise();
}

void RecordEditorWindow::onCloseHelp()
{
    text5_->hide();
    text6_->hide();
    if (!finished_)
        fieldBoxes_[0]->setFocus();
}

void RecordEditorWindow::paintColourBlock(QLabel* block, Colour c)
{
    block->setStyleSheet(QStringLiteral("background-color: %1;").arg(toQColor(c).name()));
}

void RecordEditorWindow::showCursor(double x, double y)
{
    zuobiaox_->setText(qs(plainNumberTextSingle(static_cast<float>(x))));
    zuobiaoy_->setText(qs(plainNumberTextSingle(static_cast<float>(y))));
}

// Enter and the arrow keys move between the four boxes; Enter in the note
// box adds a record.
bool RecordEditorWindow::handleFieldKey(int field, int key)
{
    const int count = RecordEditor::kFieldCount;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (field == RecordEditor::kFieldNote) {
            onAddRecord();
            // A refused record keeps the focus in the box at fault.
            if (!finished_ && !editor_.refusedField())
                fieldBoxes_[0]->setFocus();
        } else {
            fieldBoxes_[static_cast<std::size_t>(field + 1)]->setFocus();
        }
        return true;
    }
    if (key == Qt::Key_Down || key == Qt::Key_Up) {
        const int next = (field + (key == Qt::Key_Down ? 1 : count - 1)) % count;
        fieldBoxes_[static_cast<std::size_t>(next)]->setFocus();
        return true;
    }
    return false;
}

bool RecordEditorWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == label7_) {
            onForegroundBlock();
            return true;
        }
        if (watched == label8_) {
            onBackgroundBlock();
            return true;
        }
    }
    const auto at = std::find(fieldBoxes_.begin(), fieldBoxes_.end(), watched);
    if (at == fieldBoxes_.end())
        return QMainWindow::eventFilter(watched, event);
    const int field = static_cast<int>(at - fieldBoxes_.begin());
    if (event->type() == QEvent::FocusIn) {
        // Deferred, so a mouse click that gave the focus does not undo it.
        QTimer::singleShot(0, *at, &QLineEdit::selectAll);
    } else if (event->type() == QEvent::KeyPress) {
        if (handleFieldKey(field, static_cast<QKeyEvent*>(event)->key()))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// The close box leaves like save and exit without its question. When the
// application listens to closed(), it removes the window itself: a close
// here could otherwise look like the program's last window going away.
void RecordEditorWindow::closeEvent(QCloseEvent* event)
{
    if (!finished_) {
        // A record that may not be stored keeps the window open, its box red.
        if (!editor_.closeWithoutQuestion()) {
            showEditorState();
            event->ignore();
            return;
        }
        finishIfLeaving();
    }
    if (isSignalConnected(QMetaMethod::fromSignal(&RecordEditorWindow::closed)))
        event->ignore();
    else
        event->accept();
}

} // namespace tervane
