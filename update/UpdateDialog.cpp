#include "update/UpdateDialog.h"

#include "platform/Shell.h"
#include "platform/Text.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOptionFocusRect>

namespace {

// Positions are in dialog units: a quarter of the font's average character
// width across, an eighth of its height down.
struct Place {
    int left;
    int top;
    int width;
    int height;
};

constexpr Place dialogSize { 0, 0, 390, 229 };
constexpr Place topLinePlace { 7, 7, 376, 21 };
constexpr Place headingPlace { 7, 32, 60, 10 };
constexpr Place whatsNewPlace { 7, 42, 376, 151 };
constexpr Place webPagePlace { 7, 198, 155, 24 };
constexpr Place updaterPagePlace { 165, 198, 155, 24 };
constexpr Place donePlace { 333, 198, 50, 24 };

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

QPlainTextEdit* AddTextBox(QDialog* dialog, UpdateDialogControl id, Place place)
{
    auto* box = new QPlainTextEdit(dialog);
    box->setObjectName(QString::number(id));
    box->setReadOnly(true);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setGeometry(ToPixels(QFontMetrics(dialog->font()), place));
    return box;
}

UpdateDialogHandler& CurrentHandler()
{
    static UpdateDialogHandler handler;
    return handler;
}

void CentreOnScreen(QWidget* window)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}

} // namespace

UpdateDialog::UpdateDialog(const UpdateDialogTexts& texts)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), texts_(texts)
{
    setObjectName(QStringLiteral("UpdateDialog"));
    setModal(true);
    setWindowTitle(platform::ToQString(texts_.caption));
    setFixedSize(ToPixels(QFontMetrics(font()), dialogSize).size());
    setupTexts();
    setupButtons();
    setupTabOrder();
    findChild<QWidget*>(QString::number(idDone))->setFocus();
    CentreOnScreen(this);
}

void UpdateDialog::setupTexts()
{
    QPlainTextEdit* topLine = AddTextBox(this, idTopLine, topLinePlace);
    topLine->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    topLine->setFrameShape(QFrame::NoFrame);
    LookLikeLabel(topLine);
    topLine->setPlainText(ToEditText(texts_.topLine));

    auto* heading = new QLineEdit(QStringLiteral("WHAT'S NEW:"), this);
    heading->setObjectName(QString::number(idWhatsNewHeading));
    heading->setReadOnly(true);
    heading->setFrame(false);
    heading->setTextMargins(0, 0, 0, 0);
    LookLikeLabel(heading);
    heading->setGeometry(ToPixels(QFontMetrics(font()), headingPlace));

    QPlainTextEdit* whatsNew = AddTextBox(this, idWhatsNew, whatsNewPlace);
    whatsNew->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    whatsNew->setPlainText(ToEditText(texts_.whatsNew));
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
    FlatButton* doneButton = addButton(idDone, " Done. ", donePlace);
    FlatButton* webPage
        = addButton(idVisitWebPage, " Visit program web page to download update. ", webPagePlace);
    FlatButton* updaterPage = addButton(idVisitUpdaterPage,
        " Visit QvUpdater web page for advanced update checking. ", updaterPagePlace);
    webPage->setVisible(!texts_.webPage.empty());
    updaterPage->setVisible(!texts_.updaterPage.empty());
    connect(doneButton, &QPushButton::clicked, this, [this] { done(endByDone); });
    // A page that fails to open leaves the dialog as it is; the user may try again.
    connect(webPage, &QPushButton::clicked, this, [this] {
        platform::ShellOpen({ texts_.webPage, {}, {} });
    });
    connect(updaterPage, &QPushButton::clicked, this, [this] {
        platform::ShellOpen({ texts_.updaterPage, {}, {} });
    });
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
