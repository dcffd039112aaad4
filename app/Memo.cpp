#include "app/Memo.h"

#include "platform/QtText.h"
#include "text/MemoLines.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>

namespace {

// The block after the last line break is empty and holds no line of its own.
bool EndsWithLineBreak(const QTextDocument& document)
{
    return document.lastBlock().length() <= 1;
}

QString JoinAsBlocks(const std::vector<std::string>& lines)
{
    QString text;
    for (const std::string& line : lines) {
        text += platform::ToQString(line);
        text += QLatin1Char('\n');
    }
    return text;
}

// Breaking a word anywhere costs the layout time in proportion to the square
// of the word's length: a megabyte without a blank took it nearly a minute.
constexpr qsizetype LongWordLength = 20000;

bool HasLongWord(const QString& text)
{
    qsizetype run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run >= LongWordLength)
            return true;
    }
    return false;
}

} // namespace

TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent) { }

std::vector<std::string> TMemo::Lines() const
{
    TakeWaitingLines();
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(LineCount()));
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block == document()->lastBlock() && block.length() <= 1)
            break;
        lines.push_back(platform::ToBytes(block.text()));
    }
    return lines;
}

int TMemo::LineCount() const
{
    TakeWaitingLines();
    const int blocks = document()->blockCount();
    return EndsWithLineBreak(*document()) ? blocks - 1 : blocks;
}

std::string TMemo::Text() const
{
    return text::JoinMemoLines(Lines());
}

bool TMemo::IsEmpty() const
{
    return LineCount() == 0;
}

void TMemo::SetText(const std::string& text)
{
    waitingLines.clear();
    const QString blocks = JoinAsBlocks(text::SplitMemoText(text));
    SuitWrapTo(blocks, true);
    setPlainText(blocks);
}

void TMemo::Append(const std::string& text)
{
    std::vector<std::string> lines = text::SplitMemoText(text);
    if (lines.empty())
        return;
    if (!isVisible()) {
        waitingLines.insert(waitingLines.end(), std::make_move_iterator(lines.begin()),
            std::make_move_iterator(lines.end()));
        return;
    }
    TakeWaitingLines();
    InsertAtEnd(JoinAsBlocks(lines));
}

void TMemo::Clear()
{
    waitingLines.clear();
    SuitWrapTo({}, true);
    clear();
}

// A memo holding such a word (a pasted blob, a damaged settings line) breaks
// its lines only between words, and the word runs on past the edge; lines are
// laid out in a second rather than in minutes. The other words wrap as before.
void TMemo::SuitWrapTo(const QString& incoming, bool replacing)
{
    if (HasLongWord(incoming))
        setWordWrapMode(QTextOption::WordWrap);
    else if (replacing)
        setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

void TMemo::insertFromMimeData(const QMimeData* source)
{
    if (source->hasText())
        SuitWrapTo(source->text(), false);
    QPlainTextEdit::insertFromMimeData(source);
}

void TMemo::showEvent(QShowEvent* event)
{
    TakeWaitingLines();
    QPlainTextEdit::showEvent(event);
}

// Reading the memo takes what waits as well; the document is the memo's
// state, changed here only to catch up with what was appended.
void TMemo::TakeWaitingLines() const
{
    if (waitingLines.empty())
        return;
    auto* memo = const_cast<TMemo*>(this);
    memo->InsertAtEnd(JoinAsBlocks(std::exchange(memo->waitingLines, {})));
}

QStringList TMemo::LinesList() const
{
    QStringList list;
    for (const std::string& line : Lines())
        list.append(platform::ToQString(line));
    return list;
}

void TMemo::SetLinesList(const QStringList& lines)
{
    waitingLines.clear();
    const QString text
        = lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
    SuitWrapTo(text, true);
    setPlainText(text);
}

// Shift+Enter starts a new line as Enter does: the editor would put a line
// separator (U+2028) inside the line, which no line of the memo convention
// can hold and which then travels as part of one line through every step.
void TMemo::keyPressEvent(QKeyEvent* event)
{
    int key = event->key();
    if (OnKeyDown)
        OnKeyDown(this, key, event->modifiers());
    if (key == 0) {
        event->accept();
        return;
    }
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (enter && event->modifiers().testFlag(Qt::ShiftModifier)) {
        QKeyEvent plain(event->type(), key, event->modifiers() & ~Qt::ShiftModifier, event->text(),
            event->isAutoRepeat(), static_cast<ushort>(event->count()));
        QPlainTextEdit::keyPressEvent(&plain);
        event->setAccepted(plain.isAccepted());
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

// A line typed without a final break still counts as a line, so the appended
// text starts on a new block; every appended line ends with a break, so the
// memo always ends on the empty block that holds no line. Programmatic text
// is not undoable, as when a memo's text is assigned.
void TMemo::InsertAtEnd(const QString& text)
{
    QTextDocument* const document = this->document();
    const bool undo = document->isUndoRedoEnabled();
    document->setUndoRedoEnabled(false);
    SuitWrapTo(text, false);
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    if (!EndsWithLineBreak(*document))
        cursor.insertBlock();
    cursor.insertText(text);
    document->setUndoRedoEnabled(undo);
}
