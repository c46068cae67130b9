#include "player/form3.h"

#include "player/docking.h"
#include "platform/fonts.h"
#include "player/form3_controls.h"
#include "platform/own_frame.h"
#include "player/player_icon.h"
#include "platform/twips.h"

#include <QAccessible>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>

#include <algorithm>
#include <climits>

using namespace Player;
using Form3Controls::Kind;

namespace {

struct SliderSettings {
    Control control;
    Qt::Orientation orientation;
    int minimum, maximum, pageStep, singleStep;
    QSlider::TickPosition ticks;
    int tickInterval;
};

// Design settings; the position slider's range is set at run time.
constexpr SliderSettings kSliders[] = {
    {Control::Sliguocheng, Qt::Horizontal, 0, 10, 5, 1, QSlider::TicksBelow, 400},
    {Control::Sliyin, Qt::Vertical, -100, 0, 8, 3, QSlider::TicksBothSides, 10},
    {Control::Slishengdaoo, Qt::Vertical, -45, 45, 10, 5, QSlider::TicksBothSides, 20},
};

Control controlOf(Slider slider)
{
    return kSliders[int(slider)].control;
}

Control controlOf(Text text)
{
    switch (text) {
    case Text::Label2: return Control::Label2;
    case Text::Label3: return Control::Label3;
    case Text::Label4: return Control::Label4;
    case Text::Label6: return Control::Label6;
    case Text::Text1: return Control::Text1;
    case Text::Text2: return Control::Text2;
    case Text::Text3: return Control::Text3;
    case Text::Text4: return Control::Text4;
    case Text::Text5: return Control::Text5;
    case Text::Text6: return Control::Text6;
    case Text::ZantingCaption:
    case Text::ZantingToolTip: return Control::zanting;
    case Text::Caption: break;
    }
    return Control::Label2;
}

// A caption a screen reader can read out as it is: one with Chinese words.
bool isWords(const QString &caption)
{
    static const QRegularExpression han(QStringLiteral("\\p{Han}"));
    return caption.contains(han);
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

// A slider that repaints only when its handle moves: the position slider
// takes a value about 15 times a second, mostly within the same pixel.
class HandleSlider : public QSlider {
public:
    using QSlider::QSlider;

protected:
    void sliderChange(SliderChange change) override
    {
        if (change == SliderValueChange && !isSliderDown()) {
            QStyleOptionSlider option;
            initStyleOption(&option);
            const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
            if (handle == m_handle)
                return;
            m_handle = handle;
        } else {
            m_handle = QRect();
        }
        QSlider::sliderChange(change);
    }

private:
    QRect m_handle;   // where the handle was last drawn for a value change
};

// The display boxes: read-only fields on the button face with a flat
// one-pixel border, drawn without antialiasing (they repaint often).
class FlatBoxStyle : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if (element == PE_PanelLineEdit || element == PE_FrameLineEdit) {
            const QRect r = option->rect;
            if (element == PE_PanelLineEdit)
                painter->fillRect(r, option->palette.brush(QPalette::Base));
            painter->fillRect(QRect(r.left(), r.top(), r.width(), 1), option->palette.color(QPalette::Dark));
            painter->fillRect(QRect(r.left(), r.top(), 1, r.height()), option->palette.color(QPalette::Dark));
            painter->fillRect(QRect(r.left(), r.bottom(), r.width(), 1), option->palette.color(QPalette::Light));
            painter->fillRect(QRect(r.right(), r.top(), 1, r.height()), option->palette.color(QPalette::Light));
            return;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        if (metric == PM_DefaultFrameWidth)
            return 1;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

// A check box whose indicator keeps within the box's height: the loop box is
// drawn lower than the style's indicator.
class FittedIndicatorStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        const int value = QProxyStyle::pixelMetric(metric, option, widget);
        if (widget && (metric == PM_IndicatorWidth || metric == PM_IndicatorHeight))
            return qMin(value, widget->height());
        return value;
    }
};

// The longest texts a control shows besides its design text: the status
// words, the number and count of a list of 100,000 entries, the frames of a
// track of some seven hours, times of up to 9999 minutes, the highest MP3
// rates.
struct LongestTexts {
    Control control;
    const char *texts[3];
};
constexpr LongestTexts kLongest[] = {
    {Control::Label2, {"正在播放第", "暂停播放第", "停止播放第"}},
    {Control::Label4, {" 100000", "100000", nullptr}},
    {Control::Label6, {"/ 100000", nullptr, nullptr}},
    {Control::Text1, {"9999:59", nullptr, nullptr}},
    {Control::Text2, {"9999:59", nullptr, nullptr}},
    {Control::Text3, {" 100000", "999999", nullptr}},
    {Control::Text4, {" 100000", "999999", nullptr}},
    {Control::Text5, {" 48kHz", " 44kHz", nullptr}},
    {Control::Text6, {" 320kbps", " 128kbps", nullptr}},
};

// The row of time and stream boxes: one font for all six.
constexpr Control kBoxes[] = {Control::Text1, Control::Text3, Control::Text4,
                              Control::Text5, Control::Text6, Control::Text2};

// Ticks of the position slider closer than this merge into a bar.
constexpr int MinTickSpacing = 4;

QStringList longestTexts(Control control)
{
    QStringList texts;
    for (const LongestTexts &longest : kLongest)
        if (longest.control == control)
            for (const char *text : longest.texts)
                if (text)
                    texts << QString::fromUtf8(text);
    return texts;
}

// Whether `text` shows whole in `widget` in the font of `fm`.
bool showsWhole(const QWidget *widget, const QFontMetrics &fm, const QString &text)
{
    const QStyle *style = widget->style();
    const int advance = fm.horizontalAdvance(text);
    if (auto *label = qobject_cast<const QLabel *>(widget))
        return advance <= label->contentsRect().width() - 2 * label->margin();
    if (auto *box = qobject_cast<const QLineEdit *>(widget)) {
        const QMargins m = box->textMargins();
        // Inside the frame Qt keeps 2 pixels each side, and one for the cursor.
        const int room = box->contentsRect().width() - 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box)
                         - m.left() - m.right() - 2 * 2 - 1;
        return advance <= room;
    }
    if (auto *check = qobject_cast<const QCheckBox *>(widget)) {
        const int room = check->contentsRect().width()
                         - style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, check)
                         - style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, check);
        // Centred as a line, the glyphs themselves must stay inside.
        const QRect ink = fm.tightBoundingRect(text);
        const int h = check->contentsRect().height();
        const int top = (h - fm.height()) / 2 + fm.ascent() + ink.top();
        return advance <= room && top >= 0 && top + ink.height() <= h;
    }
    if (auto *button = qobject_cast<const QPushButton *>(widget)) {
        // Within the bevel; the caption is centred, the margins are room it may take.
        return advance <= button->width() - 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    }
    return true;
}

} // namespace

Form3::Form3(QWidget *parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("播放窗口--"));
    setWindowIcon(playerIcon());
    // A title bar with the caption and no button: window managers do not all
    // draw one like that (openbox adds an icon and a close box to every
    // frame), so the window draws its own. No task-bar button.
    m_client = OwnFrame::install(this, QSize(Twips::toPixels(Form3Controls::ClientWidth),
                                             Twips::toPixels(Form3Controls::ClientHeight)), {})
                   ->client();
    m_client->installEventFilter(this);
    move(Twips::toPixels(4440), Twips::toPixels(7065));
    createControls();
    for (QTimer *timer : {&m_progressDue, &m_progressLate}) {
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, &Form3::showProgress);
    }
}

// Qt keeps the accessible interface of a widget by the widget's address and
// does not always drop it when the widget goes: a window made later at the
// same address then found a dead interface in its place and was left out of
// the accessibility tree. Dropped here, for the window and each control.
Form3::~Form3()
{
    QList<QObject *> objects = findChildren<QObject *>();
    objects.prepend(this);
    for (QObject *object : std::as_const(objects)) {
        if (QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(object))
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
    }
}

void Form3::createControls()
{
    m_boxStyle = new FlatBoxStyle;
    // Created in tab order, so the focus chain is the defined one.
    std::array<const Form3Controls::Definition *, ControlCount> byTab{};
    for (size_t i = 0; i < byTab.size(); ++i)
        byTab[i] = &Form3Controls::table()[i];
    std::sort(byTab.begin(), byTab.end(), [](auto *a, auto *b) { return a->tab < b->tab; });

    for (const Form3Controls::Definition *def : byTab) {
        const QString text = QString::fromUtf8(def->text);
        QWidget *widget = nullptr;
        switch (def->kind) {
        case Kind::Label: {
            auto *label = new QLabel(text, m_client);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setTextFormat(Qt::PlainText);
            widget = label;
            break;
        }
        case Kind::CheckBox: {
            auto *check = new QCheckBox(text, m_client);
            // However the box changes: a click, a key, or a screen reader's toggle.
            connect(check, &QCheckBox::toggled, this, [this](bool checked) {
                if (!m_applying)
                    emit loopToggled(checked);
            });
            widget = check;
            break;
        }
        case Kind::Button: {
            auto *button = new QPushButton(text, m_client);
            button->setAutoDefault(false);
            const Control id = def->id;
            connect(button, &QPushButton::clicked, this, [this, id] { emit clicked(id); });
            widget = button;
            break;
        }
        case Kind::Slider:
            widget = new HandleSlider(m_client);
            break;
        case Kind::TextBox: {
            auto *box = new QLineEdit(text, m_client);
            box->setReadOnly(true);
            box->setStyle(m_boxStyle);
            box->setAttribute(Qt::WA_OpaquePaintEvent);   // the style fills it all
            // Read-only fields on the button face.
            QPalette palette = box->palette();
            palette.setColor(QPalette::Base, palette.color(QPalette::Button));
            box->setPalette(palette);
            box->setCursorPosition(0);
            widget = box;
            break;
        }
        }
        widget->setObjectName(QLatin1String(def->name));
        widget->setGeometry(Twips::rect(def->left, def->top, def->width, def->height));
        if (*def->toolTip)
            widget->setToolTip(QString::fromUtf8(def->toolTip));
        // What a screen reader says: the tool tip, where the caption is a sign
        // (">>") or a value ("00:00"). Labels go by their text, whatever it is
        // at the time.
        if (def->kind != Kind::Label && *def->toolTip && !isWords(text))
            widget->setAccessibleName(QString::fromUtf8(def->toolTip));
        m_controls[size_t(def->id)] = widget;
    }

    // Owned from here on, so it goes after the boxes that use it.
    m_boxStyle->setParent(this);
    control(Control::Sliguocheng)->setAccessibleName(QStringLiteral("播放位置"));
    setTextColour(control(Control::Label4), QColor(255, 0, 0));
    setTextColour(control(Control::Label6), QColor(0, 0, 255));
    for (Slider s : {Slider::Sliguocheng, Slider::Sliyin, Slider::Slishengdaoo})
        setUpSlider(slider(s), s);
    auto *indicatorStyle = new FittedIndicatorStyle;
    indicatorStyle->setParent(this);
    control(Control::Check1)->setStyle(indicatorStyle);
    fitFonts();
}

// The design sizes are the Windows ones, made for its fonts: where a text
// would be cut at the interface font, its control takes a smaller or
// narrower one. The six boxes take one font, the largest in which every one
// of their texts fits every box.
void Form3::fitFonts()
{
    const auto fitting = [this](const QList<Control> &controls, const QStringList &texts) {
        QWidget *first = control(controls.first());
        return Fonts::fitting(first->font(), [&](const QFontMetrics &fm) {
            return std::all_of(controls.cbegin(), controls.cend(), [&](Control c) {
                return std::all_of(texts.cbegin(), texts.cend(),
                                   [&](const QString &text) { return showsWhole(control(c), fm, text); });
            });
        });
    };
    QStringList boxTexts;
    for (Control box : kBoxes)
        boxTexts << longestTexts(box);
    const QFont boxFont = fitting(QList<Control>(std::begin(kBoxes), std::end(kBoxes)), boxTexts);
    for (const Form3Controls::Definition &def : Form3Controls::table()) {
        QWidget *widget = control(def.id);
        const bool box = std::find(std::begin(kBoxes), std::end(kBoxes), def.id) != std::end(kBoxes);
        const QFont font = box ? boxFont : fitting({def.id}, QStringList{QString::fromUtf8(def.text)} + longestTexts(def.id));
        if (font != widget->font())
            widget->setFont(font);
    }
}

void Form3::setUpSlider(QSlider *slider, Slider which)
{
    const SliderSettings &s = kSliders[int(which)];
    slider->setOrientation(s.orientation);
    slider->setRange(s.minimum, s.maximum);
    slider->setPageStep(s.pageStep);
    slider->setSingleStep(s.singleStep);
    slider->setTickPosition(s.ticks);
    slider->setTickInterval(s.tickInterval);
    slider->setValue(0);
    if (s.orientation == Qt::Vertical) {
        // The minimum at the top; Up and Page Up move towards it.
        slider->setInvertedAppearance(true);
        slider->setInvertedControls(true);
    }
    connect(slider, &QSlider::valueChanged, this, [this, slider, which](int value) {
        if (!m_applying && !slider->isSliderDown())
            emit sliderChanged(which, value);
    });
    connect(slider, &QSlider::sliderReleased, this, [this, slider, which] {
        if (which == Slider::Sliguocheng)
            m_pendingPosition = -1;   // the user's value wins
        emit sliderChanged(which, slider->value());
    });
}

QSlider *Form3::slider(Slider which) const
{
    return static_cast<QSlider *>(control(controlOf(which)));
}

// ---- applying the logic's state ------------------------------------------------

void Form3::setControlEnabled(Control c, bool enabled)
{
    control(c)->setEnabled(enabled);
}

void Form3::setControlVisible(Control c, bool visible)
{
    control(c)->setVisible(visible);
}

void Form3::setText(Text text, const QString &value)
{
    if (text == Text::Caption) {
        setWindowTitle(value);
        return;
    }
    if (text == Text::Text1 || text == Text::Text3) {
        (text == Text::Text1 ? m_pendingText1 : m_pendingText3) = value;
        scheduleProgress();
        return;
    }
    QWidget *widget = control(controlOf(text));
    if (text == Text::ZantingToolTip) {
        widget->setToolTip(value);
        widget->setAccessibleName(value);
    } else if (auto *label = qobject_cast<QLabel *>(widget)) {
        label->setText(value);
    } else if (auto *box = qobject_cast<QLineEdit *>(widget)) {
        box->setText(value);
        box->setCursorPosition(0);
    } else if (auto *button = qobject_cast<QPushButton *>(widget)) {
        button->setText(value);
    }
}

void Form3::setSliderValue(Slider which, int value)
{
    if (which == Slider::Sliguocheng) {
        m_pendingPosition = value;
        scheduleProgress();
        return;
    }
    m_applying = true;
    slider(which)->setValue(value);
    m_applying = false;
}

// Due (the last showing is RefreshMs ago): shown as soon as the caller is
// done, since one report sets up to three values. Not due: the first report
// after RefreshMs shows it, so playing costs no wake-up of its own; the late
// timer only catches the last values before a pause, a stop or an end.
void Form3::scheduleProgress()
{
    if (!isVisible())
        return;   // shown with the window
    const qint64 since = m_progressShown.isValid() ? m_progressShown.elapsed() : RefreshMs;
    if (since >= RefreshMs) {
        if (!m_progressDue.isActive())
            m_progressDue.start(0);
    } else if (!m_progressLate.isActive()) {
        m_progressLate.start(int(RefreshMs - since + RefreshMs / 2));
    }
}

void Form3::showProgress()
{
    m_progressDue.stop();
    m_progressLate.stop();
    m_progressShown.start();
    for (auto [box, pending] : {std::pair{Control::Text1, &m_pendingText1}, std::pair{Control::Text3, &m_pendingText3}}) {
        if (pending->isNull())
            continue;
        auto *edit = static_cast<QLineEdit *>(control(box));
        edit->setText(*pending);
        edit->setCursorPosition(0);
        *pending = QString();
    }
    QSlider *position = slider(Slider::Sliguocheng);
    if (m_pendingPosition >= 0 && !position->isSliderDown()) {
        m_applying = true;
        position->setValue(m_pendingPosition);
        m_applying = false;
        m_pendingPosition = -1;
    }
}

void Form3::setPositionRange(int minimum, int maximum)
{
    QSlider *position = slider(Slider::Sliguocheng);
    m_applying = true;
    position->setRange(minimum, maximum);
    m_applying = false;
    // Every 400 frames, or every so many times 400 that the ticks stay apart.
    const int track = position->width() - position->style()->pixelMetric(QStyle::PM_SliderLength, nullptr, position);
    const qint64 step = kSliders[int(Slider::Sliguocheng)].tickInterval;
    const qint64 span = qint64(maximum) - minimum;
    qint64 times = 1;
    if (track > 0 && span * MinTickSpacing > step * track)
        times = (span * MinTickSpacing + step * track - 1) / (step * track);
    position->setTickInterval(int(std::min<qint64>(step * times, INT_MAX)));
}

void Form3::setLoopChecked(bool checked)
{
    m_applying = true;
    static_cast<QCheckBox *>(control(Control::Check1))->setChecked(checked);
    m_applying = false;
}

// ---- window ------------------------------------------------------------------------

void Form3::dock()
{
    QScreen *screen = this->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    move(dockedTopLeft(screen->geometry(), frameGeometry().size()));
}

bool Form3::event(QEvent *event)
{
    const bool result = QWidget::event(event);
    // A window manager that frames the window all the same does so after it
    // is first shown; once such a frame is known, dock again by it (once: a
    // user's later move stays).
    if (!m_dockedByFrame && isVisible()
        && (event->type() == QEvent::Move || event->type() == QEvent::Resize || event->type() == QEvent::Show)) {
        if (frameGeometry().size() != size()) {
            m_dockedByFrame = true;
            dock();
        }
    }
    return result;
}

bool Form3::eventFilter(QObject *watched, QEvent *event)
{
    // A double-click on the background between the controls hides the window.
    if (watched == m_client && event->type() == QEvent::MouseButtonDblClick) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && !m_client->childAt(mouse->position().toPoint())) {
            emit hideRequested();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form3::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    showProgress();
    if (!m_announced) {
        // A window made after the accessibility bridge started is not added
        // to the application's children by Qt: a screen reader that keeps
        // the tree would never see this instance. Added once, on its first show.
        m_announced = true;
        QAccessibleEvent created(this, QAccessible::ObjectCreated);
        QAccessible::updateAccessibility(&created);
    }
}

// Only the host unloads the window, and it never closes it: a close comes from
// the window manager (its close button or key) and hides instead.
void Form3::closeEvent(QCloseEvent *event)
{
    event->ignore();
    emit hideRequested();
}

void Form3::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
        // No task-bar button to bring it back from: hide it instead.
        setWindowState(windowState() & ~Qt::WindowMinimized);
        emit hideRequested();
    }
}
