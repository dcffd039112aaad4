// The window's status bar: one simple text panel.
#pragma once

#include <QLabel>
#include <QStatusBar>
#include <string>

class TStatusBar : public QStatusBar {
    Q_OBJECT
    Q_PROPERTY(QString SimpleText READ SimpleText WRITE SetSimpleText)

public:
    explicit TStatusBar(QWidget* parent = nullptr);

    QString SimpleText() const { return panel->text(); }
    void SetSimpleText(const QString& text) { panel->setText(text); }
    std::string Text() const;
    void SetText(const std::string& text);

private:
    QLabel* panel;
};
