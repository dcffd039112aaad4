#include "update/UpdateDialog.h"

#include "platform/QtText.h"
#include "platform/UserInterface.h"
#include "platform/WindowPlacement.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOptionFocusRect>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>
#include <cmath>

namespace {

// Positions are in dialog units: a quarter of the font's average character
// width across, an eighth of its height down.
struct Place {
    int left;
    int top;
    int width;
    int height;
};

constexpr Place dialogUnits { 0, 0, 390, 229 };
constexpr Place topLineUnits { 7, 7, 376, 21 };
constexpr Place headingUnits { 7, 32, 60, 10 };
constexpr Place whatsNewUnits { 7, 42, 376, 151 };
constexpr Place webPageUnits { 7, 198, 155, 24 };
constexpr Place updaterPageUnits { 165, 198, 155, 24 };
constexpr Place doneUnits { 333, 198, 50, 24 };

int Scale(int units, int base, int divisor)
{
    return (units * base + divisor / 2) / divisor;
}

int AverageCharacterWidth(const QFontMetrics& metrics)
{
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return (metrics.horizontalAdvance(letters) + letters.size() / 2) / letters.size();
}

QRect ToPixels(const QFontMetrics& metrics, Place place)
{
    const int across = AverageCharacterWidth(metrics);
    const int down = metrics.height();
    return { Scale(place.left, across, 4), Scale(place.top, down, 8), Scale(place.width, across, 4),
        Scale(place.height, down, 8) };
}

// The texts break lines with CR LF; a CR elsewhere has no meaning on screen.
QString ToEditText(const std::string& text)
{
    QString shown = platform::ToQString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.remove(QLatin1Char('\r'));
    return shown;
}

// A flat push button whose centred text wraps onto further lines when it is
// wider than the button.
class FlatButton : public QPushButton {
public:
    FlatButton(const QString& text, QWidget* parent) : QPushButton(text, parent)
    {
        setAutoDefault(false);
        setDefault(false);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(isDown() ? QPalette::Mid : QPalette::Button));
        painter.setPen(palette().color(QPalette::Shadow));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        if (hasFocus())
            drawFocus(painter);
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawText(rect().adjusted(4, 2, -4, -2), Qt::AlignCenter | Qt::TextWordWrap, text());
    }

private:
    void drawFocus(QPainter& painter)
    {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
};

// The top line and the heading read like labels: no frame, the dialog's own
// background.
void LookLikeLabel(QWidget* control)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    control->setPalette(palette);
}

template <typename Box>
Box* AddTextBox(QDialog* dialog, UpdateDialogControl id, const std::string& text)
{
    auto* box = new Box(dialog);
    box->setObjectName(QString::number(id));
    box->setReadOnly(true);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setPlainText(ToEditText(text));
    return box;
}

// A status that names addresses wraps past the top line's two lines; the top
// line then takes the height its text needs from the what's-new box below,
// up to half of that box, so that the message can be read whole.
int MissingHeight(const QTextEdit* topLine, QRect place, int most)
{
    QTextDocument layout;
    layout.setDefaultFont(topLine->font());
    layout.setDocumentMargin(topLine->document()->documentMargin());
    layout.setPlainText(topLine->toPlainText());
    layout.setTextWidth(place.width());
    const int needed = static_cast<int>(std::ceil(layout.size().height()));
    return std::clamp(needed - place.height(), 0, most);
}

UpdateDialogHandler& CurrentHandler()
{
    static UpdateDialogHandler handler;
    return handler;
}

void CentreOnScreen(QWidget* window)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window->move(platform::CentredWithin(screen->availableGeometry(), window->size()));
}

} // namespace

UpdateDialog::UpdateDialog(const UpdateDialogTexts& texts)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), texts_(texts)
{
    setObjectName(QStringLiteral("UpdateDialog"));
    setModal(true);
    setWindowTitle(platform::ToQString(texts_.caption));
    setFixedSize(ToPixels(QFontMetrics(font()), dialogUnits).size());
    setupTexts();
    setupButtons();
    setupTabOrder();
    findChild<QWidget*>(QString::number(idDone))->setFocus();
    CentreOnScreen(this);
}

void UpdateDialog::setupTexts()
{
    const QFontMetrics metrics(font());
    auto* topLine = AddTextBox<QTextEdit>(this, idTopLine, texts_.topLine);
    topLine->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    topLine->setFrameShape(QFrame::NoFrame);
    LookLikeLabel(topLine);

    auto* heading = new QLineEdit(QStringLiteral("WHAT'S NEW:"), this);
    heading->setObjectName(QString::number(idWhatsNewHeading));
    heading->setReadOnly(true);
    heading->setFrame(false);
    LookLikeLabel(heading);

    auto* whatsNew = AddTextBox<QPlainTextEdit>(this, idWhatsNew, texts_.whatsNew);
    whatsNew->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    const QRect topLinePlace = ToPixels(metrics, topLineUnits);
    const QRect whatsNewPlace = ToPixels(metrics, whatsNewUnits);
    const int extra = MissingHeight(topLine, topLinePlace, whatsNewPlace.height() / 2);
    topLine->setGeometry(topLinePlace.adjusted(0, 0, 0, extra));
    heading->setGeometry(ToPixels(metrics, headingUnits).translated(0, extra));
    whatsNew->setGeometry(whatsNewPlace.adjusted(0, extra, 0, 0));
}

void UpdateDialog::setupButtons()
{
    const QFontMetrics metrics(font());
    const auto addButton = [this, &metrics](UpdateDialogControl id, const char* text, Place place) {
        auto* button = new FlatButton(QString::fromUtf8(text), this);
        button->setObjectName(QString::number(id));
        button->setGeometry(ToPixels(metrics, place));
        return button;
    };
    FlatButton* doneButton = addButton(idDone, " Done. ", doneUnits);
    FlatButton* webPage
        = addButton(idVisitWebPage, " Visit program web page to download update. ", webPageUnits);
    FlatButton* updaterPage = addButton(idVisitUpdaterPage,
        " Visit QvUpdater web page for advanced update checking. ", updaterPageUnits);
    webPage->setVisible(!texts_.webPage.empty());
    updaterPage->setVisible(!texts_.updaterPage.empty());
    connect(doneButton, &QPushButton::clicked, this, [this] { done(endByDone); });
    // A page that fails to open is named in a message; the dialog stays as
    // it is, and the user may try again.
    connect(webPage, &QPushButton::clicked, this,
        [this] { platform::OpenShowingFailure(this, texts_.webPage); });
    connect(updaterPage, &QPushButton::clicked, this,
        [this] { platform::OpenShowingFailure(this, texts_.updaterPage); });
}

void UpdateDialog::setupTabOrder()
{
    const int order[]
        = { idDone, idTopLine, idWhatsNewHeading, idWhatsNew, idVisitWebPage, idVisitUpdaterPage };
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(findChild<QWidget*>(QString::number(order[i - 1])),
            findChild<QWidget*>(QString::number(order[i])));
}

void UpdateDialog::reject() { }

void UpdateDialog::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier)
        done(endByEnter);
    else
        QDialog::keyPressEvent(event);
}

int ShowUpdateDialog(const std::string& webPage, const std::string& updaterPage,
    const std::string& caption, const std::string& topLine, const std::string& whatsNew)
{
    const UpdateDialogTexts texts { webPage, updaterPage, caption, topLine, whatsNew };
    if (const UpdateDialogHandler& handler = CurrentHandler())
        return handler(texts);
    UpdateDialog dialog(texts);
    return dialog.exec();
}

UpdateDialogHandler SetUpdateDialogHandler(UpdateDialogHandler handler)
{
    return std::exchange(CurrentHandler(), std::move(handler));
}
