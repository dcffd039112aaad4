// A multi-line edit whose text follows the memo convention: reading gives
// every line followed by CR LF, assigning splits at CR LF, CR or LF with a
// final break adding no empty line. Appending costs time in proportion to
// what is appended, not to what the memo already holds; while the memo is
// not shown (its tab is not the current one) what is appended waits and
// goes in when the memo is shown or read, so a run's debug log costs the
// layout of its text only when someone looks at it.
#pragma once

#include <QPlainTextEdit>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

class TMemo : public QPlainTextEdit {
    Q_OBJECT
    Q_PROPERTY(QStringList Lines READ LinesList WRITE SetLinesList)

public:
    explicit TMemo(QWidget* parent = nullptr);

    std::vector<std::string> Lines() const;
    int LineCount() const;
    std::string Text() const;
    bool IsEmpty() const;
    void SetText(const std::string& text);
    // The memo's text becomes its old text followed by text.
    void Append(const std::string& text);
    void Clear();

    QStringList LinesList() const;
    void SetLinesList(const QStringList& lines);

    // Called for every key press before the memo handles it; setting Key to
    // 0 keeps the memo from seeing the key.
    std::function<void(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift)> OnKeyDown;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void InsertAtEnd(const QString& text);
    void SuitWrapTo(const QString& incoming, bool replacing);
    void TakeWaitingLines() const;

    mutable std::vector<std::string> waitingLines;
};
