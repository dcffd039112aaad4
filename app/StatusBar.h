// The window's status bar: one simple text panel. A text wider than the bar
// is cut short with an ellipsis, and its tool-tip then shows it whole.
#pragma once

#include <QLabel>
#include <QStatusBar>
#include <string>

class TStatusBar : public QStatusBar {
    Q_OBJECT
    Q_PROPERTY(QString SimpleText READ SimpleText WRITE SetSimpleText)

public:
    explicit TStatusBar(QWidget* parent = nullptr);

    QString SimpleText() const { return fullText; }
    void SetSimpleText(const QString& text);
    std::string Text() const;
    void SetText(const std::string& text);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowFitting();

    QLabel* panel;
    QString fullText;
};
