// A label that is a link: blue and underlined, red while the mouse is over
// it, yellow while pressed. A click opens its web address or composes an
// e-mail to its caption.
#pragma once

#include <QLabel>

class TacURLLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(TURLKind Kind READ Kind WRITE SetKind)
    Q_PROPERTY(QString URL READ URL WRITE SetURL)
    Q_PROPERTY(bool URLInNewWindow READ URLInNewWindow WRITE SetURLInNewWindow)

public:
    enum TURLKind { ukWWW, ukEmail };
    Q_ENUM(TURLKind)

    explicit TacURLLabel(QWidget* parent = nullptr);

    TURLKind Kind() const { return kind; }
    void SetKind(TURLKind value) { kind = value; }
    QString URL() const { return url; }
    void SetURL(const QString& value) { url = value; }
    // The desktop decides where a page opens; kept for the component's users.
    bool URLInNewWindow() const { return urlInNewWindow; }
    void SetURLInNewWindow(bool value) { urlInNewWindow = value; }

    static QColor NormalColor() { return Qt::blue; }
    static QColor HoverColor() { return Qt::red; }
    static QColor PressedColor() { return Qt::yellow; }
    QColor CurrentColor() const;

    // What a click does: hands the address or the mail to the shell.
    void Open();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void ShowColor(const QColor& color);

    TURLKind kind = ukEmail;
    QString url;
    bool urlInNewWindow = true;
    bool hovered = false;
};
